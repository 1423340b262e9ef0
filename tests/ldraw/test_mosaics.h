#pragma once

// Stud images for the model tests: crafted grids and dithered photos.

#include "colours/color_table.h"
#include "colours/palette.h"
#include "common/bitmap32.h"

#include <initializer_list>
#include <string>

namespace tesselka::test {

// A small table of colours on panels: 'K' black (TColor 0, code 0), 'R' a red with no
// green or blue (TColor 1, code 4), 'W' white (code 15), 'B' blue (code 1), 'G' green
// (code 2), 'b' a blue one step from 'B' (code 73). Slot 3 and 13 have codes 3 and 13.
ColorTable CraftedTable();
TColor CraftedColor(char c);

// One string per row, one character per stud, characters as in CraftedTable.
Bitmap32 CraftedImage(std::initializer_list<const char*> rows);
// A `width` x `height` image from a function of (x, y) giving a CraftedTable character.
template <typename F>
Bitmap32 MakeImage(int width, int height, F charAt)
{
    Bitmap32 image(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.SetColorAt(x, y, CraftedColor(charAt(x, y)));
    return image;
}

// The reference colour table (or the colour file `path`) with the 41 palette colours on
// panels.
ColorTable PaletteTable(SelectedColorArray& selected, const std::string& path = {});
// A photo of tests/ldraw/data, error-diffused to the colours on panels in `table`.
Bitmap32 DitheredPhoto(const std::string& name, const ColorTable& table);

} // namespace tesselka::test

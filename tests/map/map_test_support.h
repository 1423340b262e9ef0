#pragma once

#include "colours/color_table.h"
#include "colours/palette.h"
#include "common/bitmap32.h"

#include <string>
#include <vector>

namespace tesselka::test {

inline constexpr TColor MapRedColor = 0x0000FF;  // RGB 255, 0, 0
inline constexpr TColor MapBlueColor = 0xFF0000; // RGB 0, 0, 255
inline constexpr TColor MapWhiteColor = 0xFFFFFF;

// A colour table with red in slot 4, blue in slot 12 and white in slot 15, all on panels.
inline ColorTable MapTestTable()
{
    ColorTable table;
    auto set = [&](int i, const char* name, TColor color) {
        table[i].Name = name;
        table[i].Color = color;
        table[i].Code = i;
        table[i].OnPanel = true;
    };
    set(4, "Bright_Red", MapRedColor);
    set(12, "Blue", MapBlueColor);
    set(15, "White", MapWhiteColor);
    return table;
}

// A mosaic from rows of colours.
inline Bitmap32 Mosaic(const std::vector<std::vector<TColor>>& rows)
{
    Bitmap32 b(int(rows.empty() ? 0 : rows[0].size()), int(rows.size()));
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x)
            b.SetPixel(x, y, Color32(rows[size_t(y)][size_t(x)]));
    return b;
}

inline Bitmap32 Uniform(int w, int h, TColor color)
{
    Bitmap32 b(w, h);
    b.Clear(Color32(color));
    return b;
}

// Pixels in columns x1..x2-1, rows y1..y2-1 that are not `background`.
inline int CountOther(const Bitmap32& b, int x1, int y1, int x2, int y2, TColor32 background = 0xFFFFFFFFu)
{
    int n = 0;
    for (int y = y1; y < y2; ++y)
        for (int x = x1; x < x2; ++x)
            n += b.Pixel(x, y) != background;
    return n;
}

inline int CountColor(const Bitmap32& b, int x1, int y1, int x2, int y2, TColor32 color)
{
    int n = 0;
    for (int y = y1; y < y2; ++y)
        for (int x = x1; x < x2; ++x)
            n += b.Pixel(x, y) == color;
    return n;
}

inline SelectedColorArray Palette(const std::vector<TColor>& colors)
{
    SelectedColorArray palette;
    palette.fill(-1);
    for (size_t i = 0; i < colors.size(); ++i)
        palette[i] = colors[i];
    return palette;
}

} // namespace tesselka::test

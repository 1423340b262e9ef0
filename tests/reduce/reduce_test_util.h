#pragma once

#include "colours/palette.h"
#include "common/bitmap32.h"
#include "reduce/dither_engine.h"

#include <QImage>

#include <array>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace tesselka::test {

using Rgb = std::array<int, 3>;

inline ReductionPalette PaletteOf(std::initializer_list<Rgb> colors)
{
    ReductionPalette p;
    for (const Rgb& c : colors)
        p.entries.push_back({uint8_t(c[0]), uint8_t(c[1]), uint8_t(c[2]), 4});
    return p;
}

// Rows top first; every row has `width` pixels.
inline Bitmap32 PictureOf(int width, const std::vector<Rgb>& pixels)
{
    int height = width == 0 ? 0 : int(pixels.size()) / width;
    Bitmap32 b(width, height);
    for (int i = 0; i < width * height; ++i)
        b.Bits()[i] = Color32(pixels[size_t(i)][0], pixels[size_t(i)][1], pixels[size_t(i)][2]);
    return b;
}

// Feeds a picture through a ditherer's virtual interface as the driver does and
// returns the indices, top row first.
inline std::vector<int> RunVirtual(TDitherEngine& engine, const Bitmap32& picture)
{
    std::vector<int> out(size_t(picture.Width()) * size_t(picture.Height()), -1);
    for (int y = 0; y < picture.Height(); ++y) {
        while (engine.CurrentColumn >= 0 && engine.CurrentColumn < picture.Width()) {
            int x = engine.CurrentColumn;
            TColor32 p = picture.Pixel(x, y);
            uint8_t index, r, g, b;
            engine.DitherPixel(uint8_t(Red32(p)), uint8_t(Green32(p)), uint8_t(Blue32(p)), index, r, g, b);
            out[size_t(y) * size_t(picture.Width()) + size_t(x)] = index;
        }
        engine.EndLine();
    }
    return out;
}

inline Bitmap32 LoadPhoto()
{
    QImage image(QStringLiteral(REDUCE_TEST_DATA "/sunset_by_Aitzol_Berasategi_240x160.png"));
    return Bitmap32::FromImage(image);
}

// The 41 palette colours as the program designs them.
inline ReductionPalette AllPanelColours()
{
    ReductionPalette p;
    for (const PaletteEntry& e : PaletteEntries)
        p.entries.push_back(
            {uint8_t(RedOf(e.designedColor)), uint8_t(GreenOf(e.designedColor)), uint8_t(BlueOf(e.designedColor)), 4});
    return p;
}

} // namespace tesselka::test

#pragma once

#include <cstdint>

namespace tesselka {

// The colour value of the whole program: red in bits 0-7, green 8-15, blue 16-23,
// top byte 0. Palette colours, stud pixels and table colours compare as these values.
using TColor = uint32_t;

// A pixel of the 32-bit bitmaps: 0xAARRGGBB, the layout of QImage::Format_ARGB32.
using TColor32 = uint32_t;

constexpr TColor RgbToColor(int r, int g, int b)
{
    return TColor(r & 0xFF) | (TColor(g & 0xFF) << 8) | (TColor(b & 0xFF) << 16);
}

constexpr int RedOf(TColor c)
{
    return int(c & 0xFF);
}
constexpr int GreenOf(TColor c)
{
    return int((c >> 8) & 0xFF);
}
constexpr int BlueOf(TColor c)
{
    return int((c >> 16) & 0xFF);
}

// Same red, green and blue, alpha 255.
constexpr TColor32 Color32(TColor c)
{
    return 0xFF000000u | ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
}

constexpr TColor32 Color32(int r, int g, int b)
{
    return 0xFF000000u | (TColor32(r & 0xFF) << 16) | (TColor32(g & 0xFF) << 8) | TColor32(b & 0xFF);
}

// The inverse of Color32: drops alpha.
constexpr TColor WinColor(TColor32 c)
{
    return ((c >> 16) & 0xFFu) | (c & 0xFF00u) | ((c & 0xFFu) << 16);
}

constexpr int Red32(TColor32 c)
{
    return int((c >> 16) & 0xFF);
}
constexpr int Green32(TColor32 c)
{
    return int((c >> 8) & 0xFF);
}
constexpr int Blue32(TColor32 c)
{
    return int(c & 0xFF);
}

constexpr TColor32 clBlack32 = 0xFF000000u;
constexpr TColor32 clWhite32 = 0xFFFFFFFFu;

} // namespace tesselka

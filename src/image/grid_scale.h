#pragma once

#include "common/bitmap32.h"

#include <optional>
#include <string>
#include <string_view>

namespace tesselka {

// The widest mosaic the program makes, in studs: 4000 studs is 32 m of plates, far past
// any build, while a grid from an unchecked width (the box takes any number of digits)
// could ask for gigabytes before the first pixel is drawn.
inline constexpr int MaxMosaicWidth = 4000;

// The mosaic width typed into the width box: StrToInt's message for a text that is not a
// number, a clear message for a width above MaxMosaicWidth.
int ParseMosaicWidth(std::string_view text);

struct GridScaleResult
{
    int width = 0; // numbers of the plain grid (also for the mix variant)
    int height = 0;
    double ratio = 0;  // W / H as a double
    std::string label; // "Wd=96 Ht=181 Ratio=1.33333333333333"
};

// Shrinks (or enlarges) `source` into `target` with studsWide columns and the height
// that keeps the picture's proportions with cells of cellWidth x cellHeight preview
// pixels; `mix` gives the stud-mix grid. No colour is ever blended. A source of height 0
// leaves the target unchanged and returns std::nullopt. Throws tesselka::Error when the
// grid would be larger than a bitmap may be.
std::optional<GridScaleResult> ScaleToGrid(const Bitmap32& source, Bitmap32& target, int studsWide, int cellWidth,
                                           int cellHeight, bool mix);

} // namespace tesselka

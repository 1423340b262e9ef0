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
    double ratio = 0;    // W / H as a double
    std::string label;   // "Wd=96 Ht=181 Ratio=1.33333333333333"
    int targetWidth = 0; // the size the target gets (the mix grid's for the mix variant)
    int targetHeight = 0;
};

// The grid ScaleToGrid makes for a source of sourceWidth x sourceHeight pixels, without
// touching any pixels: for callers that sample the grid from another form of the same
// picture. Same failures as ScaleToGrid; std::nullopt for a source of height 0.
std::optional<GridScaleResult> PlanGrid(int sourceWidth, int sourceHeight, int studsWide, int cellWidth, int cellHeight,
                                        bool mix);

// Shrinks (or enlarges) `source` into `target` with studsWide columns and the height
// that keeps the picture's proportions with cells of cellWidth x cellHeight preview
// pixels; `mix` gives the stud-mix grid. No colour is ever blended. A source of height 0
// leaves the target unchanged and returns std::nullopt. Throws tesselka::Error when the
// grid would be larger than a bitmap may be.
std::optional<GridScaleResult> ScaleToGrid(const Bitmap32& source, Bitmap32& target, int studsWide, int cellWidth,
                                           int cellHeight, bool mix);

} // namespace tesselka

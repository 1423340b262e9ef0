#pragma once

namespace tesselka {

// The seven dither methods, numbered as the engine numbers them.
enum DitherKind : int {
    DitherNearest = 0,
    DitherFloydSteinberg = 1,
    DitherStucki = 2,
    DitherSierra = 3,
    DitherJarvisJudiceNinke = 4,
    DitherStevensonArce = 5,
    DitherBurkes = 6,
};

enum ReductionMode : int {
    ReduceNone = 0,
    ReduceSystem20 = 1,
    ReduceHalftone256 = 2,
    ReduceGray4 = 3,
    ReduceMonochrome = 4,
    ReduceGray256 = 5,
    ReduceWeb216 = 6,
    ReduceOctree = 7,
    ReduceOctreeSystem = 8,
    ReduceCustomPalette = 9,
};

// How the reduction picks a palette entry for a colour: the nearest by city-block distance
// in RGB (the program's own look), or the one that looks nearest by CIEDE2000. Error
// diffusion works in RGB either way.
enum ColorMatching : int {
    MatchRgb = 0,
    MatchPerceptual = 1,
};

// The colour-reduction settings the main window keeps between dithers.
struct DitherSettingsRecord
{
    DitherKind kind = DitherNearest;
    int reductionBits = 8;
    ColorMatching matching = MatchRgb;
};

} // namespace tesselka

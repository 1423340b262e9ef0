#include "reduce/color_lookup.h"

#include "reduce_test_util.h"

#include <gtest/gtest.h>

namespace tesselka {
namespace {

using test::PaletteOf;

struct Found
{
    int index;
    int r, g, b;
};

Found Find(TColorLookup& lookup, int r, int g, int b)
{
    uint8_t index, outR, outG, outB;
    lookup.FindColor(uint8_t(r), uint8_t(g), uint8_t(b), index, outR, outG, outB);
    return {index, outR, outG, outB};
}

TEST(FastColorLookup, DistanceIsCityBlockAndTiesGoToTheLowerIndex)
{
    // 10 against 12 by city block; a squared distance would pick index 1 (100 > 72).
    TFastColorLookup lookup(PaletteOf({{110, 100, 100}, {106, 106, 100}}));
    Found f = Find(lookup, 100, 100, 100);
    EXPECT_EQ(f.index, 0);
    EXPECT_EQ(f.r, 110);
    EXPECT_EQ(f.g, 100);

    // (5, 5, 0) is 10 from both entries, whichever comes first.
    TFastColorLookup greenFirst(PaletteOf({{0, 10, 0}, {10, 0, 0}}));
    EXPECT_EQ(Find(greenFirst, 5, 5, 0).index, 0);
    TFastColorLookup redFirst(PaletteOf({{10, 0, 0}, {0, 10, 0}}));
    Found tie = Find(redFirst, 5, 5, 0);
    EXPECT_EQ(tie.index, 0);
    EXPECT_EQ(tie.r, 10);
}

TEST(FastColorLookup, SeededCellKeepsTheLowestIndexEvenForAnExactMatch)
{
    // (8, 8, 8) and (9, 9, 9) share cell (1, 1, 1); the lower index holds it.
    TFastColorLookup lookup(PaletteOf({{200, 0, 0}, {8, 8, 8}, {9, 9, 9}}));
    Found f = Find(lookup, 9, 9, 9);
    EXPECT_EQ(f.index, 1);
    EXPECT_EQ(f.r, 8);
    // An exact colour alone in its cell is its own answer.
    EXPECT_EQ(Find(lookup, 200, 0, 0).index, 0);
}

TEST(FastColorLookup, FirstColourAskedAnswersForItsWholeCell)
{
    const ReductionPalette palette = PaletteOf({{0, 0, 0}, {24, 24, 24}});
    // (15, 15, 15) alone is nearer to index 1 (27 against 45) ...
    TFastColorLookup fresh(palette);
    EXPECT_EQ(Find(fresh, 15, 15, 15).index, 1);
    // ... but after (8, 8, 8) of the same cell was answered with 0, it gets 0 as well.
    TFastColorLookup used(palette);
    EXPECT_EQ(Find(used, 8, 8, 8).index, 0);
    Found f = Find(used, 15, 15, 15);
    EXPECT_EQ(f.index, 0);
    EXPECT_EQ(f.r, 0);
    EXPECT_EQ(used.CellCache[TFastColorLookup::CellOf(15, 15, 15)], 0);
}

TEST(FastColorLookup, CountsAreLimitedTo256AndAnEmptyPaletteAnswersZero)
{
    // Entries past 256 are not read: white at 256.. would otherwise seed white's cell.
    ReductionPalette big;
    for (int i = 0; i < 300; ++i) {
        uint8_t v = i < 255 ? 0 : (i == 255 ? 200 : 255);
        big.entries.push_back({v, v, v, 4});
    }
    TFastColorLookup lookup(big);
    EXPECT_EQ(lookup.ColorCount, 256);
    Found f = Find(lookup, 255, 255, 255);
    EXPECT_EQ(f.index, 255);
    EXPECT_EQ(f.r, 200);

    TFastColorLookup empty(ReductionPalette{});
    EXPECT_EQ(empty.ColorCount, 0);
    EXPECT_EQ(Find(empty, 40, 50, 60).index, 0);
}

TEST(FixedLookups, LevelsAndThresholds)
{
    TNetscapeColorLookup web;
    EXPECT_EQ(web.ColorCount, 216);
    // Levels (255 + 3) div 51 = 5, (128 + 3) div 51 = 2, (47 + 3) div 51 = 0.
    Found f = Find(web, 255, 128, 47);
    EXPECT_EQ(f.index, 36 * 5 + 6 * 2 + 0);
    EXPECT_EQ(f.r, 255);
    EXPECT_EQ(f.g, 102);
    EXPECT_EQ(f.b, 0);
    EXPECT_EQ(Find(web, 48, 48, 48).index, 36 + 6 + 1); // 48 + 3 reaches level 1

    TGrayScaleLookup grey;
    EXPECT_EQ(Find(grey, 255, 255, 255).index, 255);
    Found g = Find(grey, 100, 0, 0); // 7700 >> 8
    EXPECT_EQ(g.index, 30);
    EXPECT_EQ(g.b, 30);

    TMonochromeLookup mono;
    // 256 x 127 = 32512 is not above the threshold; 256 x 128 is.
    EXPECT_EQ(Find(mono, 127, 127, 127).index, 0);
    Found w = Find(mono, 128, 128, 128);
    EXPECT_EQ(w.index, 1);
    EXPECT_EQ(w.r, 255);
}

} // namespace
} // namespace tesselka

#include "reduce/color_lookup.h"

#include "colours/lab_color.h"
#include "reduce/reduce_colors.h"
#include "reduce_test_util.h"

#include <gtest/gtest.h>

namespace tesselka {
namespace {

using test::PaletteOf;

// Index, red, green, blue of the answer.
std::array<int, 4> Find(TColorLookup& lookup, int r, int g, int b)
{
    uint8_t index, outR, outG, outB;
    lookup.FindColor(uint8_t(r), uint8_t(g), uint8_t(b), index, outR, outG, outB);
    return {index, outR, outG, outB};
}

TEST(FastColorLookup, CityBlockDistanceLowerIndexOnTiesAndSeededCells)
{
    // 10 against 12 by city block; a squared distance would pick index 1 (100 > 72).
    TFastColorLookup cityBlock(PaletteOf({{110, 100, 100}, {106, 106, 100}}));
    EXPECT_EQ(Find(cityBlock, 100, 100, 100), (std::array<int, 4>{0, 110, 100, 100}));
    // (5, 5, 0) is 10 from both entries: the lower index wins.
    TFastColorLookup tie(PaletteOf({{10, 0, 0}, {0, 10, 0}}));
    EXPECT_EQ(Find(tie, 5, 5, 0), (std::array<int, 4>{0, 10, 0, 0}));
    // (8, 8, 8) and (9, 9, 9) share a cell: the lower index holds it, even for an exact match.
    TFastColorLookup seeded(PaletteOf({{200, 0, 0}, {8, 8, 8}, {9, 9, 9}}));
    EXPECT_EQ(Find(seeded, 9, 9, 9), (std::array<int, 4>{1, 8, 8, 8}));
}

TEST(FastColorLookup, FirstColourAskedAnswersForItsWholeCell)
{
    const ReductionPalette palette = PaletteOf({{0, 0, 0}, {24, 24, 24}});
    // (15, 15, 15) alone is nearer to index 1 (27 against 45) ...
    TFastColorLookup fresh(palette);
    EXPECT_EQ(Find(fresh, 15, 15, 15)[0], 1);
    // ... but after (8, 8, 8) of the same cell was answered with 0, it gets 0 as well.
    TFastColorLookup used(palette);
    EXPECT_EQ(Find(used, 8, 8, 8)[0], 0);
    EXPECT_EQ(Find(used, 15, 15, 15), (std::array<int, 4>{0, 0, 0, 0}));
}

TEST(FastColorLookup, OnlyTheFirst256EntriesAreRead)
{
    // White from entry 256 on would seed white's cell if it were read past the table.
    ReductionPalette big;
    for (int i = 0; i < 300; ++i) {
        uint8_t v = i < 255 ? 0 : (i == 255 ? 200 : 255);
        big.entries.push_back({v, v, v, 4});
    }
    TFastColorLookup lookup(big);
    EXPECT_EQ(lookup.ColorCount, 256);
    EXPECT_EQ(Find(lookup, 255, 255, 255), (std::array<int, 4>{255, 200, 200, 200}));
}

TEST(FastColorLookup, PerceptualAnswerIsTheNearestToEachCellCentre)
{
    ReductionPalette startColours;
    for (const PaletteEntry& e : PaletteEntries)
        if (e.checkedAtStart)
            startColours.entries.push_back({uint8_t(RedOf(e.designedColor)), uint8_t(GreenOf(e.designedColor)),
                                            uint8_t(BlueOf(e.designedColor)), 4});
    // Near and exact twins, so that ties and close calls occur.
    const ReductionPalette twins = PaletteOf(
        {{120, 120, 120}, {8, 8, 8}, {9, 9, 9}, {120, 120, 120}, {200, 30, 30}, {196, 34, 30}, {20, 40, 200}});
    for (const ReductionPalette& palette : {startColours, test::AllPanelColours(), twins}) {
        std::vector<LabColor> lab;
        for (const ReductionPalette::Entry& e : palette.entries)
            lab.push_back(SrgbToLab(e.red, e.green, e.blue));
        TFastColorLookup lookup(palette, MatchPerceptual);
        // Each cell is asked once, so its RGB answer is the nearest to the colour asked.
        TFastColorLookup rgb(palette);
        std::vector<test::Rgb> differing;
        std::vector<int> expected;
        for (int cell = 0; cell < TFastColorLookup::CellCount; ++cell) {
            const int r = cell & 31, g = (cell >> 5) & 31, b = cell >> 10;
            const LabColor centre = SrgbToLab(8 * r + 3.5, 8 * g + 3.5, 8 * b + 3.5);
            int best = 0;
            double least = Ciede2000(centre, lab[0]);
            for (size_t i = 1; i < lab.size(); ++i)
                if (double d = Ciede2000(centre, lab[i]); d < least) {
                    least = d;
                    best = int(i);
                }
            // Asked with some colour of the cell other than its centre.
            const test::Rgb asked = {8 * r + cell % 8, 8 * g + cell / 8 % 8, 8 * b + cell / 64 % 8};
            ASSERT_EQ(lookup.FindIndex(uint8_t(asked[0]), uint8_t(asked[1]), uint8_t(asked[2])), best)
                << "cell " << r << " " << g << " " << b;
            if (differing.size() < 64 &&
                rgb.FindIndex(uint8_t(asked[0]), uint8_t(asked[1]), uint8_t(asked[2])) != best) {
                differing.push_back(asked);
                expected.push_back(best);
            }
        }
        // The reduction passes the choice on to its lookup.
        ASSERT_FALSE(differing.empty());
        IndexedBitmap result;
        const Bitmap32 picture = test::PictureOf(int(differing.size()), differing);
        ASSERT_TRUE(
            ReduceBitmapColors(picture, ReduceCustomPalette, DitherNearest, 8, palette, result, {}, MatchPerceptual));
        for (size_t x = 0; x < expected.size(); ++x)
            EXPECT_EQ(result.Index(int(x), 0), expected[x]);
    }
}

TEST(FixedLookups, LevelsAndThresholds)
{
    TNetscapeColorLookup web; // levels (255 + 3) div 51 = 5, (128 + 3) div 51 = 2, 50 div 51 = 0
    EXPECT_EQ(Find(web, 255, 128, 47), (std::array<int, 4>{36 * 5 + 6 * 2, 255, 102, 0}));
    TGrayScaleLookup grey; // (77 x 100) >> 8
    EXPECT_EQ(Find(grey, 100, 0, 0), (std::array<int, 4>{30, 30, 30, 30}));
    TMonochromeLookup mono; // 256 x 127 = 32512 is not above the threshold; 256 x 128 is
    EXPECT_EQ(Find(mono, 127, 127, 127)[0], 0);
    EXPECT_EQ(Find(mono, 128, 128, 128), (std::array<int, 4>{1, 255, 255, 255}));
}

} // namespace
} // namespace tesselka

// Hand-worked cases of the ditherers, driven through their virtual interface. The
// numbers in the comments are the arithmetic done by hand; the expected indices and
// error cells follow from it.
#include "reduce/dither_engine.h"

#include "reduce_test_util.h"

#include <gtest/gtest.h>

namespace tesselka {
namespace {

using test::PaletteOf;
using test::PictureOf;
using test::RunVirtual;

const ReductionPalette BlackWhite = PaletteOf({{0, 0, 0}, {255, 255, 255}});

std::vector<int> Dither(int kind, const Bitmap32& picture, const ReductionPalette& palette)
{
    TFastColorLookup lookup(palette);
    std::unique_ptr<TDitherEngine> engine = CreateDitherer(kind, picture.Width(), &lookup);
    return RunVirtual(*engine, picture);
}

TEST(Ditherers, NearestVisitsSecondRowRightToLeftThroughTheCache)
{
    // (8, 8, 8) and (15, 15, 15) share a cell. Visited right to left, (15, 15, 15) is
    // asked first and gets entry 1 (27 against 45); (8, 8, 8) then takes the cell's answer.
    // Left to right both would get entry 0.
    Bitmap32 picture = PictureOf(2, {{200, 200, 200}, {200, 200, 200}, {8, 8, 8}, {15, 15, 15}});
    std::vector<int> indices = Dither(DitherNearest, picture, PaletteOf({{0, 0, 0}, {24, 24, 24}}));
    EXPECT_EQ(indices, (std::vector<int>{1, 1, 1, 1}));

    // The first row runs left to right: (8, 8, 8) first, so both get entry 0.
    Bitmap32 firstRow = PictureOf(2, {{8, 8, 8}, {15, 15, 15}});
    EXPECT_EQ(Dither(DitherNearest, firstRow, PaletteOf({{0, 0, 0}, {24, 24, 24}})), (std::vector<int>{0, 0}));
}

TEST(Ditherers, EveryKindHandlesAOnePixelWideColumn)
{
    // Every kernel write beside the pixel lands in margin cells; only the weights
    // straight below reach later pixels.
    struct Case
    {
        int kind;
        int grey;
        std::vector<int> expected;
    };
    const Case cases[] = {
        {DitherNearest, 100, {0, 0, 0, 0}},
        // Burkes 8/32 down: 100; 100+816/32=125; 100+1016/32=131 -> white; 100-976/32=70.
        {DitherBurkes, 100, {0, 0, 1, 0}},
        // Stucki 8/42 and 4/42: 100; 119; 132 -> white; 100 + trunc(-487/42) = 89.
        {DitherStucki, 100, {0, 0, 1, 0}},
        // Sierra 5/32 and 3/32: 100; 116; 128 -> white (381 against 384); 92.
        {DitherSierra, 100, {0, 0, 1, 0}},
        // Jarvis 7/48 and 5/48: 100; 115; 127 stays black (381 against 384); 131 -> white.
        {DitherJarvisJudiceNinke, 100, {0, 0, 0, 1}},
        // Stevenson-Arce 26/200 two rows down: 120; 120; 136 w; 136 w; 106; 106; 134 w.
        {DitherStevensonArce, 120, {0, 0, 1, 1, 0, 0, 1}},
        // Floyd-Steinberg on one column: 3/16 of the error of two rows up, through the
        // cell the cursor reads on every second row: 120; 120; 143 -> white; 143 -> white.
        {DitherFloydSteinberg, 120, {0, 0, 1, 1}},
    };
    for (const Case& c : cases) {
        std::vector<std::array<int, 3>> pixels(c.expected.size(), {c.grey, c.grey, c.grey});
        EXPECT_EQ(Dither(c.kind, PictureOf(1, pixels), BlackWhite), c.expected) << "kind " << c.kind;
    }
}

TEST(Ditherers, FloydSteinbergRunningValuesOverTwoRows)
{
    // 2 x 2 of grey 100, black and white. One channel stands for all three.
    TFastColorLookup lookup(BlackWhite);
    TFloydSteinbergDitherer fs(2, &lookup);

    uint8_t index, r, g, b;
    // (0,0): 100, black, e = 100: cell 0 = 300, Pending 500, LastError 100, Carry 700.
    fs.DitherPixel(100, 100, 100, index, r, g, b);
    EXPECT_EQ(index, 0);
    EXPECT_EQ(fs.ErrorCell(1, 0), 300);
    EXPECT_EQ(fs.Pending[1], 500);
    EXPECT_EQ(fs.Carry[1], 700);
    // (1,0): 100 + 708/16 = 144, white, e = -111: cell 1 = 500 - 333, Pending 100 - 555.
    fs.DitherPixel(100, 100, 100, index, r, g, b);
    EXPECT_EQ(index, 1);
    EXPECT_EQ(fs.ErrorCell(1, 1), 167);
    EXPECT_EQ(fs.Pending[1], -455);
    EXPECT_EQ(fs.LastError[1], -111);
    // End of row: Pending goes to cell 2, one past the row; the cursor moves to cell 3.
    fs.EndLine();
    EXPECT_EQ(fs.ErrorCell(2, 2), -455);
    EXPECT_EQ(fs.Carry[2], 0);
    EXPECT_EQ(fs.Pending[2], 0);
    EXPECT_EQ(fs.CurrentColumn, 1);
    EXPECT_EQ(fs.CursorCell, 3);

    // (1,1) reads cell 3 (0): 100, black, e = 100: cell 3 = 300.
    fs.DitherPixel(100, 100, 100, index, r, g, b);
    EXPECT_EQ(index, 0);
    // (0,1) reads cell 2 (-455) + Carry 700: 100 + 253/16 = 115, black, e = 115:
    // cell 2 = 500 + 345, Pending = 100 + 575 = 675, which the row end puts in cell 1.
    fs.DitherPixel(100, 100, 100, index, r, g, b);
    EXPECT_EQ(index, 0);
    fs.EndLine();
    for (int ch = 0; ch < 3; ++ch) {
        std::vector<int> cells;
        for (int c = 0; c < 4; ++c)
            cells.push_back(fs.ErrorCell(ch, c));
        EXPECT_EQ(cells, (std::vector<int>{300, 675, 845, 300})) << "channel " << ch;
    }
    EXPECT_EQ(fs.CursorCell, 0);
    EXPECT_EQ(fs.CurrentColumn, 0);
}

TEST(Ditherers, FloydSteinbergZeroErrorLeavesCellPendingAndLastError)
{
    TFastColorLookup lookup(PaletteOf({{0, 0, 0}, {100, 100, 100}, {255, 255, 255}}));
    TFloydSteinbergDitherer fs(3, &lookup);
    uint8_t index, r, g, b;
    // 60 -> grey, e = -40: cell 0 = -120, Pending -200, LastError -40, Carry -280.
    fs.DitherPixel(60, 60, 60, index, r, g, b);
    EXPECT_EQ(index, 1);
    // 117 + trunc(-272/16) = 100 exactly: e = 0.
    fs.DitherPixel(117, 117, 117, index, r, g, b);
    EXPECT_EQ(index, 1);
    EXPECT_EQ(fs.Carry[0], 0);
    EXPECT_EQ(fs.ErrorCell(0, 1), 0);
    EXPECT_EQ(fs.Pending[0], -200);
    EXPECT_EQ(fs.LastError[0], -40);
    fs.DitherPixel(100, 100, 100, index, r, g, b);
    fs.EndLine();
    // The first pixel's Pending survives two zero errors and closes the row.
    EXPECT_EQ(fs.ErrorCell(0, 3), -200);
    EXPECT_EQ(fs.ErrorCell(0, 0), -120);
}

TEST(Ditherers, CorrectedValuesAreClampedBeforeTheErrorIsMeasured)
{
    TFastColorLookup lookup(PaletteOf({{0, 0, 0}, {100, 100, 100}}));
    uint8_t index, r, g, b;
    // Burkes, one column: 255 -> grey, e = 155 (8/32 down); 255 + 1256/32 = 294 clamps
    // to 255, so the error is 155 again, not 194.
    TBurkesDitherer burkes(1, &lookup);
    burkes.DitherPixel(255, 255, 255, index, r, g, b);
    burkes.EndLine();
    burkes.DitherPixel(255, 255, 255, index, r, g, b);
    EXPECT_EQ(burkes.ErrorCell(0, 1, 2), 8 * 155);
    // Floyd-Steinberg: Carry 7 x 155 pushes 255 to 323, clamped; cell 1 = Pending 775 +
    // 3 x 155, Pending = 155 + 5 x 155.
    TFastColorLookup fresh(PaletteOf({{0, 0, 0}, {100, 100, 100}}));
    TFloydSteinbergDitherer fs(2, &fresh);
    fs.DitherPixel(255, 255, 255, index, r, g, b);
    fs.DitherPixel(255, 255, 255, index, r, g, b);
    EXPECT_EQ(fs.ErrorCell(0, 1), 1240);
    EXPECT_EQ(fs.Pending[0], 930);
}

} // namespace
} // namespace tesselka

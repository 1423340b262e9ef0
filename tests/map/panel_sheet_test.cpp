// The panel sheet: pixels at the places where grids, numbers, gaps and rulers go.
#include "common/styles.h"
#include "map/map_colors.h"
#include "map/panel_sheet.h"
#include "map_test_support.h"

#include <gtest/gtest.h>

using namespace tesselka;
using namespace tesselka::test;

namespace {

constexpr int B = 16; // border around the sheet area
const std::string BricksOut = "1x Bricks - studs out";

Bitmap32 Sheet(const Bitmap32& studs, const ColorTable& table, const std::string& style, const MapOptions& options,
               int c = 0, int r = 0)
{
    const MapGeometry g = ComputeMapGeometry(options.panelSize, style, studs.Width(), studs.Height());
    Bitmap32 out;
    DrawPanelSheet({studs, table, StyleCellWidth, StyleCellHeight(style).value_or(5), style, g, options}, c, r, out);
    return out;
}

MapOptions Options(const char* size)
{
    MapOptions options;
    options.panelSize = size;
    return options;
}

} // namespace

TEST(PanelSheet, SizesForLargeAndSmallPanels)
{
    const ColorTable table = MapTestTable();
    Bitmap32 sheet = Sheet(Uniform(48, 48, MapRedColor), table, BricksOut, Options("48x48"));
    EXPECT_EQ(sheet.Width(), 752);
    EXPECT_EQ(sheet.Height(), 752);
    // A partial panel gets a smaller sheet: cells of 15 x 30 in a 2x studs-out style.
    sheet = Sheet(Uniform(50, 30, MapRedColor), table, "2x Bricks - studs out", Options("48x48"), 1, 1);
    EXPECT_EQ(sheet.Width(), 2 * 15 + 32);
    EXPECT_EQ(sheet.Height(), 6 * 30 + 32);
    // The small sizes always lay out on the fixed 765 x 850 area.
    sheet = Sheet(Uniform(3, 3, MapRedColor), table, BricksOut, Options("6x6"));
    EXPECT_EQ(sheet.Width(), 797);
    EXPECT_EQ(sheet.Height(), 882);
    sheet = Sheet(Uniform(3, 3, MapRedColor), table, "1x Plates - studs up", Options("8x8"));
    EXPECT_EQ(sheet.Width(), 797);
}

TEST(PanelSheet, BlackAndGreyGridsFollowColourChanges)
{
    const ColorTable table = MapTestTable();
    // Red, red, blue in one row: 15 x 15 cells.
    const Bitmap32 studs = Mosaic({{MapRedColor, MapRedColor, MapBlueColor}});
    MapOptions options = Options("48x48");
    options.blackGrid = true;
    options.grayGrid = true;
    options.noNumbers = true;
    const Bitmap32 s = Sheet(studs, table, BricksOut, options);
    auto at = [&](int cellX, int x, int y) { return s.Pixel(B + 15 * cellX + x, B + y); };
    // First cell: both neighbours lie outside the mosaic, so top and left are black.
    EXPECT_EQ(at(0, 2, 0), MapBlack);
    EXPECT_EQ(at(0, 13, 0), MapBlack);
    EXPECT_EQ(at(0, 14, 0), MapWhite);
    EXPECT_EQ(at(0, 1, 0), MapWhite);
    EXPECT_EQ(at(0, 0, 2), MapBlack);
    EXPECT_EQ(at(0, 0, 1), MapWhite);
    // Second cell equals its left neighbour: grey on the left, black on top.
    EXPECT_EQ(at(1, 0, 5), MapGrey);
    EXPECT_EQ(at(1, 5, 0), MapBlack);
    // Third cell differs, and is the last column and the last row of the mosaic.
    EXPECT_EQ(at(2, 0, 5), MapBlack);
    EXPECT_EQ(at(2, 13, 14), MapBlack);
    EXPECT_EQ(at(2, 13, 1), MapWhite);
    EXPECT_EQ(at(2, 14, 13), MapBlack);
    EXPECT_EQ(at(2, 1, 13), MapWhite);
    // Bottom edge of the first cells: the last row gets its black line too.
    EXPECT_EQ(at(0, 5, 13), MapBlack);
}

TEST(PanelSheet, NumbersOnlyWhereAColourStarts)
{
    const ColorTable table = MapTestTable();
    const Bitmap32 studs = Uniform(2, 2, MapBlueColor);
    MapOptions options = Options("48x48");
    Bitmap32 s = Sheet(studs, table, BricksOut, options);
    EXPECT_GT(CountColor(s, B, B, B + 15, B + 15, MapBlack), 0);
    EXPECT_EQ(CountOther(s, B + 15, B, B + 30, B + 30), 0);
    EXPECT_EQ(CountOther(s, B, B + 15, B + 15, B + 30), 0);

    options.numbersInAll = true;
    s = Sheet(studs, table, BricksOut, options);
    EXPECT_GT(CountColor(s, B + 15, B + 15, B + 30, B + 30, MapBlack), 0);

    // "NO numbers" wins over "Numbers in all Squares".
    options.noNumbers = true;
    s = Sheet(studs, table, BricksOut, options);
    EXPECT_EQ(CountOther(s, B, B, B + 30, B + 30), 0);

    // A colour that no on-panel slot holds gets no number.
    s = Sheet(Uniform(1, 1, 0x123456), table, BricksOut, Options("48x48"));
    EXPECT_EQ(CountOther(s, B, B, B + 15, B + 15), 0);
}

TEST(PanelSheet, NeighboursComeFromTheWholeMosaic)
{
    const ColorTable table = MapTestTable();
    // 32 cells per panel row: the second panel row starts inside a blue run.
    const Bitmap32 studs = Uniform(1, 40, MapBlueColor);
    const Bitmap32 second = Sheet(studs, table, BricksOut, Options("32x32"), 0, 1);
    EXPECT_EQ(CountOther(second, B, B, B + 15, B + 15), 0);
    const Bitmap32 first = Sheet(studs, table, BricksOut, Options("32x32"), 0, 0);
    EXPECT_GT(CountOther(first, B, B, B + 15, B + 15), 0);
}

TEST(PanelSheet, FilledSquaresAndNumberColours)
{
    const ColorTable table = MapTestTable();
    MapOptions options = Options("48x48");
    options.fillColor = true;
    Bitmap32 s = Sheet(Mosaic({{MapBlueColor, MapWhiteColor}}), table, BricksOut, options);
    EXPECT_EQ(s.Pixel(B + 12, B + 12), Color32(MapBlueColor));
    // White numbers on a filled colour, black ones on white.
    EXPECT_GT(CountColor(s, B, B, B + 15, B + 15, MapWhite), 0);
    EXPECT_EQ(CountColor(s, B, B, B + 15, B + 15, MapBlack), 0);
    EXPECT_GT(CountColor(s, B + 15, B, B + 30, B + 15, MapBlack), 0);

    options.allNumbersBlack = true;
    s = Sheet(Mosaic({{MapBlueColor}}), table, BricksOut, options);
    EXPECT_GT(CountColor(s, B, B, B + 15, B + 15, MapBlack), 0);
    EXPECT_EQ(CountColor(s, B, B, B + 15, B + 15, MapWhite), 0);
}

TEST(PanelSheet, SmallSheetsHaveGapsAndLabelsButNoRulers)
{
    const ColorTable table = MapTestTable();
    MapOptions options = Options("6x6");
    options.fillColor = true;
    options.noNumbers = true;
    options.grid6 = true; // 6 is not more than 6: no red lines, no rulers
    const Bitmap32 s = Sheet(Uniform(12, 7, MapBlueColor), table, BricksOut, options);
    const TColor32 blue = Color32(MapBlueColor);
    // Cells of 20 x 20; the seventh column starts after a 35-pixel gap.
    EXPECT_EQ(s.Pixel(B + 119, B + 10), blue);
    EXPECT_EQ(s.Pixel(B + 120, B + 10), MapWhite);
    EXPECT_EQ(s.Pixel(B + 154, B + 10), MapWhite);
    EXPECT_EQ(s.Pixel(B + 155, B + 10), blue);
    // The seventh row lies below the first row of labels.
    EXPECT_EQ(s.Pixel(B + 10, B + 154), MapWhite);
    EXPECT_EQ(s.Pixel(B + 10, B + 155), blue);
    // Labels "A1" and "B1" in the gap under the first sub-panel row.
    EXPECT_GT(CountColor(s, B, B + 120, B + 40, B + 150, MapBlack), 0);
    EXPECT_GT(CountColor(s, B + 155, B + 120, B + 195, B + 150, MapBlack), 0);
    EXPECT_EQ(CountColor(s, 0, 0, s.Width(), s.Height(), MapRed), 0);
    EXPECT_EQ(CountOther(s, 0, 0, s.Width(), B), 0);
    EXPECT_EQ(CountOther(s, 0, 0, B, s.Height()), 0);
}

TEST(PanelSheet, RedGridFollowsTheMosaicWhileRulersFollowThePanel)
{
    const ColorTable table = MapTestTable();
    MapOptions options = Options("32x32");
    options.grid6 = true;
    options.grid8 = true; // 6 wins
    options.noNumbers = true;
    const Bitmap32 s = Sheet(Uniform(64, 12, MapBlueColor), table, BricksOut, options, 1, 0);
    ASSERT_EQ(s.Width(), 32 * 15 + 32);
    // Mosaic column 36 is the fifth of this panel: a red line on its left edge.
    EXPECT_EQ(s.Pixel(B + 4 * 15, B + 5), MapRed);
    EXPECT_EQ(s.Pixel(B + 3 * 15, B + 5), MapWhite);
    EXPECT_EQ(s.Pixel(B + 16 * 15, B + 5), MapRed); // column 48
    // Row 6 gets a horizontal red line.
    EXPECT_EQ(s.Pixel(B + 5, B + 6 * 15), MapRed);
    // The ruler's first tick lies 2 + 4 cells into the panel, above and below the sheet.
    EXPECT_EQ(s.Pixel(B + 6 * 15, 5), MapRed);
    EXPECT_EQ(s.Pixel(B + 6 * 15, s.Height() - B + 5), MapRed);
    EXPECT_EQ(s.Pixel(B + 6 * 15 + 1, 5), MapWhite);
    // The side rulers carry a tick on their first row, left and right of the sheet.
    EXPECT_EQ(s.Pixel(2, B), MapRed);
    EXPECT_EQ(s.Pixel(s.Width() - B + 2, B), MapRed);
    EXPECT_EQ(s.Pixel(1, B), MapWhite);
}

TEST(PanelSheet, ZeroCellSizeStillEnds)
{
    const ColorTable table = MapTestTable();
    const Bitmap32 studs = Uniform(4, 4, MapBlueColor);
    const MapGeometry g = ComputeMapGeometry("48x48", BricksOut, 4, 4);
    Bitmap32 out;
    DrawPanelSheet({studs, table, 0, 0, BricksOut, g, Options("48x48")}, 0, 0, out);
    EXPECT_EQ(out.Width(), 4 + 32); // cells of at least one pixel
}

// Colour counts per panel, the totals picture and the totals lines.
#include "map/map_colors.h"
#include "map/totals_sheet.h"
#include "map_test_support.h"

#include <gtest/gtest.h>

using namespace tesselka;
using namespace tesselka::test;

namespace {

const std::string BricksOut = "1x Bricks - studs out";

} // namespace

TEST(Totals, CountsPerPanelAndForTheWholeMosaic)
{
    ColorTable table = MapTestTable();
    // 40 x 2 mosaic in 32-wide panels: red on the left 35 columns, blue after, and one
    // cell of a colour no slot holds.
    Bitmap32 studs(40, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 40; ++x)
            studs.SetPixel(x, y, Color32(x < 35 ? MapRedColor : MapBlueColor));
    studs.SetPixel(0, 0, Color32(0x010203));
    const MapGeometry g = ComputeMapGeometry("32x32", BricksOut, 40, 2);
    table[4].Count = 999;

    CountPanelColors(studs, g, 0, 0, table);
    EXPECT_EQ(table[4].Count, 63);
    EXPECT_EQ(table[12].Count, 0);
    CountPanelColors(studs, g, 1, 0, table);
    EXPECT_EQ(table[4].Count, 6);
    EXPECT_EQ(table[12].Count, 10);
    CountPanelColors(studs, g, -1, -1, table);
    EXPECT_EQ(table[4].Count, 69);
    EXPECT_EQ(table[12].Count, 10);
    EXPECT_EQ(table[15].Count, 0);

    // A second on-panel slot of the same colour counts the same cells again, also one
    // that lies past the first hundred slots of a long table.
    ASSERT_TRUE(table.Fill(130, "Also_Blue", 130, MapBlueColor));
    table[130].OnPanel = true;
    CountPanelColors(studs, g, -1, -1, table);
    EXPECT_EQ(table[12].Count, 10);
    EXPECT_EQ(table[130].Count, 10);
}

TEST(Totals, ListLinesAndBoxes)
{
    ColorTable table = MapTestTable();
    table[4].Count = 12;
    table[12].Count = 0;
    table[15].Count = 3;
    // Blue with a second slot, and a colour that no on-panel slot holds.
    table[20].Color = MapBlueColor;
    table[20].OnPanel = true;
    table[20].Name = "Dark_Blue";
    table[20].Count = 5;
    const SelectedColorArray palette = Palette({MapRedColor, MapBlueColor, 0x00AA00, MapWhiteColor});
    Bitmap32 sheet;
    QStringList lines;
    lines << QStringLiteral("earlier");
    DrawTotalsSheet(table, palette, 4, 3, 2, sheet, lines);
    const QStringList expected = {
        QStringLiteral("earlier"),
        QStringLiteral("Panel 2,3\tBright_Red\t4\t12\t255"),
        QStringLiteral("Panel 2,3\tBlue\t12\t0\t16711680"),
        QStringLiteral("Panel 2,3\tDark_Blue\t20\t5\t16711680"),
        QStringLiteral("Panel 2,3\tWhite\t15\t3\t16777215"),
    };
    EXPECT_EQ(lines, expected);
    ASSERT_EQ(sheet.Width(), 780);
    ASSERT_EQ(sheet.Height(), 98);

    // Swatches 24 x 12 at the box corners; the light ones (red, white) have a black
    // outline, the dark blue none.
    EXPECT_EQ(sheet.Pixel(23, 11), MapBlack);
    EXPECT_EQ(sheet.Pixel(22, 10), Color32(MapRedColor));
    EXPECT_EQ(sheet.Pixel(24, 11), MapWhite);
    EXPECT_EQ(sheet.Pixel(130 + 23, 11), Color32(MapBlueColor));
    EXPECT_EQ(sheet.Pixel(390, 0), MapBlack);
    EXPECT_EQ(sheet.Pixel(390 + 23, 11), MapBlack);
    EXPECT_EQ(sheet.Pixel(391, 1), MapWhite);
    // Texts right of the swatches; the unheld green gets only its swatch.
    EXPECT_GT(CountColor(sheet, 26, 0, 130, 14, MapBlack), 0);
    EXPECT_EQ(CountOther(sheet, 260 + 24, 0, 390, 14), 0);
    // The total box is the fifth and counts 12 + 0 + 5 + 3.
    EXPECT_GT(CountColor(sheet, 520 + 26, 0, 650, 14, MapBlack), 0);
    EXPECT_EQ(CountOther(sheet, 0, 14, 780, 98), 0);

    lines.clear();
    DrawTotalsSheet(table, palette, 1, -1, -1, sheet, lines);
    EXPECT_EQ(lines, QStringList{QStringLiteral("TOTALS\tBright_Red\t4\t12\t255")});
}

TEST(Totals, TotalBoxPlacement)
{
    const ColorTable table = MapTestTable();
    Bitmap32 sheet;
    QStringList lines;
    DrawTotalsSheet(table, Palette({}), 0, 1, 1, sheet, lines);
    EXPECT_TRUE(lines.isEmpty());
    EXPECT_GT(CountColor(sheet, 26, 0, 130, 14, MapBlack), 0);
    EXPECT_EQ(CountOther(sheet, 130, 0, 780, 98), 0);

    // 41 colours: the total box is the 42nd, the last place of the sheet.
    std::vector<TColor> many;
    for (int i = 0; i < 41; ++i)
        many.push_back(0x101010 + TColor(i));
    DrawTotalsSheet(table, Palette(many), 41, 1, 1, sheet, lines);
    EXPECT_EQ(sheet.Pixel(650 + 5, 84 + 5), MapWhite);
    EXPECT_GT(CountColor(sheet, 650 + 26, 84, 780, 98, MapBlack), 0);
    EXPECT_EQ(sheet.Pixel(520 + 5, 84 + 5), Color32(many[40]));
}

TEST(Totals, PaletteSizeBeyondTheArrayIsClamped)
{
    const ColorTable table = MapTestTable();
    Bitmap32 sheet;
    QStringList lines;
    DrawTotalsSheet(table, Palette({MapRedColor}), 1000, 1, 1, sheet, lines);
    EXPECT_EQ(lines.size(), 1);
}

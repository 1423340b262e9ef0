// The colour numbers of the map, drawn with real colour tables: whole, and readable on
// every palette colour.
#include "common/styles.h"
#include "ldraw/model_writer.h"
#include "map/map_colors.h"
#include "map/panel_sheet.h"
#include "map/totals_sheet.h"
#include "map_test_support.h"
#include "support/test_paths.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <set>

using namespace tesselka;
using namespace tesselka::test;

namespace {

constexpr int B = 16; // border around the sheet area

// A table read from `path` with the palette's slots marked as the window marks them.
ColorTable PaletteTable(const std::string& path)
{
    ColorTable table;
    if (!LoadColorTableFile(path, table))
        throw std::runtime_error("cannot read " + path);
    for (const PaletteEntry& entry : PaletteEntries)
        table[table.PanelSlotForCode(entry.code)].OnPanel = true;
    return table;
}

std::string ShippedColorTable()
{
    return QCoreApplication::applicationDirPath().toStdString() + "/ldconfig.ldr";
}

double Contrast(TColor a, TColor b)
{
    const double la = RelativeLuminance(a);
    const double lb = RelativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// Colours in the rectangle other than `background`.
std::set<TColor32> Ink(const Bitmap32& b, int x1, int y1, int x2, int y2, TColor32 background)
{
    std::set<TColor32> ink;
    for (int y = y1; y < y2; ++y)
        for (int x = x1; x < x2; ++x)
            if (b.Pixel(x, y) != background)
                ink.insert(b.Pixel(x, y));
    return ink;
}

Bitmap32 Sheet(const Bitmap32& studs, const ColorTable& table, const std::string& style, const MapOptions& options)
{
    const MapGeometry g = ComputeMapGeometry(options.panelSize, style, studs.Width(), studs.Height());
    Bitmap32 out;
    DrawPanelSheet({studs, table, StyleCellWidth, StyleCellHeight(style).value_or(5), style, g, options}, 0, 0, out);
    return out;
}

} // namespace

// On a filled square and over its totals swatch, every palette colour of the shipped and
// the reference table gets a number of one colour that contrasts with it at least 4.5 : 1,
// the ratio asked of small text; light colours get the swatch outline.
TEST(MapNumbers, ReadableOnEveryPaletteColourOfBothTables)
{
    EXPECT_NEAR(RelativeLuminance(RgbToColor(255, 0, 0)), 0.2126, 1e-4);
    EXPECT_NEAR(RelativeLuminance(RgbToColor(0, 0, 255)), 0.0722, 1e-4);
    const std::string style = "1x Bricks - studs out"; // cells of 15 x 15
    MapOptions options;
    options.panelSize = "48x48";
    options.fillColor = true;
    for (const std::string& path : {ShippedColorTable(), ReferenceColorTable()}) {
        const ColorTable table = PaletteTable(path);
        std::vector<TColor> colours;
        for (const PaletteEntry& entry : PaletteEntries)
            colours.push_back(table[table.PanelSlotForCode(entry.code)].Color);
        Bitmap32 totals;
        QStringList lines;
        DrawTotalsSheet(table, Palette(colours), PaletteSize, 1, 1, totals, lines);
        for (size_t i = 0; i < colours.size(); ++i) {
            const TColor k = colours[i];
            SCOPED_TRACE(path + " code " + std::to_string(PaletteEntries[i].code));
            const Bitmap32 sheet = Sheet(Uniform(1, 1, k), table, style, options);
            std::set<TColor32> ink = Ink(sheet, B, B, B + 15, B + 15, Color32(k));
            ASSERT_EQ(ink.size(), 1u);
            EXPECT_GE(Contrast(WinColor(*ink.begin()), k), 4.5);

            const int bx = int(i % 6) * 130;
            const int by = int(i / 6) * 14;
            ink = Ink(totals, bx + 1, by + 1, bx + 23, by + 11, Color32(k));
            ASSERT_EQ(ink.size(), 1u);
            EXPECT_GE(Contrast(WinColor(*ink.begin()), k), 4.5);
            EXPECT_EQ(totals.Pixel(bx, by) == MapBlack, IsLightColor(k));
        }
    }
}

// Slot 152 of the reference table (code 21) next to slot 15 (White, code 15): "152" must
// not lose its last digit and read as White's number, on any cell size or sheet.
TEST(MapNumbers, SlotsPast99AreWrittenWhole)
{
    const ColorTable table = PaletteTable(ReferenceColorTable());
    const int glow = table.SlotForCode(21);
    ASSERT_EQ(glow, 152);
    ASSERT_EQ(table.SlotForCode(15), 15);
    const TColor glowColour = table[glow].Color;
    const TColor white = table[15].Color;
    const struct
    {
        const char* style;
        const char* size;
    } rows[] = {{"1x Bricks - studs out", "48x48"}, // 15 x 15 cells
                {"1x Bricks - studs out", "8x8"},   // 20 x 20
                {"1x Plates - studs up", "32x32"},  // 15 x 6, 5 points
                {"2x Bricks - studs out", "6x6"}};  // 20 x 40
    for (const auto& row : rows) {
        SCOPED_TRACE(row.style + std::string(" ") + row.size);
        MapOptions options;
        options.panelSize = row.size;
        const MapGeometry g = ComputeMapGeometry(row.size, row.style, 2, 1);
        const int cellW = StyleCellWidth * g.SheetScale;
        const int cellH = *StyleCellHeight(row.style) * g.SheetScale;
        const Bitmap32 sheet = Sheet(Mosaic({{glowColour, white}}), table, row.style, options);
        auto cell = [&](int c) {
            Bitmap32 out(cellW, cellH);
            for (int y = 0; y < cellH; ++y)
                for (int x = 0; x < cellW; ++x)
                    out.SetPixel(x, y, sheet.Pixel(B + c * cellW + x, B + y));
            return out;
        };
        const Bitmap32 first = cell(0);
        const Bitmap32 second = cell(1);
        EXPECT_FALSE(first == second) << "152 reads as 15";
        // Nothing cut at the right edge: the number's ink stays clear of the last column.
        for (const Bitmap32* b : {&first, &second}) {
            EXPECT_GT(CountColor(*b, 0, 0, cellW, cellH, MapBlack), 0);
            EXPECT_EQ(CountColor(*b, cellW - 1, 0, cellW, cellH, MapBlack), 0);
        }
    }
    QStringList lines;
    Bitmap32 totals;
    DrawTotalsSheet(table, Palette({glowColour, white}), 2, -1, -1, totals, lines);
    EXPECT_EQ(lines, (QStringList{QStringLiteral("TOTALS\tGlow_In_Dark_Opaque\t152\t0\t%1").arg(glowColour),
                                  QStringLiteral("TOTALS\tWhite\t15\t0\t%1").arg(white)}));
    // The whole "152" fits over its swatch, clear of the name beside it.
    EXPECT_EQ(CountColor(totals, 24, 0, 26, 14, MapBlack), 0);
    EXPECT_FALSE(Ink(totals, 1, 1, 23, 11, Color32(glowColour)).empty());
    // The model header names the slots the map numbers.
    const Bitmap32 image = Mosaic({{glowColour, white}});
    const ModelExportInput input{image,           table, Palette({glowColour, white}), 2, 1, "1x Plates - studs up",
                                 PartSizes::All()};
    EXPECT_NE(BuildModelHeader("m.ldr", input)
                  .find("0 Tesselka Color : Glow_In_Dark_Opaque : 21\r\n0 Tesselka Color : White : 15\r\n"),
              std::string::npos);
}

#include "colours/color_table.h"
#include "colours/palette.h"
#include "support/files.h"
#include "support/test_paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>
#include <set>

using namespace tesselka;
using tesselka::test::ReadFile;

TEST(CollapseSpaces, KeepsOneSpaceOfEveryRunAndLeavesTabs)
{
    EXPECT_EQ(CollapseSpaces("0  !COLOUR   Black"), "0 !COLOUR Black");
    EXPECT_EQ(CollapseSpaces("   0 x"), " 0 x");
    EXPECT_EQ(CollapseSpaces("a\t\tb  "), "a\t\tb ");
}

TEST(ReadColorTable, ReadsColourLinesWithAlignmentSpaces)
{
    ColorTable table;
    auto r = ReadColorTable("0 // a comment\r\n"
                            "\r\n"
                            "0 !COLOUR Orange      CODE  25   VALUE #FF6A19   EDGE #333333\r\n"
                            "0 !COLOUR Black CODE 0 VALUE #000000 EDGE #595959 METAL\r\n"
                            "1 16 0 0 0 1 0 0 0 1 0 0 0 1 x.dat\r\n",
                            table);
    ASSERT_FALSE(r.error);
    EXPECT_EQ(r.linesRead, 2);
    EXPECT_EQ(table[0].Name, "Orange");
    EXPECT_EQ(table[0].Code, 25);
    EXPECT_EQ(table[0].Color, 1665791u); // red 255, green 106, blue 25
    EXPECT_EQ(table[1].Code, 0);
    EXPECT_EQ(table[2].Code, -1);
    EXPECT_TRUE(table[2].Name.empty());
    EXPECT_EQ(table.Size(), ColorTable::MinSlots);
}

TEST(ReadColorTable, ValueWithoutHashOrWithExtraDigits)
{
    ColorTable table;
    auto r = ReadColorTable("0 !COLOUR A CODE 1 VALUE 0033FF\n"
                            "0 !COLOUR B CODE 2 VALUE #11223344\n"
                            "10 !COLOUR C CODE 3 VALUE #010203\n",
                            table);
    ASSERT_FALSE(r.error);
    EXPECT_EQ(table[0].Color, 0xFF3300u);
    EXPECT_EQ(table[1].Color, 0x332211u); // only the first six digits count
    // A line that merely contains the marker is taken, its fields counted from the start.
    EXPECT_EQ(table[2].Name, "C");
    EXPECT_EQ(table[2].Code, 3);
}

TEST(ReadColorTable, IndentedLineStopsWithTheConversionError)
{
    ColorTable table;
    auto r = ReadColorTable("0 !COLOUR A CODE 1 VALUE #000001\n"
                            "   0 !COLOUR B CODE 2 VALUE #000002\n"
                            "0 !COLOUR C CODE 3 VALUE #000003\n",
                            table);
    ASSERT_TRUE(r.error);
    // The leading blank shifts the fields: field 5 is the word CODE.
    EXPECT_EQ(*r.error, "'CODE' is not a valid integer value");
    EXPECT_EQ(table[0].Code, 1); // filled before the bad line
    EXPECT_EQ(table[1].Code, -1);
}

TEST(ReadColorTable, ShortLineOrBadValueIsAnError)
{
    ColorTable table;
    EXPECT_TRUE(ReadColorTable("0 !COLOUR A CODE 1\n", table).error);
    EXPECT_TRUE(ReadColorTable("0 !COLOUR A CODE 1 VALUE #GG0000\n", table).error);
    EXPECT_TRUE(ReadColorTable("0 !COLOUR A CODE x1 VALUE #000000\n", table).error);
}

TEST(ReadColorTable, DuplicateCodesBothTakeSlotsAndTheLaterWins)
{
    ColorTable table;
    ReadColorTable("0 !COLOUR A CODE 4 VALUE #000001\n0 !COLOUR B CODE 4 VALUE #000002\n", table);
    EXPECT_EQ(table[0].Code, 4);
    EXPECT_EQ(table[1].Code, 4);
    EXPECT_EQ(table.PanelSlotForCode(4), 1);
    // A code no slot holds falls back to slot 0.
    EXPECT_EQ(table.PanelSlotForCode(999), 0);
}

TEST(ReadColorTable, NoColourLinesLeavesEveryPanelOnEmptySlotZero)
{
    ColorTable table;
    auto r = ReadColorTable("0 just a comment\n", table);
    EXPECT_FALSE(r.error);
    EXPECT_EQ(r.linesRead, 0);
    EXPECT_EQ(table.PanelSlotForCode(4), 0);
    EXPECT_EQ(table[0].Code, -1);
}

TEST(ReadColorTable, TableGrowsPastOneHundredAndOneLines)
{
    std::string text;
    for (int i = 0; i < 150; ++i) {
        char line[80];
        snprintf(line, sizeof line, "0 !COLOUR C%d CODE %d VALUE #0000%02X\n", i, 1000 + i, i);
        text += line;
    }
    ColorTable table;
    auto r = ReadColorTable(text, table);
    ASSERT_FALSE(r.error);
    EXPECT_EQ(r.linesRead, 150);
    EXPECT_EQ(table.Size(), 150);
    EXPECT_EQ(table.PanelSlotForCode(1149), 149);
    EXPECT_EQ(table[149].Color, TColor(149) << 16);
}

TEST(ReadColorTable, ReferenceTableGivesEveryPanelItsOwnSlot)
{
    ColorTable table;
    auto r = ReadColorTable(ReadFile(test::ReferenceColorTable()), table);
    ASSERT_FALSE(r.error);
    ASSERT_EQ(r.linesRead, 212);
    // Code 21 stands on the 153rd colour line: out of reach of a 101-slot table.
    EXPECT_EQ(table.SlotForCode(21), 152);
    EXPECT_EQ(table[152].Name, "Glow_In_Dark_Opaque");
    for (const PaletteEntry& entry : PaletteEntries) {
        int slot = table.PanelSlotForCode(entry.code);
        EXPECT_EQ(table[slot].Code, entry.code) << "panel " << entry.panel;
    }
    EXPECT_EQ(table[table.SlotForCode(4)].Color, RgbToColor(0xB4, 0x00, 0x00));
    EXPECT_EQ(table[table.SlotForCode(7)].Name, "Light_Grey");
}

TEST(ReadColorTable, ShippedTableIsTheReferenceTableWithThePaletteFirst)
{
    ColorTable table;
    auto r = ReadColorTable(ReadFile(QCoreApplication::applicationDirPath().toStdString() + "/ldconfig.ldr"), table);
    ASSERT_FALSE(r.error);
    ColorTable reference;
    ASSERT_FALSE(ReadColorTable(ReadFile(test::ReferenceColorTable()), reference).error);
    // Slots 0 to 40 are the palette in panel order, so the fallback slots 3 and 13 of the
    // model writer are palette colours.
    std::set<TColor> colours;
    for (size_t i = 0; i < PaletteEntries.size(); ++i) {
        EXPECT_EQ(table[int(i)].Code, PaletteEntries[i].code) << "slot " << i;
        colours.insert(table[int(i)].Color);
    }
    EXPECT_EQ(colours.size(), PaletteEntries.size()) << "palette colours must be distinct";
    // Every line carries the LDraw.org code, name and value, so the mosaic shows the
    // colours an LDraw viewer shows for its codes.
    std::set<int> codes;
    for (int i = 0; i < r.linesRead; ++i) {
        EXPECT_TRUE(codes.insert(table[i].Code).second) << "code " << table[i].Code << " twice";
        int ref = reference.SlotForCode(table[i].Code);
        ASSERT_GE(ref, 0) << table[i].Code;
        EXPECT_EQ(reference[ref].Name, table[i].Name) << table[i].Code;
        EXPECT_EQ(reference[ref].Color, table[i].Color) << table[i].Code;
    }
    EXPECT_GT(r.linesRead, PaletteSize);
}

TEST(TestData, MissingFileFailsTheTestByName)
{
    try {
        test::DataFile("absent/ldconfig.ldr");
        ADD_FAILURE() << "no exception";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("absent/ldconfig.ldr"), std::string::npos) << e.what();
    }
}

TEST(LoadColorTableFile, MissingFileAndMessage)
{
    ColorTable table;
    table.Fill(0, "x", 5, 1);
    EXPECT_FALSE(LoadColorTableFile("/nonexistent/ldconfig.ldr", table));
    EXPECT_EQ(table[0].Code, -1);
}

// A portable copy beside the program wins over the installed one; without either the
// message names both folders.
TEST(FindColorTable, BesideTheProgramThenTheInstalledDataFolder)
{
    QTemporaryDir root;
    const std::string bin = root.filePath("bin").toStdString();
    const std::string beside = bin + "/ldconfig.ldr";
    const std::string installed = root.filePath("share/tesselka/ldconfig.ldr").toStdString();
    ASSERT_TRUE(QDir().mkpath(root.filePath("bin")) && QDir().mkpath(root.filePath("share/tesselka")));
    EXPECT_EQ(ColorTablePlaces(bin), (std::vector<std::string>{beside, installed}));

    const struct
    {
        bool hasBeside, hasInstalled;
        std::optional<std::string> found;
    } cases[] = {{false, false, std::nullopt}, {false, true, installed}, {true, true, beside}, {true, false, beside}};
    for (const auto& c : cases) {
        QFile::remove(QString::fromStdString(beside));
        QFile::remove(QString::fromStdString(installed));
        if (c.hasBeside)
            std::ofstream(beside) << "0 x\n";
        if (c.hasInstalled)
            std::ofstream(installed) << "0 x\n";
        EXPECT_EQ(FindColorTable(bin), c.found) << c.hasBeside << c.hasInstalled;
    }
    EXPECT_EQ(MissingColorTableText(ColorTablePlaces(bin)),
              "Can not find ldconfig.ldr.  Please make sure it is in the same directory as the program (" + bin +
                  ") or in the installed data folder (" + root.filePath("share/tesselka").toStdString() +
                  ")\n\rYour LDraw files will be all black with out this file.");
}

TEST(Palette, SelectedColorsAndReductionPalette)
{
    int n = -1;
    SelectedColorArray selected = MakeSelectedColors({0x0000CC, 0xFFFFFF, 0}, n);
    EXPECT_EQ(n, 3);
    EXPECT_EQ(selected[0], 0x0000CC);
    EXPECT_EQ(selected[2], 0);
    EXPECT_EQ(selected[3], -1);
    EXPECT_EQ(selected[99], -1);
    ReductionPalette palette = MakeReductionPalette(selected, n);
    EXPECT_EQ(palette.version, 0x300);
    ASSERT_EQ(palette.Count(), 3);
    EXPECT_EQ(palette.entries[0].red, 0xCC);
    EXPECT_EQ(palette.entries[0].blue, 0);
    EXPECT_EQ(palette.entries[0].flags, 4);
    SelectedColorArray none = MakeSelectedColors({}, n);
    EXPECT_EQ(n, 0);
    EXPECT_EQ(MakeReductionPalette(none, n).Count(), 0);
}

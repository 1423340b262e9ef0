#include "ldraw/model_writer.h"

#include "test_mosaics.h"

#include "common/error.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tesselka;
using namespace tesselka::test;

namespace {

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    lines.push_back(text.substr(start));
    return lines;
}

std::vector<std::string> PartLines(const std::string& text)
{
    std::vector<std::string> parts;
    for (const std::string& line : Lines(text))
        if (line.starts_with("1 "))
            parts.push_back(line);
    return parts;
}

struct Fixture
{
    ColorTable table = CraftedTable();
    SelectedColorArray selected{};
    Bitmap32 image;
    ModelExportInput Input(const std::string& style, PartSizes sizes = PartSizes::All()) const
    {
        return ModelExportInput{image, table, selected, 640, 480, style, sizes};
    }
    Fixture() { selected.fill(-1); }
};

std::string Export(const ModelExportInput& input, ModelBuilder builder, ExportPasses passes = {},
                   const std::string& path = "/tmp/model.ldr")
{
    StudGrid grid;
    const ModelFileFormat format = BuildModel(grid, input, builder, passes);
    return ModelFileText(path, grid, input, format);
}

} // namespace

TEST(ModelWriter, PartLineOfAOneByTwoPlate)
{
    Fixture f;
    f.image = MakeImage(8, 8, [](int x, int y) { return y == 7 && (x == 5 || x == 6) ? 'R' : 'W'; });
    const std::vector<std::string> parts = PartLines(Export(f.Input("1x Plates - studs up"), ModelBuilder::Plate));
    // The dark red (TColor 1) packs like any colour and finds its slot's code, 4.
    EXPECT_NE(std::find(parts.begin(), parts.end(), "1 4 0 56 -110 0 0 1 0 1 0 -1 0 0 3023.DAT"), parts.end());
}

TEST(ModelWriter, FileLayout)
{
    Fixture f;
    f.image = CraftedImage({"WB", "KK"});
    // Code 1 is held by two slots on panels: the higher slot decides.
    f.table.Fill(110, "Blue_Too", 101, CraftedColor('B'));
    f.table[110].OnPanel = true;
    f.selected[0] = CraftedColor('W');
    f.selected[1] = 0x123456; // on no panel: repeats the previous line
    f.selected[2] = CraftedColor('B');
    const std::string text =
        Export(f.Input("1x Bricks - studs out", PartSizes()), ModelBuilder::Brick, {}, "/home/u/my.pics/cat.ldr");
    const std::vector<std::string> expected = {
        "0 A Tesselka Mosaic",
        "0 Name: cat.ldr",
        "0 Author: MLCad",
        "0 Unofficial Model",
        Lines(text)[4],
        "0 Tesselka Width : 2",
        "0 Tesselka Height : 2",
        "0 Tesselka OWidth : 640",
        "0 Tesselka OHeight : 480",
        "0 Tesselka Style : 1x Bricks - studs out",
        "0 Tesselka Color : W : 15",
        "0 Tesselka Color : W : 15",
        "0 Tesselka Color : Blue_Too : 101",
        "0 ROTATION CENTER 0 0 0 1 \"Custom\"",
        "0 ROTATION CONFIG 0 0",
        // The bottom row first, one step per row, studs out: rows 20 apart.
        "1 0 0 20 0 0 1 0 0 0 -1 -1 0 0 3005.DAT",
        "1 0 0 20 -20 0 1 0 0 0 -1 -1 0 0 3005.DAT",
        "0 STEP",
        "1 15 0 0 0 0 1 0 0 0 -1 -1 0 0 3005.DAT",
        "1 101 0 0 -20 0 1 0 0 0 -1 -1 0 0 3005.DAT",
        "0 STEP",
        "",
    };
    EXPECT_EQ(Lines(text), expected);
    EXPECT_TRUE(Lines(text)[4].starts_with("0 Made with Tesselka - Version 0.1.18"));
    // No bare line feed anywhere: every line ends in CR LF.
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), std::count(text.begin(), text.end(), '\r'));
}

TEST(ModelWriter, HeaderSearchCoversEverySlot)
{
    Fixture f;
    f.image = CraftedImage({"W"});
    f.table.Fill(100, "Last_Of_101", 77, 0x445566);
    f.table[100].OnPanel = true;
    f.table.Fill(250, "Far_Slot", 88, 0x665544);
    f.table[250].OnPanel = true;
    f.selected[0] = 0x445566;
    f.selected[1] = 0x665544;
    const std::vector<std::string> lines = Lines(BuildModelHeader("C:\\pictures\\cat.ldr", f.Input("x")));
    EXPECT_EQ(lines[1], "0 Name: cat.ldr");
    EXPECT_EQ(lines[10], "0 Tesselka Color : Last_Of_101 : 77");
    EXPECT_EQ(lines[11], "0 Tesselka Color : Far_Slot : 88");
}

TEST(ModelWriter, EveryColourLineAndPartNamesAnLDrawColour)
{
    Fixture f;
    f.image = CraftedImage({"W"});
    // Slot 0 is on no panel: an unmatched first entry names the first slot on a panel.
    f.selected[0] = 0x123456;
    std::vector<std::string> lines = Lines(BuildModelHeader("cat.ldr", f.Input("x")));
    EXPECT_EQ(lines[10], "0 Tesselka Color : K : 0");
    // Without a colour table no slot has a code: Black (0), never -1.
    f.table = ColorTable();
    f.selected[1] = CraftedColor('W');
    const std::string text = Export(f.Input("1x Plates - studs up"), ModelBuilder::Plate);
    lines = Lines(text);
    EXPECT_EQ(lines[10], "0 Tesselka Color : Black : 0");
    EXPECT_EQ(lines[11], "0 Tesselka Color : Black : 0");
    EXPECT_EQ(PartLines(text), std::vector<std::string>{"1 0 0 0 0 0 0 1 0 1 0 -1 0 0 3024.DAT"});
}

TEST(ModelWriter, FallbackCodesAndLifts)
{
    Fixture f;
    f.image = CraftedImage({"W", "W"});
    ExportPasses pairs;
    pairs.StackPairs = true;
    // Two stacked 1 x 1 plates: an upright 1 x 2 plate centred between the rows.
    EXPECT_EQ(PartLines(Export(f.Input("1x Plates - studs out"), ModelBuilder::Plate, pairs)),
              std::vector<std::string>{"1 15 0 10 0 0 1 0 -1 0 0 0 0 1 3023.DAT"});

    f.image = MakeImage(2, 4, [](int, int) { return 'G'; });
    ExportPasses four;
    four.StackPairs = four.FourWidePass = true;
    EXPECT_EQ(PartLines(Export(f.Input("1x Plates - studs out"), ModelBuilder::Banded, four)),
              std::vector<std::string>{"1 2 0 30 -10 0 1 0 -1 0 0 0 0 1 3020.DAT"});

    // A colour on no panel takes slot 3's code; the back half of the two-deep wall takes
    // slot 13's, and sits behind the narrowed front brick.
    f.table[22].OnPanel = false; // 'W'
    f.image = MakeImage(1, 3, [](int, int) { return 'W'; });
    EXPECT_EQ(PartLines(Export(f.Input("2x Bricks - studs up", PartSizes()), ModelBuilder::DoubleBrick)),
              (std::vector<std::string>{
                  "1 13 0 48 0 1 0 0 0 1 0 0 0 1 3004.DAT", "1 13 -10 24 0 0 0 1 0 1 0 -1 0 0 3005.DAT",
                  "1 13 10 24 0 0 0 1 0 1 0 -1 0 0 3005.DAT", "1 13 0 0 0 1 0 0 0 1 0 0 0 1 3004.DAT"}));
    f.image = CraftedImage({"W"});
    EXPECT_EQ(PartLines(Export(f.Input("1x Plates - studs up"), ModelBuilder::Plate)),
              std::vector<std::string>{"1 3 0 0 0 0 0 1 0 1 0 -1 0 0 3024.DAT"});
}

TEST(ModelWriter, StemCutsTheFileNamesOwnExtension)
{
    EXPECT_EQ(ModelStem("C:\\pictures\\cat.ldr"), "C:\\pictures\\cat");
    EXPECT_EQ(ModelStem("/home/u/my.pics/cat.ldr"), "/home/u/my.pics/cat");
    EXPECT_EQ(ModelStem("/home/u/my.pics/cat"), "/home/u/my.pics/cat");
    EXPECT_EQ(ModelStem("/home/u/cat.v2.ldr"), "/home/u/cat.v2");
}

TEST(ModelExport, FailuresLeaveNoHalfWrittenFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    Fixture f;
    f.image = CraftedImage({"WB"});
    const ModelExportInput input = f.Input("1x Plates - studs up");
    try {
        ExportModelFiles(input, dir.filePath(QStringLiteral("missing/wall.ldr")).toStdString());
        ADD_FAILURE() << "no error";
    } catch (const IoError& e) {
        EXPECT_STREQ(e.what(), "File not found");
    }
    // The target name is taken by a folder: the model cannot replace it, and neither a
    // temporary file nor a partial model stays behind.
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("wall.ldr")));
    const std::string chosen = dir.filePath(QStringLiteral("wall.ldr")).toStdString();
    EXPECT_THROW(ExportModelFiles(input, chosen), IoError);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::NoDotAndDotDot), QStringList());

    // An extra file that cannot be written stops the sequence after the files before it.
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("seq_2.ldr")));
    const std::string seq = dir.filePath(QStringLiteral("seq.ldr")).toStdString();
    EXPECT_THROW(ExportModelFiles(input, seq), IoError);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files, QDir::Name), (QStringList{"seq.ldr", "seq_1.ldr"}));
}

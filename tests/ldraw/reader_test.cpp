#include "ldraw/model_reader.h"
#include "ldraw/model_writer.h"

#include "test_mosaics.h"

#include "common/error.h"
#include "common/styles.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace tesselka;
using namespace tesselka::test;

namespace {

struct Loaded
{
    Bitmap32 studs;
    Bitmap32 source;
    TColor color = 0;
    std::string widthText, style;
    ModelReadResult result = ModelReadResult::NotOurs;
    std::string error;
};

Loaded Read(const std::string& text, const ColorTable& table, Loaded start = {})
{
    Loaded l = std::move(start);
    ModelReadTarget target{l.studs, l.source, l.color, [&l](const std::string& t) { l.widthText = t; },
                           [&l](const std::string& t) { l.style = t; }};
    std::istringstream in(text);
    try {
        l.result = ReadModel(in, table, target);
    } catch (const Error& e) {
        l.error = e.what();
    }
    return l;
}

std::string Written(const Bitmap32& image, const ColorTable& table, const std::string& style)
{
    SelectedColorArray selected;
    selected.fill(-1);
    const ModelExportInput input{image, table, selected, 320, 200, style, PartSizes::All()};
    StudGrid grid;
    const ModelFilePlan plan = ModelFilesForStyle(style).front();
    const ModelFileFormat format = BuildModel(grid, input, plan.builder, plan.passes);
    return ModelFileText("/tmp/model.ldr", grid, input, format);
}

} // namespace

TEST(ModelReader, EveryStylesChosenFileComesBackCellForCell)
{
    const ColorTable table = CraftedTable();
    // Runs of every length, black and the dark red among them.
    const Bitmap32 image = MakeImage(23, 11, [](int x, int y) { return "KRWBGb"[(x / (1 + y % 4) + y) % 6]; });
    for (std::string_view style : MosaicStyles) {
        if (style == "2x Bricks - studs up")
            continue; // its aligned joints give back-layer parts: below
        Loaded l = Read(Written(image, table, std::string(style)), table);
        ASSERT_EQ(l.result, ModelReadResult::Read) << style;
        EXPECT_EQ(l.error, "") << style;
        EXPECT_TRUE(l.studs == image) << style;
        EXPECT_EQ(l.widthText, "23");
        EXPECT_EQ(l.style, style);
        EXPECT_EQ(l.source.Width(), 320);
        EXPECT_EQ(l.source.Height(), 200);
    }
    // Two studs wide, rows whose joints never line up over three rows.
    const Bitmap32 bricks = CraftedImage({"KK", "RW", "BB", "GK", "RR", "WB", "GG"});
    Loaded l = Read(Written(bricks, table, "2x Bricks - studs up"), table);
    EXPECT_TRUE(l.studs == bricks);
}

TEST(ModelReader, RefusesOtherModelsAndChangesNothing)
{
    const ColorTable table = CraftedTable();
    Loaded start;
    start.studs = CraftedImage({"KR"});
    Loaded l = Read("0 Some other model\r\n0 Tesselka Width : 5\r\n", table, start);
    EXPECT_EQ(l.result, ModelReadResult::NotOurs);
    EXPECT_TRUE(l.studs == CraftedImage({"KR"}));
    EXPECT_EQ(l.widthText, "");
    EXPECT_EQ(Read("", table).result, ModelReadResult::NotOurs);
    // The name anywhere in the first line will do.
    EXPECT_EQ(Read("0 // made by Tesselka, honest\n", table).result, ModelReadResult::Read);
}

TEST(ModelReader, PartsFollowOneAnotherAndColoursCarryOver)
{
    const ColorTable table = CraftedTable();
    const std::string text = "0 A Tesselka Mosaic\n"
                             "0 Tesselka Width : 6\n"
                             "0 Tesselka Height : 2\n"
                             "0 Tesselka Style : 2x Plates - studs up\n"
                             "1 15 0 8 0 0 0 1 0 1 0 -1 0 0 3023.DAT\n"    // one cell in a 2x style
                             "1 999 0 8 -20 0 0 1 0 1 0 -1 0 0 3022.DAT\n" // unknown code: white again
                             "1 1 0 8 -60 0 0 1 0 1 0 -1 0 0 3029.DAT\n"   // no cells: nothing, no advance
                             "1 1 0 8 -60 0 0 1 0 1 0 -1 0 0 3024.DAT\n"
                             "1 2 0 0 0 0 0 1 0 1 0 -1 0 0 3666.DAT\n" // y falls: the row above
                             "\n"
                             "0 STEP\n";
    Loaded start;
    start.color = CraftedColor('K');
    Loaded l = Read(text, table, start);
    ASSERT_EQ(l.error, "");
    const Bitmap32 expected = CraftedImage({"GGGGGG", "WWWBKK"});
    EXPECT_TRUE(l.studs == expected);
    EXPECT_EQ(l.color, CraftedColor('G')); // kept for the next load
    EXPECT_EQ(ModelPartCells(3004, 1), 2);
    EXPECT_EQ(ModelPartCells(3004, 3), 0);
}

TEST(ModelReader, BadNumbersStopTheLoadWhereTheyStand)
{
    const ColorTable table = CraftedTable();
    Loaded l = Read("0 Tesselka\n0 Tesselka Width : 12\n0 Tesselka Height : x1\n", table);
    EXPECT_EQ(l.error, "'x1' is not a valid integer value");
    EXPECT_EQ(l.widthText, "12");
    EXPECT_EQ(l.studs.Width(), 12); // what the lines before did stays
    EXPECT_EQ(Read("0 Tesselka\n0 Tesselka Style : Plates\n", table).error, "'P' is not a valid integer value");
    EXPECT_EQ(Read("0 Tesselka\n1 4 0 8 0 0 0 1 0 1 0 -1 0 0 X.DAT\n", table).error,
              "'X' is not a valid integer value");
    EXPECT_EQ(Read("0 Tesselka\n1 4 0 8\n", table).error, "'' is not a valid integer value");
}

TEST(ModelReader, HostileSizesAreRefusedBeforeAllocating)
{
    const ColorTable table = CraftedTable();
    EXPECT_EQ(Read("0 Tesselka\n0 Tesselka Height : 2000000000\n", table).error,
              "The model's Height (2000000000) is not a picture size");
    EXPECT_EQ(Read("0 Tesselka\n0 Tesselka Width : -3\n", table).error, "The model's Width (-3) is not a picture size");
    // No wider than the widest mosaic, no taller than its picture's proportions give.
    Loaded l = Read("0 Tesselka\n0 Tesselka Width : 100000\n0 Tesselka Height : 100000\n", table);
    EXPECT_EQ(l.error, "The model's Width (100000) is not a picture size");
    EXPECT_EQ(l.studs.Width(), 0);
    EXPECT_EQ(l.widthText, "");
    l = Read("0 Tesselka\n0 Tesselka Width : 4000\n0 Tesselka Height : 100000\n0 Tesselka OWidth : 4000\n"
             "0 Tesselka OHeight : 3000\n",
             table);
    EXPECT_EQ(l.error, "The model's Height (100000) is not a picture size");
    EXPECT_EQ(l.studs.Height(), 0);
    // Parts beyond the picture are ignored, however many there are.
    std::string many = "0 Tesselka\n0 Tesselka Width : 2\n0 Tesselka Height : 1\n";
    for (int i = 0; i < 1000; ++i)
        many += "1 4 0 0 0 0 0 1 0 1 0 -1 0 0 2465.DAT\n";
    EXPECT_EQ(Read(many, table).error, "");
}

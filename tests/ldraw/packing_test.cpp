#include "ldraw/packing.h"

#include "test_mosaics.h"

#include <gtest/gtest.h>

#include <vector>

using namespace tesselka;
using namespace tesselka::test;

namespace {

PartSizes Sizes(std::initializer_list<PartBox> ticked)
{
    PartSizes sizes;
    for (PartBox box : ticked)
        sizes.Set(box, true);
    return sizes;
}

// The part codes that start in row y of layer `layer`, left to right, with their columns.
std::vector<std::pair<int, int32_t>> RowParts(const StudGrid& grid, int y, int layer = 0)
{
    std::vector<std::pair<int, int32_t>> parts;
    for (int x = 0; x < grid.Width(); ++x)
        if (grid.At(x, y, layer) >= 0)
            parts.emplace_back(x, grid.At(x, y, layer));
    return parts;
}

using Parts = std::vector<std::pair<int, int32_t>>;

StudGrid Build(void (*builder)(StudGrid&, const ModelSource&, const ExportPasses&), const Bitmap32& image,
               const char* style, const PartSizes& sizes, const ExportPasses& passes = {})
{
    StudGrid grid;
    builder(grid, ModelSource{image, style, sizes}, passes);
    return grid;
}

Bitmap32 OneRow(int length, char c = 'B')
{
    return MakeImage(length, 1, [c](int, int) { return c; });
}

} // namespace

TEST(PackRuns, LongestAllowedLengthsFirst)
{
    // 40 cells of two-wide plates: as many 16s as fit, then the next shorter length.
    EXPECT_EQ(RowParts(Build(BuildDoublePlateModel, OneRow(40), "2x Plates - studs up", PartSizes::All()), 0),
              (Parts{{0, 4282}, {16, 4282}, {32, 3034}}));
    // Greedy, not fewest parts: 7 is 6 + 1, not 4 + 3.
    EXPECT_EQ(RowParts(Build(BuildPlateModel, OneRow(7), "1x Plates - studs up", PartSizes::All()), 0),
              (Parts{{0, 3666}, {6, 3024}}));
    EXPECT_EQ(RowParts(Build(BuildPlateModel, OneRow(5), "1x Plates - studs up", Sizes({PartBox::plate1x4})), 0),
              (Parts{{0, 3710}, {4, 3024}}));
    EXPECT_EQ(RowParts(Build(BuildPlateModel, OneRow(5), "1x Plates - studs up",
                             Sizes({PartBox::plate1x3, PartBox::plate1x2})),
                       0),
              (Parts{{0, 3623}, {3, 3023}}));
    EXPECT_EQ(RowParts(Build(BuildPlateModel, OneRow(11), "1x Plates - studs out", Sizes({PartBox::plate1x10})), 0),
              (Parts{{0, 4477}, {10, 3024}}));
    // Bricks of one and two studs deep.
    EXPECT_EQ(RowParts(Build(BuildBrickModel, OneRow(31), "1x Bricks - studs up", PartSizes::All()), 0),
              (Parts{{0, 2465}, {16, 6112}, {28, 3622}}));
    EXPECT_EQ(RowParts(Build(BuildDoubleBrickModel, OneRow(13), "2x Bricks - studs out", PartSizes::All()), 0),
              (Parts{{0, 3006}, {10, 3002}}));
}

TEST(PackRuns, TwelveInATwoWideStyleNeedsItsBox)
{
    PartSizes sizes = PartSizes::All();
    EXPECT_EQ(RowParts(Build(BuildDoublePlateModel, OneRow(12), "2x Plates - studs out", sizes), 0),
              (Parts{{0, 2445}}));
    sizes.Set(PartBox::plate2x12, false);
    EXPECT_EQ(RowParts(Build(BuildDoublePlateModel, OneRow(12), "2x Plates - studs out", sizes), 0),
              (Parts{{0, 3832}, {10, 3022}}));
    // Only the 1-long boxes: every cell its own part, 2 x 1 lying across the wall.
    EXPECT_EQ(RowParts(Build(BuildDoublePlateModel, OneRow(3), "2x Plates - studs up", PartSizes()), 0),
              (Parts{{0, 30231}, {1, 30231}, {2, 30231}}));
}

TEST(PackRuns, RunsNeverJoinAcrossColours)
{
    // 'B' and 'b' differ by one step of blue; black and the dark red sit at the bottom of
    // the colour range and must pack like any other colour.
    const Bitmap32 image = CraftedImage({"BBbbKKKKRRRR"});
    const StudGrid grid =
        Build(BuildPlateModel, image, "1x Plates - studs up", Sizes({PartBox::plate1x4, PartBox::plate1x2}));
    EXPECT_EQ(RowParts(grid, 0), (Parts{{0, 3023}, {2, 3023}, {4, 3710}, {8, 3710}}));
    for (int x = 0; x < grid.Width(); ++x)
        EXPECT_FALSE(StudGrid::IsUncovered(grid.At(x, 0, 0))) << x;
}

TEST(PackRuns, FourRowRunOfThree)
{
    const Bitmap32 image = MakeImage(3, 4, [](int, int) { return 'G'; });
    const char* style = "1x Plates - studs out";
    ExportPasses four;
    four.FourWidePass = true;
    auto pack = [&](PartSizes sizes) {
        StudGrid grid;
        FillStudGrid(grid, image, 1);
        BrickPacker packer(grid, style, sizes, four);
        packer.PackPlateRun(0, 0, 0);
        return grid;
    };
    // A one-wide plate covers only the band's top row; the rows below wait for later passes.
    StudGrid grid = pack(Sizes({PartBox::plate1x3, PartBox::plate4x2, PartBox::plate1x2}));
    EXPECT_EQ(RowParts(grid, 0), (Parts{{0, 3623}}));
    EXPECT_TRUE(StudGrid::IsUncovered(grid.At(0, 1, 0)));
    EXPECT_TRUE(StudGrid::IsUncovered(grid.At(2, 3, 0)));

    grid = pack(Sizes({PartBox::plate4x2, PartBox::plate1x2}));
    EXPECT_EQ(RowParts(grid, 0), (Parts{{0, 1020}, {2, 1710}}));
    for (int y = 1; y < 4; ++y)
        EXPECT_EQ(RowParts(grid, y), Parts{}) << y;

    grid = pack(Sizes({PartBox::plate1x2}));
    EXPECT_EQ(RowParts(grid, 0), (Parts{{0, 3023}, {2, 1710}}));
    EXPECT_TRUE(StudGrid::IsUncovered(grid.At(1, 3, 0)));
    EXPECT_EQ(grid.At(2, 3, 0), StudGrid::Covered);

    grid = pack(PartSizes());
    EXPECT_EQ(RowParts(grid, 0), (Parts{{0, 1710}, {1, 1710}, {2, 1710}}));
}

TEST(StackMerges, ThreePlatesMakeABrick)
{
    ExportPasses stack;
    stack.StackBricks = true;
    const PartSizes sizes = Sizes({PartBox::plate1x2});
    // Column 0: six equal 1 x 2 plates become two bricks. Column 3: plates that start in
    // other columns (the runs are shifted by one) stay plates.
    const Bitmap32 image = CraftedImage({"BBWGGW", "BBWWGG", "BBWGGW", "BBWWGG", "BBWGGW", "BBWWGG"});
    const StudGrid grid = Build(BuildPlateModel, image, "1x Plates - studs up", sizes, stack);
    EXPECT_EQ(grid.At(0, 0, 0), 3004);
    EXPECT_EQ(grid.At(0, 3, 0), 3004);
    for (int y : {1, 2, 4, 5})
        EXPECT_EQ(grid.At(0, y, 0), StudGrid::Covered) << y;
    EXPECT_EQ(grid.At(3, 0, 0), 3023);
    EXPECT_EQ(grid.At(4, 1, 0), 3023);
    EXPECT_EQ(grid.At(3, 2, 0), 3023);
}

TEST(StackMerges, PairsFormFromTheTop)
{
    ExportPasses pairs;
    pairs.StackPairs = true;
    const Bitmap32 image = CraftedImage({"BW", "BW", "BG", "WG"});
    const StudGrid grid = Build(BuildPlateModel, image, "1x Plates - studs out", PartSizes(), pairs);
    // Column 0: of three stacked plates the upper two pair, the third stays single.
    EXPECT_EQ(grid.At(0, 0, 0), 1023);
    EXPECT_EQ(grid.At(0, 1, 0), StudGrid::Covered);
    EXPECT_EQ(grid.At(0, 2, 0), 3024);
    EXPECT_EQ(grid.At(0, 3, 0), 3024);
    EXPECT_EQ(grid.At(1, 0, 0), 1023);
    EXPECT_EQ(grid.At(1, 2, 0), 1023);
}

TEST(BandedModel, OddRowCountLeavesTheLastRowToOneWidePlates)
{
    ExportPasses passes;
    passes.StackPairs = passes.TwoWidePass = passes.PlateBandsOnly = true;
    const Bitmap32 image = MakeImage(4, 5, [](int, int) { return 'W'; });
    const StudGrid grid =
        Build(BuildBandedModel, image, "1x Plates - studs out", Sizes({PartBox::plate2x4, PartBox::plate1x4}), passes);
    EXPECT_EQ(RowParts(grid, 0), (Parts{{0, 3020}}));
    EXPECT_EQ(RowParts(grid, 2), (Parts{{0, 3020}}));
    EXPECT_EQ(RowParts(grid, 4), (Parts{{0, 3710}}));
    // Bands start only at even rows: row 1 gets nothing of its own.
    EXPECT_EQ(RowParts(grid, 1), Parts{});
}

TEST(BandedModel, BricksOverPlateRows)
{
    ExportPasses bands;
    bands.BrickBandsOnly = true;
    // Rows 0-2 share a run of 4; rows 3-4 are only two rows, so plates.
    const Bitmap32 image = MakeImage(4, 5, [](int, int) { return 'B'; });
    const StudGrid grid =
        Build(BuildBandedModel, image, "1x Plates - studs up", Sizes({PartBox::brick1x4, PartBox::plate1x4}), bands);
    EXPECT_EQ(RowParts(grid, 0), (Parts{{0, 3010}}));
    EXPECT_EQ(RowParts(grid, 1), Parts{});
    EXPECT_EQ(RowParts(grid, 3), (Parts{{0, 3710}}));
    EXPECT_EQ(RowParts(grid, 4), (Parts{{0, 3710}}));
}

TEST(TwoLayerWall, AlignedJointsAreBondedByTheBackHalf)
{
    // One colour, width exactly one 2 x 4 brick: every row starts a 3001 at column 0.
    const Bitmap32 image = MakeImage(4, 7, [](int, int) { return 'G'; });
    const StudGrid grid =
        Build(BuildDoubleBrickModel, image, "2x Bricks - studs up", Sizes({PartBox::brick2x4, PartBox::brick1x4}));
    // Column 0 from the top narrows row 1, then (row 1 now differing) row 3, then row 5.
    for (int y = 0; y < 7; ++y) {
        const bool narrowed = y % 2 == 1;
        EXPECT_EQ(grid.At(0, y, 0), narrowed ? 3010 : 3001) << y;
        EXPECT_EQ(RowParts(grid, y, 1), narrowed ? (Parts{{0, 3010}}) : Parts{}) << y;
    }
    // Without the 1 x 4 brick the back run is cut into 1 x 1 bricks.
    const StudGrid ones = Build(BuildDoubleBrickModel, image, "2x Bricks - studs up", Sizes({PartBox::brick2x4}));
    EXPECT_EQ(RowParts(ones, 1, 1), (Parts{{0, 3005}, {1, 3005}, {2, 3005}, {3, 3005}}));
}

TEST(TwoLayerWall, NeighboursAreNarrowedToo)
{
    const Bitmap32 image = CraftedImage({"WWBBBB", "WWBBBB", "WWBBBB"});
    const StudGrid grid = Build(BuildDoubleBrickModel, image, "2x Bricks - studs up", PartSizes::All());
    EXPECT_EQ(RowParts(grid, 1), (Parts{{0, 30042}, {2, 3010}}));
    // The back cells of one seam form one run, cut longest first on their own.
    EXPECT_EQ(RowParts(grid, 1, 1), (Parts{{0, 3009}}));
    // Studs out has no back half.
    const StudGrid out = Build(BuildDoubleBrickModel, image, "2x Bricks - studs out", PartSizes::All());
    for (int y = 0; y < 3; ++y)
        EXPECT_EQ(RowParts(out, y, 1), Parts{}) << y;
}

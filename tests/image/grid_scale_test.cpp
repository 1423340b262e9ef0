#include "image/grid_scale.h"

#include "common/error.h"

#include <gtest/gtest.h>

#include <set>

using namespace tesselka;

namespace {

// Every pixel a different colour, so the stretch can be traced back.
Bitmap32 Numbered(int w, int h)
{
    Bitmap32 bitmap(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            bitmap.SetPixel(x, y, 0xFF000000u | TColor32(y * w + x));
    return bitmap;
}

struct Size
{
    int w, h;
    bool operator==(const Size&) const = default;
};

Size Scaled(int srcW, int srcH, int n, int cellW, int cellH, bool mix)
{
    Bitmap32 target;
    ScaleToGrid(Bitmap32(srcW, srcH), target, n, cellW, cellH, mix);
    return {target.Width(), target.Height()};
}

} // namespace

TEST(ScaleToGrid, WorkedSizesOfA4By3Picture)
{
    struct Row
    {
        int cellW, cellH;
        Size plain;
        Size mix;
    };
    // The stud-mix column only matters for the 2 by 5 pass; the plain grid of that pass
    // is what its label shows (96 by 29).
    const Row rows[] = {
        {5, 2, {96, 181}, {39, 73}},  {5, 6, {96, 61}, {116, 73}}, {5, 5, {96, 73}, {96, 73}},
        {5, 10, {96, 37}, {192, 73}}, {2, 5, {96, 29}, {240, 73}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(row.cellW) + " by " + std::to_string(row.cellH));
        EXPECT_EQ(Scaled(400, 300, 96, row.cellW, row.cellH, false), row.plain);
        EXPECT_EQ(Scaled(400, 300, 96, row.cellW, row.cellH, true), row.mix);
    }
    Bitmap32 target;
    auto result = ScaleToGrid(Bitmap32(400, 300), target, 96, 2, 5, true);
    ASSERT_TRUE(result);
    EXPECT_EQ(result->width, 96);
    EXPECT_EQ(result->height, 29);
    EXPECT_EQ(result->label, "Wd=96 Ht=29 Ratio=1.33333333333333");
}

TEST(ScaleToGrid, HeightsAreRoundedUpAfterTheDoubleRatio)
{
    EXPECT_EQ(Scaled(300, 400, 96, 5, 2, false), (Size{96, 320}));
    EXPECT_EQ(Scaled(50, 50, 96, 5, 5, false), (Size{96, 96}));
    EXPECT_EQ(Scaled(3, 2, 96, 5, 2, false), (Size{96, 160}));
    EXPECT_EQ(Scaled(4, 3, 100, 5, 2, false), (Size{100, 188}));
    EXPECT_EQ(Scaled(1920, 1080, 96, 5, 2, false), (Size{96, 136}));
    EXPECT_EQ(Scaled(4, 3, 0, 5, 2, false), (Size{0, 0}));
}

TEST(ScaleToGrid, LabelUsesFifteenSignificantDigits)
{
    Bitmap32 target;
    EXPECT_EQ(ScaleToGrid(Bitmap32(3, 2), target, 96, 5, 2, false)->label, "Wd=96 Ht=160 Ratio=1.5");
    EXPECT_EQ(ScaleToGrid(Bitmap32(400, 300), target, 96, 5, 2, false)->label, "Wd=96 Ht=181 Ratio=1.33333333333333");
    EXPECT_EQ(ScaleToGrid(Bitmap32(2, 2), target, 10, 5, 5, false)->label, "Wd=10 Ht=10 Ratio=1");
    EXPECT_EQ(ScaleToGrid(Bitmap32(1, 3), target, 10, 5, 5, false)->label, "Wd=10 Ht=31 Ratio=0.333333333333333");
}

TEST(ScaleToGrid, EmptySourceLeavesTheTargetAlone)
{
    Bitmap32 target = Numbered(3, 3);
    const Bitmap32 before = target;
    EXPECT_FALSE(ScaleToGrid(Bitmap32(5, 0), target, 96, 5, 2, false));
    EXPECT_EQ(target, before);
}

TEST(ScaleToGrid, StretchTakesWholeSourcePixels)
{
    // Shrinking a 7 x 5 picture to 3 x 3 and enlarging it to 20 x 15: every target pixel
    // is one of the source's, and enlarging keeps the corners.
    const Bitmap32 source = Numbered(7, 5);
    std::set<TColor32> colours(source.Bits(), source.Bits() + 35);
    for (int n : {3, 20}) {
        Bitmap32 target;
        ScaleToGrid(source, target, n, 5, 5, false);
        for (int y = 0; y < target.Height(); ++y)
            for (int x = 0; x < target.Width(); ++x)
                ASSERT_TRUE(colours.count(target.Pixel(x, y))) << n << ": " << x << "," << y;
        if (n > 7) {
            EXPECT_EQ(target.Pixel(0, 0), source.Pixel(0, 0));
            EXPECT_EQ(target.Pixel(target.Width() - 1, target.Height() - 1), source.Pixel(6, 4));
        }
    }
    // The sample at pixel centres: a 4-wide row shrunk to 2 takes columns 1 and 3.
    Bitmap32 target;
    ScaleToGrid(Numbered(4, 2), target, 2, 1, 1, false);
    ASSERT_EQ(target.Width(), 2);
    ASSERT_EQ(target.Height(), 1);
    EXPECT_EQ(target.Pixel(0, 0), Numbered(4, 2).Pixel(1, 1));
    EXPECT_EQ(target.Pixel(1, 0), Numbered(4, 2).Pixel(3, 1));
}

TEST(ScaleToGrid, AbsurdGridsAreRefusedAndChangeNothing)
{
    Bitmap32 target = Numbered(2, 2);
    const Bitmap32 before = target;
    // A picture one pixel high and 100000 wide is fine; one 100000 high and one wide is
    // not: the grid would be millions of rows.
    EXPECT_THROW(ScaleToGrid(Bitmap32(1, 100000), target, MaxMosaicWidth, 5, 2, false), Error);
    EXPECT_THROW(ScaleToGrid(Bitmap32(0, 5), target, 96, 5, 2, false), Error);
    EXPECT_THROW(ScaleToGrid(Bitmap32(4, 3), target, 96, 5, 0, false), Error);
    EXPECT_EQ(target, before);
}

TEST(ParseMosaicWidth, AcceptsDigitsUpToTheLimit)
{
    EXPECT_EQ(ParseMosaicWidth("96"), 96);
    EXPECT_EQ(ParseMosaicWidth("0"), 0);
    EXPECT_EQ(ParseMosaicWidth(std::to_string(MaxMosaicWidth)), MaxMosaicWidth);
    EXPECT_GE(MaxMosaicWidth, 2000);

    auto message = [](std::string_view text) {
        try {
            ParseMosaicWidth(text);
        } catch (const Error& e) {
            return std::string(e.what());
        }
        return std::string("(no error)");
    };
    EXPECT_EQ(message(""), "'' is not a valid integer value");
    EXPECT_EQ(message("12a"), "'12a' is not a valid integer value");
    EXPECT_EQ(message("99999999"), "The mosaic width must be between 0 and 4000 studs (not 99999999)");
    EXPECT_EQ(message("-5"), "The mosaic width must be between 0 and 4000 studs (not -5)");
    EXPECT_NE(message("99999999999999999999"), "(no error)");
}

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
    for (int i = 0; i < w * h; ++i)
        bitmap.Bits()[i] = 0xFF000000u | TColor32(i);
    return bitmap;
}

std::pair<int, int> Scaled(int srcW, int srcH, int n, int cellW, int cellH, bool mix = false)
{
    Bitmap32 target;
    ScaleToGrid(Bitmap32(srcW, srcH), target, n, cellW, cellH, mix);
    return {target.Width(), target.Height()};
}

} // namespace

TEST(ScaleToGrid, SizesFromTheDoubleRatioRoundedUp)
{
    using P = std::pair<int, int>;
    // A 400 x 300 picture at 96 studs: plain and stud-mix targets for each cell shape.
    EXPECT_EQ(Scaled(400, 300, 96, 5, 2), P(96, 181)); // not 180: the ratio is a double
    EXPECT_EQ(Scaled(400, 300, 96, 5, 6), P(96, 61));
    EXPECT_EQ(Scaled(400, 300, 96, 5, 5), P(96, 73));
    EXPECT_EQ(Scaled(400, 300, 96, 5, 10), P(96, 37));
    EXPECT_EQ(Scaled(400, 300, 96, 2, 5), P(96, 29));
    EXPECT_EQ(Scaled(400, 300, 96, 2, 5, true), P(240, 73));
    EXPECT_EQ(Scaled(400, 300, 96, 5, 2, true), P(39, 73));

    EXPECT_EQ(Scaled(300, 400, 96, 5, 2), P(96, 320));
    EXPECT_EQ(Scaled(50, 50, 96, 5, 5), P(96, 96));
    EXPECT_EQ(Scaled(3, 2, 96, 5, 2), P(96, 160));
    EXPECT_EQ(Scaled(4, 3, 100, 5, 2), P(100, 188));
    EXPECT_EQ(Scaled(1920, 1080, 96, 5, 2), P(96, 136));
    EXPECT_EQ(Scaled(4, 3, 0, 5, 2), P(0, 0));
}

TEST(ScaleToGrid, LabelShowsThePlainGridAndFifteenDigits)
{
    Bitmap32 target;
    // The stud-mix pass labels the plain grid's numbers.
    EXPECT_EQ(ScaleToGrid(Bitmap32(400, 300), target, 96, 2, 5, true)->label, "Wd=96 Ht=29 Ratio=1.33333333333333");
    EXPECT_EQ(ScaleToGrid(Bitmap32(3, 2), target, 96, 5, 2, false)->label, "Wd=96 Ht=160 Ratio=1.5");
    EXPECT_EQ(ScaleToGrid(Bitmap32(2, 2), target, 10, 5, 5, false)->label, "Wd=10 Ht=10 Ratio=1");
    EXPECT_EQ(ScaleToGrid(Bitmap32(1, 3), target, 10, 5, 5, false)->label, "Wd=10 Ht=31 Ratio=0.333333333333333");
}

TEST(ScaleToGrid, StretchTakesWholeSourcePixels)
{
    const Bitmap32 source = Numbered(7, 5);
    const std::set<TColor32> colours(source.Bits(), source.Bits() + 35);
    for (int n : {3, 20}) {
        Bitmap32 target;
        ScaleToGrid(source, target, n, 5, 5, false);
        for (int i = 0; i < target.Width() * target.Height(); ++i)
            ASSERT_TRUE(colours.count(target.Bits()[i])) << n << ": " << i;
    }
    // Pixel centres: a 4 x 2 picture shrunk to 2 x 1 takes columns 1 and 3 of row 1.
    Bitmap32 target;
    ScaleToGrid(Numbered(4, 2), target, 2, 1, 1, false);
    ASSERT_EQ(target.Height(), 1);
    EXPECT_EQ(target.Pixel(0, 0), 0xFF000005u);
    EXPECT_EQ(target.Pixel(1, 0), 0xFF000007u);
}

TEST(ScaleToGrid, EmptySourceOrAbsurdGridChangesNothing)
{
    Bitmap32 target = Numbered(2, 2);
    const Bitmap32 before = target;
    EXPECT_FALSE(ScaleToGrid(Bitmap32(5, 0), target, 96, 5, 2, false));
    // One pixel wide and 100000 high: millions of rows at the widest mosaic.
    EXPECT_THROW(ScaleToGrid(Bitmap32(1, 100000), target, MaxMosaicWidth, 5, 2, false), Error);
    EXPECT_THROW(ScaleToGrid(Bitmap32(0, 5), target, 96, 5, 2, false), Error);
    EXPECT_THROW(ScaleToGrid(Bitmap32(4, 3), target, 96, 5, 0, false), Error);
    EXPECT_EQ(target, before);
}

TEST(ParseMosaicWidth, DigitsUpToTheLimit)
{
    EXPECT_EQ(ParseMosaicWidth("96"), 96);
    EXPECT_EQ(ParseMosaicWidth("0"), 0);
    EXPECT_GE(MaxMosaicWidth, 2000);
    EXPECT_EQ(ParseMosaicWidth(std::to_string(MaxMosaicWidth)), MaxMosaicWidth);
    auto message = [](std::string_view text) {
        try {
            ParseMosaicWidth(text);
        } catch (const Error& e) {
            return std::string(e.what());
        }
        return std::string("(no error)");
    };
    EXPECT_EQ(message(""), "'' is not a valid integer value");
    EXPECT_EQ(message("99999999"), "The mosaic width must be between 0 and 4000 studs (not 99999999)");
    EXPECT_EQ(message("-5"), "The mosaic width must be between 0 and 4000 studs (not -5)");
    EXPECT_NE(message("99999999999999999999"), "(no error)");
}

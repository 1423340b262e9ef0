#include "common/bitmap32.h"
#include "common/error.h"
#include "common/fonts.h"

#include <gtest/gtest.h>

#include <string>

using namespace tesselka;

namespace {

constexpr TColor32 W = clWhite32;
constexpr TColor32 K = clBlack32;

// The bitmap as rows of '.' (white) and '#' (anything else), for readable expectations.
std::string Picture(const Bitmap32& b)
{
    std::string s;
    for (int y = 0; y < b.Height(); ++y) {
        for (int x = 0; x < b.Width(); ++x)
            s += b.Pixel(x, y) == W ? '.' : '#';
        s += '\n';
    }
    return s;
}

Bitmap32 White(int w, int h)
{
    Bitmap32 b(w, h);
    b.Clear(W);
    return b;
}

} // namespace

TEST(Bitmap32, FillRectExcludesRightAndBottomEdgesAndClips)
{
    Bitmap32 b = White(5, 4);
    b.FillRect(1, 1, 3, 3, K);
    EXPECT_EQ(Picture(b), ".....\n.##..\n.##..\n.....\n");
    b.Clear(W);
    b.FillRect(-2, -2, 1, 10, K);
    EXPECT_EQ(Picture(b), "#....\n#....\n#....\n#....\n");
    b.Clear(W);
    b.FillRect(3, 1, 3, 3, K); // empty: x2 == x1
    b.FillRect(4, 1, 2, 3, K); // empty: x2 < x1
    EXPECT_EQ(Picture(b), ".....\n.....\n.....\n.....\n");
}

TEST(Bitmap32, LinesIncludeBothEndsAndDrawNothingBackwards)
{
    Bitmap32 b = White(5, 5);
    b.HorzLine(1, 0, 3, K);
    b.VertLine(0, 2, 4, K);
    EXPECT_EQ(Picture(b), ".###.\n.....\n#....\n#....\n#....\n");
    b.Clear(W);
    // A cell of 5 x 2 pixels: its vertical line from y = 2 to y = 0 is not drawn.
    b.VertLine(2, 2, 0, K);
    b.HorzLine(3, 1, 2, K);
    b.HorzLine(2, 1, 2, K); // a single pixel
    EXPECT_EQ(Picture(b), ".....\n..#..\n.....\n.....\n.....\n");
    // Out of the bitmap: clipped, no crash.
    b.HorzLine(-10, 4, 100, K);
    b.VertLine(4, -3, 1, K);
    b.HorzLine(0, 9, 3, K);
    EXPECT_EQ(Picture(b), "....#\n..#.#\n.....\n.....\n#####\n");
}

TEST(Bitmap32, DrawIsCutOffAtTheTargetEdges)
{
    Bitmap32 src(3, 2);
    src.Clear(K);
    Bitmap32 b = White(4, 3);
    b.Draw(2, 2, src);
    EXPECT_EQ(Picture(b), "....\n....\n..##\n");
    b.Clear(W);
    b.Draw(-2, -1, src);
    EXPECT_EQ(Picture(b), "#...\n....\n....\n");
    b.Draw(10, 10, src); // entirely outside
    EXPECT_EQ(Picture(b), "#...\n....\n....\n");
}

TEST(Bitmap32, StretchTakesOneSourcePixelPerTargetPixel)
{
    Bitmap32 src(2, 1);
    src.SetPixel(0, 0, Color32(0x0000FF));
    src.SetPixel(1, 0, Color32(0x00FF00));
    Bitmap32 wide(5, 2);
    wide.StretchFrom(src);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(wide.Pixel(x, y), x < 2 ? src.Pixel(0, 0) : src.Pixel(1, 0)) << x << "," << y;
    Bitmap32 narrow(1, 1);
    Bitmap32 big(4, 4);
    for (int i = 0; i < 16; ++i)
        big.Bits()[i] = Color32(TColor(i * 1000));
    narrow.StretchFrom(big);
    EXPECT_EQ(narrow.Pixel(0, 0), big.Pixel(2, 2)); // the centre pixel
}

TEST(Bitmap32, ColorReadsAndWritesOutsideThePicture)
{
    Bitmap32 b = White(2, 2);
    EXPECT_EQ(b.ColorAt(0, 0), 0xFFFFFF);
    EXPECT_EQ(b.ColorAt(-1, 0), -1);
    EXPECT_EQ(b.ColorAt(2, 1), -1);
    b.SetColorAt(5, 5, 0x123456); // ignored
    b.SetColorAt(1, 1, 0x0000FF); // red as a TColor
    EXPECT_EQ(b.Pixel(1, 1), 0xFFFF0000u);
    EXPECT_EQ(b.ColorAt(1, 1), 0x0000FF);
}

TEST(Bitmap32, RefusesAbsurdSizesBeforeAllocating)
{
    Bitmap32 b;
    EXPECT_THROW(b.SetSize(-1, 5), Error);
    EXPECT_THROW(b.SetSize(100000, 100000), Error);
    EXPECT_THROW(b.SetSize(Bitmap32::MaxSide + 1, 1), Error);
    EXPECT_TRUE(b.Empty());
    b.SetSize(0, 7);
    EXPECT_TRUE(b.Empty());
}

TEST(Bitmap32, ReusesItsBufferAndCopiesDeeply)
{
    Bitmap32 a = White(8, 8);
    const TColor32* before = a.Bits();
    a.SetSize(4, 4);
    EXPECT_EQ(a.Bits(), before);
    Bitmap32 c = a;
    c.SetPixel(0, 0, K);
    EXPECT_EQ(a.Pixel(0, 0), W);
    EXPECT_FALSE(a == c);
}

TEST(Bitmap32, TextIsDrawnAtItsTopLeftCornerOnATransparentBackground)
{
    EXPECT_EQ(PointsToPixels(8), 11);
    EXPECT_EQ(PointsToPixels(60), 80);
    Bitmap32 b = White(60, 30);
    b.TextOut(10, 5, QStringLiteral("Hg"));
    int minX = 1000, minY = 1000, maxY = -1;
    int inked = 0;
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x)
            if (b.Pixel(x, y) != W) {
                ++inked;
                minX = std::min(minX, x);
                minY = std::min(minY, y);
                maxY = std::max(maxY, y);
                EXPECT_EQ(b.Pixel(x, y) & 0xFFFFFFu, 0u) << "default font colour is black";
            }
    ASSERT_GT(inked, 10);
    EXPECT_GE(minX, 10);
    EXPECT_GE(minY, 5);
    EXPECT_LT(maxY, 5 + b.TextHeight(QStringLiteral("Hg")) + 1);
    // Same text, same pixels: drawing is deterministic (no anti-aliasing).
    Bitmap32 again = White(60, 30);
    again.TextOut(10, 5, QStringLiteral("Hg"));
    EXPECT_TRUE(again == b);
}

#include "mosaic/hand_edit.h"

#include "common/error.h"

#include <gtest/gtest.h>

using namespace tesselka;

namespace {

constexpr TColor Red = 0x0000FF, Blue = 0xFF0000, Yellow = 0x00FFFF, White = 0xFFFFFF;

// A stud picture from rows of letters: r red, b blue, y yellow, w white.
Bitmap32 Studs(std::initializer_list<const char*> rows)
{
    std::vector<std::string> lines(rows.begin(), rows.end());
    Bitmap32 b(int(lines[0].size()), int(lines.size()));
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x) {
            char c = lines[size_t(y)][size_t(x)];
            b.SetColorAt(x, y, c == 'r' ? Red : c == 'b' ? Blue : c == 'y' ? Yellow : White);
        }
    return b;
}

std::string Letters(const Bitmap32& b)
{
    std::string s;
    for (int y = 0; y < b.Height(); ++y) {
        for (int x = 0; x < b.Width(); ++x) {
            const int64_t c = b.ColorAt(x, y);
            s += c == Red ? 'r' : c == Blue ? 'b' : c == Yellow ? 'y' : c == White ? 'w' : '?';
        }
        s += '|';
    }
    return s;
}

const CellGeometry Plates{5, 2, 1}; // cells of 5 x 2 view pixels

} // namespace

TEST(HandEdit, StudCellOfPicturePoints)
{
    EXPECT_EQ(StudCellOf(4, 1, Plates), QPoint(0, 0));
    EXPECT_EQ(StudCellOf(39, 15, CellGeometry{5, 2, 4}), QPoint(1, 1)); // cells of 20 x 8
    // Left of or above the picture is outside, even within one cell's width.
    EXPECT_EQ(StudCellOf(-1, -1, Plates), QPoint(-1, -1));
    // A cell of zero height puts every point outside instead of dividing by zero.
    EXPECT_EQ(StudCellOf(3, 3, CellGeometry{5, 0, 1}), QPoint(-1, -1));
}

TEST(HandEdit, FloodFillTakesEdgeConnectedRegionOnly)
{
    Bitmap32 b = Studs({"rrb", //
                        "brb", //
                        "rbr"});
    EXPECT_EQ(FloodFill(b, 0, 0, Red, Yellow), QRect(0, 0, 2, 2));
    // The diagonal reds at (0, 2) and (2, 2) are not edge-connected to the region.
    EXPECT_EQ(Letters(b), "yyb|byb|rbr|");

    // Nothing when the start does not hold the target, lies outside, or the colours match.
    EXPECT_TRUE(FloodFill(b, 2, 0, Red, Yellow).isEmpty());
    EXPECT_TRUE(FloodFill(b, 3, 0, Blue, Yellow).isEmpty());
    EXPECT_TRUE(FloodFill(b, 2, 0, Blue, Blue).isEmpty());
    EXPECT_EQ(Letters(b), "yyb|byb|rbr|");
}

TEST(HandEdit, FloodFillOfALargeWindingRegionDoesNotRecurse)
{
    // A serpentine path through a 400 x 400 picture: 80000 connected pixels.
    Bitmap32 b(400, 400);
    b.Clear(Color32(Blue));
    for (int y = 0; y < 400; y += 2) {
        b.FillRect(0, y, 400, y + 1, Color32(Red));
        const int gap = (y / 2) % 2 ? 0 : 399;
        if (y + 1 < 400)
            b.SetColorAt(gap, y + 1, Red);
    }
    EXPECT_EQ(FloodFill(b, 0, 0, Red, Yellow), QRect(0, 0, 400, 400));
    EXPECT_EQ(b.ColorAt(0, 398), Yellow);
    EXPECT_EQ(b.ColorAt(5, 1), Blue);
}

TEST(HandEdit, PressesOutsideChangeNothingAndNeitherDoesTheirUndo)
{
    Bitmap32 b = Studs({"rb", "br"});
    const std::string before = Letters(b);
    const EditResult pen = PenEdit(b, Plates, 10, 0, Yellow);  // right of the mosaic
    const EditResult fill = FillEdit(b, Plates, 0, 4, Yellow); // below it
    EXPECT_TRUE(pen.changedStuds.isEmpty());
    EXPECT_TRUE(fill.changedStuds.isEmpty());
    EXPECT_EQ(Letters(b), before);
    // At scale 1 with tall cells the same points lie inside; the -1 must not be painted.
    const CellGeometry tall{5, 10, 1};
    EXPECT_TRUE(UndoEdit(b, CellGeometry{5, 2, 2}, "pen\t1\t1\t-1\t0").isEmpty());
    EXPECT_TRUE(UndoEdit(b, tall, fill.undoLine).isEmpty());
    EXPECT_EQ(Letters(b), before);
    EXPECT_EQ(pen.undoLine, "pen\t10\t0\t-1\t0");
    EXPECT_EQ(fill.undoLine, "fill\t0\t4\t65535\t-1");
    EXPECT_THROW(UndoEdit(b, tall, "brush\t1\t2\t3\t4"), Error);
    EXPECT_THROW(UndoEdit(b, tall, "pen\t1\tx\t3\t4"), Error);
}

TEST(HandEdit, FillAndItsUndoRefillTheConnectedRegion)
{
    Bitmap32 b = Studs({"rrby", //
                        "rbbr", //
                        "yyyr"});
    const EditResult fill = FillEdit(b, Plates, 6, 0, Yellow); // start cell (1, 0), red
    EXPECT_EQ(fill.undoLine, "fill\t6\t0\t65535\t255");
    EXPECT_EQ(fill.changedStuds, QRect(0, 0, 2, 2));
    EXPECT_EQ(Letters(b), "yyby|ybbr|yyyr|");
    // The undo refills the whole yellow region around the start cell, which now also
    // holds the yellow bottom row that the fill never touched.
    UndoEdit(b, Plates, fill.undoLine);
    EXPECT_EQ(Letters(b), "rrby|rbbr|rrrr|");

    // A fill with the region's own colour changes nothing and is still recorded.
    const EditResult same = FillEdit(b, Plates, 0, 0, Red);
    EXPECT_TRUE(same.changedStuds.isEmpty());
    EXPECT_EQ(same.undoLine, "fill\t0\t0\t255\t255");
}

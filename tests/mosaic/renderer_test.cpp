#include "common/error.h"
#include "mosaic/mosaic_renderer.h"
#include "mosaic/stud_picture.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <vector>

using namespace tesselka;

namespace {

constexpr TColor Red = 0x0000FF, Blue = 0xFF0000, Yellow = 0x00FFFF;
constexpr TColor32 K = Color32(0, 0, 0), G = Color32(221, 221, 221), R = Color32(255, 0, 0);

Bitmap32 Studs(const std::vector<std::vector<TColor>>& rows)
{
    Bitmap32 b(int(rows.empty() ? 0 : rows[0].size()), int(rows.size()));
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x)
            b.SetColorAt(x, y, rows[size_t(y)][size_t(x)]);
    return b;
}

// A picture drawn as text: one character per pixel, looked up in `key`.
Bitmap32 Picture(const std::vector<std::string>& rows, const std::map<char, TColor32>& key)
{
    Bitmap32 b(int(rows[0].size()), int(rows.size()));
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x)
            b.SetPixel(x, y, key.at(rows[size_t(y)][size_t(x)]));
    return b;
}

MosaicRenderSettings Settings(int cellHeight, int scale, MosaicGrids grids)
{
    MosaicRenderSettings s;
    s.cellWidth = 5;
    s.cellHeight = cellHeight;
    s.scale = scale;
    s.grids = grids;
    return s;
}

// The renderer as first described: each cell drawn into its own bitmap with the shared
// line operations, then copied into the view. The fast renderer must match it exactly.
Bitmap32 ReferenceRender(const Bitmap32& studs, const MosaicRenderSettings& s)
{
    const int w = s.CellW(), h = s.CellH();
    Bitmap32 cell(w, h), view(studs.Width() * w, studs.Height() * h);
    view.Clear(clWhite32);
    for (int i = 0; i < studs.Height(); ++i)
        for (int j = 0; j < studs.Width(); ++j) {
            const int64_t c = studs.ColorAt(j, i);
            cell.Clear(Color32(TColor(c)));
            const int64_t above = studs.ColorAt(j, i - 1), left = studs.ColorAt(j - 1, i);
            if (s.grids.black) {
                if (above != c)
                    cell.HorzLine(2, 0, w - 2, K);
                if (left != c)
                    cell.VertLine(0, 2, h - 2, K);
                if (j == studs.Width() - 1)
                    cell.VertLine(w - 2, 2, h - 2, K);
                if (i == studs.Height() - 1)
                    cell.HorzLine(2, h - 2, w - 2, K);
            }
            if (s.grids.gray) {
                if (above == c)
                    cell.HorzLine(2, 0, w - 2, G);
                if (left == c)
                    cell.VertLine(0, 2, h - 2, G);
            }
            if (s.grids.stud8) {
                if (i > 0 && i % s.rowSpacing == 0)
                    cell.HorzLine(2, 0, w - 2, R);
                if (j > 0 && j % s.columnSpacing == 0)
                    cell.VertLine(0, 2, h - 2, R);
            }
            view.Draw(j * w, i * h, cell);
        }
    return view;
}

Bitmap32 RandomStuds(std::mt19937& rng, int w, int h, int colours)
{
    const TColor palette[4] = {Red, Blue, Yellow, 0x000000};
    Bitmap32 b(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            b.SetColorAt(x, y, palette[rng() % unsigned(colours)]);
    return b;
}

} // namespace

TEST(MosaicRenderer, ScaleOnePlateCellsHaveNoVerticalLines)
{
    // Cells of 5 x 2: a vertical line would run from y = 2 to y = 0, so none is drawn;
    // the last row's bottom border falls on row 0 of its own cells.
    Bitmap32 view;
    RenderMosaicView(Studs({{Red, Red}, {Red, Red}}), Settings(2, 1, {true, false, false}), view);
    const std::map<char, TColor32> key = {{'r', Color32(Red)}, {'K', K}};
    EXPECT_EQ(view, Picture({"rrKKrrrKKr", //
                             "rrrrrrrrrr", //
                             "rrKKrrrKKr", //
                             "rrrrrrrrrr"},
                            key));
}

TEST(MosaicRenderer, SingleCellGetsAllFourBorders)
{
    Bitmap32 view;
    RenderMosaicView(Studs({{Blue}}), Settings(5, 2, {true, false, false}), view);
    const std::map<char, TColor32> key = {{'b', Color32(Blue)}, {'K', K}};
    EXPECT_EQ(view, Picture({"bbKKKKKKKb", //
                             "bbbbbbbbbb", //
                             "KbbbbbbbKb", //
                             "KbbbbbbbKb", //
                             "KbbbbbbbKb", //
                             "KbbbbbbbKb", //
                             "KbbbbbbbKb", //
                             "KbbbbbbbKb", //
                             "KbKKKKKKKb", //
                             "bbbbbbbbbb"},
                            key));
}

TEST(MosaicRenderer, BlackAndGrayGridsDrawEveryInnerBorder)
{
    // Red | Red | Blue at scale 2 with square cells: the border between the reds is grey,
    // the one between red and blue black.
    Bitmap32 view;
    RenderMosaicView(Studs({{Red, Red, Blue}}), Settings(5, 2, {true, true, false}), view);
    EXPECT_EQ(view.Pixel(10, 5), G);             // left border of cell 1
    EXPECT_EQ(view.Pixel(20, 5), K);             // left border of cell 2
    EXPECT_EQ(view.Pixel(10, 1), Color32(Red));  // corners keep the cell colour
    EXPECT_EQ(view.Pixel(20, 9), Color32(Blue)); //
    EXPECT_EQ(view.Pixel(28, 5), K);             // right edge of the mosaic, 2 inside
    EXPECT_EQ(view.Pixel(29, 5), Color32(Blue)); //
}

TEST(MosaicRenderer, StudGridSkipsRowAndColumnZeroAndCoversOtherLines)
{
    Bitmap32 studs(17, 17);
    studs.Clear(Color32(Yellow));
    MosaicRenderSettings s = Settings(5, 1, {true, true, true});
    Bitmap32 view;
    RenderMosaicView(studs, s, view);
    for (int j : {0, 8, 16})
        for (int i : {0, 8, 16}) {
            const int x = j * 5, y = i * 5;
            EXPECT_EQ(view.Pixel(x + 2, y), i == 0 ? K : i % 8 == 0 ? R : G) << j << "," << i;
            EXPECT_EQ(view.Pixel(x, y + 2), j == 0 ? K : j % 8 == 0 ? R : G) << j << "," << i;
        }
    EXPECT_EQ(view.Pixel(7 * 5 + 2, 7 * 5), G);
}

TEST(MosaicRenderer, StudGridSpacingByPassAndStyle)
{
    int rows = 0, columns = 0;
    StudGridSpacing("1x Plates - studs up", true, rows, columns);
    EXPECT_EQ(rows, 2);
    EXPECT_EQ(columns, 5);
    StudGridSpacing("1x Plates - stud mix", false, rows, columns);
    EXPECT_EQ(rows, 5);
    EXPECT_EQ(columns, 2);
    StudGridSpacing("1x Plates - stud mix ", false, rows, columns); // whole text only
    EXPECT_EQ(rows, 8);
    EXPECT_EQ(columns, 8);

    // Mix pass cells of 2 x 5: the red row line every 2 rows, the column line every 5.
    Bitmap32 studs(6, 3);
    studs.Clear(Color32(Yellow));
    MosaicRenderSettings s;
    s.cellWidth = 2;
    s.cellHeight = 5;
    s.scale = 2; // cells of 4 x 10
    s.grids.stud8 = true;
    StudGridSpacing("", true, s.rowSpacing, s.columnSpacing);
    Bitmap32 view;
    RenderMosaicView(studs, s, view);
    EXPECT_EQ(view.Pixel(2, 20), R);                // row 2
    EXPECT_EQ(view.Pixel(2, 10), Color32(Yellow));  // row 1
    EXPECT_EQ(view.Pixel(20, 12), R);               // column 5
    EXPECT_EQ(view.Pixel(16, 12), Color32(Yellow)); // column 4
}

TEST(MosaicRenderer, MatchesCellByCellDrawingForEveryStyleAndGrid)
{
    std::mt19937 rng(7);
    for (int cellHeight : {2, 5, 6, 10})
        for (int scale : {1, 2, 3})
            for (int grids = 0; grids < 8; ++grids) {
                MosaicRenderSettings s =
                    Settings(cellHeight, scale, {bool(grids & 1), bool(grids & 2), bool(grids & 4)});
                s.rowSpacing = 3;
                s.columnSpacing = 2;
                const Bitmap32 studs = RandomStuds(rng, 7, 5, 2);
                Bitmap32 view;
                RenderMosaicView(studs, s, view);
                ASSERT_EQ(view, ReferenceRender(studs, s)) << cellHeight << " " << scale << " " << grids;
            }
}

TEST(MosaicRenderer, PartialRedrawEqualsFullRebuildAfterRandomEdits)
{
    std::mt19937 rng(11);
    for (int round = 0; round < 20; ++round) {
        MosaicRenderSettings s = Settings(round % 2 ? 2 : 6, 1 + round % 3, {true, round % 3 != 0, round % 4 == 0});
        Bitmap32 studs = RandomStuds(rng, 9, 8, 3);
        Bitmap32 view;
        RenderMosaicView(studs, s, view);
        for (int edit = 0; edit < 15; ++edit) {
            // A block of studs, from one cell up to a region, set to one colour.
            const int x = int(rng() % 9), y = int(rng() % 8);
            const int w = 1 + int(rng() % 3), h = 1 + int(rng() % 3);
            const TColor c = (rng() % 2) ? Red : Blue;
            for (int yy = y; yy < std::min(y + h, 8); ++yy)
                for (int xx = x; xx < std::min(x + w, 9); ++xx)
                    studs.SetColorAt(xx, yy, c);
            RenderMosaicChange(studs, s, view, QRect(x, y, w, h));
            Bitmap32 full;
            RenderMosaicView(studs, s, full);
            ASSERT_EQ(view, full) << "round " << round << " edit " << edit;
        }
    }
}

TEST(MosaicRenderer, EmptyAndDegenerateInputsGiveEmptyViews)
{
    Bitmap32 view(3, 3);
    RenderMosaicView(Bitmap32(), Settings(2, 1, {true, true, true}), view);
    EXPECT_TRUE(view.Empty());
    // A style text that never set a cell height leaves it 0: nothing to draw, no crash.
    RenderMosaicView(Studs({{Red}}), Settings(0, 1, {true, true, true}), view);
    EXPECT_TRUE(view.Empty());
}

TEST(MosaicRenderer, RefusesViewsAboveTheLimitBeforeAllocating)
{
    Bitmap32 studs(2000, 1000); // 8 stud rows of 80 pixels: 80000 x 80000 at scale 8
    Bitmap32 view(4, 4);
    view.Clear(clWhite32);
    const Bitmap32 before = view;
    try {
        RenderMosaicView(studs, Settings(10, 8, {}), view);
        FAIL() << "no refusal";
    } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find("80000 x 80000 pixels"), std::string::npos) << e.what();
    }
    EXPECT_EQ(view, before);
    EXPECT_NO_THROW(CheckMosaicViewSize(Bitmap32(96, 181), Settings(10, 8, {}))); // 3840 x 14480
}

TEST(StudPicture, SixteenPixelsPerStudWithoutGrid)
{
    Bitmap32 studs(50, 40);
    studs.Clear(Color32(Yellow));
    studs.SetColorAt(0, 0, Red);
    studs.SetColorAt(49, 39, Blue);
    const Bitmap32 out = RenderStudPicture(studs);
    ASSERT_EQ(out.Width(), 800);
    ASSERT_EQ(out.Height(), 640);
    EXPECT_EQ(out.Pixel(15, 15), Color32(Red));
    EXPECT_EQ(out.Pixel(16, 15), Color32(Yellow));
    EXPECT_EQ(out.Pixel(15, 16), Color32(Yellow));
    EXPECT_EQ(out.Pixel(784, 624), Color32(Blue));
    EXPECT_EQ(out.Pixel(783, 624), Color32(Yellow));
    EXPECT_THROW(RenderStudPicture(Bitmap32(20000, 2)), Error); // wider than a bitmap may be
}

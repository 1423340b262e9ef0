#include "common/error.h"
#include "mosaic/mosaic_renderer.h"

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

TEST(MosaicRenderer, SingleCellGetsAllFourBordersInset)
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

TEST(MosaicRenderer, StudGridSkipsRowAndColumnZeroAndCoversOtherLines)
{
    Bitmap32 studs(17, 17);
    studs.Clear(Color32(Yellow));
    Bitmap32 view;
    RenderMosaicView(studs, Settings(5, 1, {true, true, true}), view);
    for (int n : {0, 7, 8, 16}) {
        const TColor32 want = n == 0 ? K : n % 8 == 0 ? R : G;
        EXPECT_EQ(view.Pixel(5 * 3 + 2, 5 * n), want) << "row " << n;    // row line of cell (3, n)
        EXPECT_EQ(view.Pixel(5 * n, 5 * 3 + 2), want) << "column " << n; // column line of cell (n, 3)
    }
    int rows = 0, columns = 0;
    StudGridSpacing("1x Plates - studs up", true, rows, columns);
    EXPECT_EQ(std::pair(rows, columns), std::pair(2, 5));
    StudGridSpacing("1x Plates - stud mix", false, rows, columns);
    EXPECT_EQ(std::pair(rows, columns), std::pair(5, 2));
    StudGridSpacing("1x Plates - stud mix ", false, rows, columns); // the whole text only
    EXPECT_EQ(std::pair(rows, columns), std::pair(8, 8));
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

TEST(MosaicRenderer, RefusesViewsAboveTheLimitAndDrawsNothingForEmptyCells)
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
    // A style text that never set a cell height leaves it 0: an empty view, no crash.
    RenderMosaicView(Studs({{Red}}), Settings(0, 1, {true, true, true}), view);
    EXPECT_TRUE(view.Empty());
}

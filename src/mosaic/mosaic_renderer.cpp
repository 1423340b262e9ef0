#include "mosaic/mosaic_renderer.h"

#include "common/error.h"
#include "common/styles.h"

#include <algorithm>
#include <cstring>

namespace tesselka {

namespace {

constexpr TColor32 BlackLine = Color32(0, 0, 0);
constexpr TColor32 GrayLine = Color32(221, 221, 221);
constexpr TColor32 RedLine = Color32(255, 0, 0);

// Draws the lines of cell (j, i), whose pixels already hold the cell colour. Lines are
// inset: x from 2 to w - 2 and y from 2 to h - 2, both ends included, so the two pixels
// nearest each corner keep the cell colour. A line that would lie outside its own cell
// (a cell less than two pixels high has no row h - 2) is left out rather than drawn into
// a neighbour.
class CellLines
{
public:
    CellLines(Bitmap32& view, int w, int h, int j, int i) : w_(w), h_(h), x0_(j * w), y0_(i * h), view_(view) {}

    void Row(int row, TColor32 c)
    {
        if (row < 0 || row >= h_)
            return;
        TColor32* p = view_.Row(y0_ + row) + x0_;
        for (int x = 2; x <= w_ - 2; ++x)
            p[x] = c;
    }
    void Column(int column, TColor32 c)
    {
        if (column < 0 || column >= w_)
            return;
        for (int y = 2; y <= h_ - 2; ++y)
            view_.Row(y0_ + y)[x0_ + column] = c;
    }

private:
    int w_, h_, x0_, y0_;
    Bitmap32& view_;
};

// The three grids of one cell, in the order black, grey, red, so that a red line covers
// a black or grey one in the same place.
void DrawCellLines(const Bitmap32& studs, const MosaicRenderSettings& s, Bitmap32& view, int j, int i)
{
    const MosaicGrids& g = s.grids;
    if (!g.black && !g.gray && !g.stud8)
        return;
    CellLines lines(view, s.CellW(), s.CellH(), j, i);
    const TColor cell = WinColor(studs.Pixel(j, i));
    const bool hasAbove = i > 0, hasLeft = j > 0;
    const bool aboveSame = hasAbove && WinColor(studs.Pixel(j, i - 1)) == cell;
    const bool leftSame = hasLeft && WinColor(studs.Pixel(j - 1, i)) == cell;
    if (g.black) {
        if (!aboveSame)
            lines.Row(0, BlackLine);
        if (!leftSame)
            lines.Column(0, BlackLine);
        if (j == studs.Width() - 1)
            lines.Column(s.CellW() - 2, BlackLine);
        if (i == studs.Height() - 1)
            lines.Row(s.CellH() - 2, BlackLine);
    }
    if (g.gray) {
        if (aboveSame)
            lines.Row(0, GrayLine);
        if (leftSame)
            lines.Column(0, GrayLine);
    }
    if (g.stud8) {
        if (s.rowSpacing > 0 && i > 0 && i % s.rowSpacing == 0)
            lines.Row(0, RedLine);
        if (s.columnSpacing > 0 && j > 0 && j % s.columnSpacing == 0)
            lines.Column(0, RedLine);
    }
}

// Cells j1..j2-1 of stud row i: the cell colours over all h pixel rows, then the lines.
void DrawCellRun(const Bitmap32& studs, const MosaicRenderSettings& s, Bitmap32& view, int i, int j1, int j2)
{
    const int w = s.CellW(), h = s.CellH();
    const TColor32* stud = studs.Row(i);
    TColor32* first = view.Row(i * h);
    for (int j = j1; j < j2; ++j)
        std::fill_n(first + j * w, w, stud[j] | 0xFF000000u);
    const size_t bytes = size_t(j2 - j1) * size_t(w) * sizeof(TColor32);
    for (int y = 1; y < h; ++y)
        std::memcpy(view.Row(i * h + y) + j1 * w, first + j1 * w, bytes);
    for (int j = j1; j < j2; ++j)
        DrawCellLines(studs, s, view, j, i);
}

bool Drawable(const MosaicRenderSettings& s)
{
    return s.CellW() > 0 && s.CellH() > 0;
}

} // namespace

void StudGridSpacing(std::string_view style, bool mixPass, int& rowSpacing, int& columnSpacing)
{
    if (mixPass) {
        rowSpacing = 2;
        columnSpacing = 5;
    } else if (UsesStudMix(style)) {
        rowSpacing = 5;
        columnSpacing = 2;
    } else {
        rowSpacing = 8;
        columnSpacing = 8;
    }
}

int64_t MosaicViewWidth(const Bitmap32& studImage, const MosaicRenderSettings& settings)
{
    return std::max<int64_t>(0, int64_t(studImage.Width()) * settings.CellW());
}

int64_t MosaicViewHeight(const Bitmap32& studImage, const MosaicRenderSettings& settings)
{
    return std::max<int64_t>(0, int64_t(studImage.Height()) * settings.CellH());
}

void CheckMosaicViewSize(const Bitmap32& studImage, const MosaicRenderSettings& settings)
{
    const int64_t w = MosaicViewWidth(studImage, settings), h = MosaicViewHeight(studImage, settings);
    if (w * h > MaxViewPixels || !Bitmap32::SizeAllowed(w, h))
        throw Error("The mosaic view would be " + std::to_string(w) + " x " + std::to_string(h) +
                    " pixels, more than the " + std::to_string(MaxViewPixels / 1'000'000) +
                    " megapixels the view can show. Choose a smaller scale or a narrower mosaic.");
}

bool RenderMosaicView(const Bitmap32& studImage, const MosaicRenderSettings& settings, Bitmap32& view,
                      const StepProgress& progress)
{
    CheckMosaicViewSize(studImage, settings);
    view.SetSize(int(MosaicViewWidth(studImage, settings)), int(MosaicViewHeight(studImage, settings)));
    if (view.Empty() || !Drawable(settings))
        return true;
    const int rows = studImage.Height();
    // About a hundred reports, each after a band of whole rows.
    const int band = std::max(1, rows / 100);
    for (int i = 0; i < rows; ++i) {
        if (progress && i % band == 0 && !progress(i, rows))
            return false;
        DrawCellRun(studImage, settings, view, i, 0, studImage.Width());
    }
    if (progress)
        progress(rows, rows);
    return true;
}

QRect RenderMosaicChange(const Bitmap32& studImage, const MosaicRenderSettings& settings, Bitmap32& view,
                         const QRect& changedStuds)
{
    if (changedStuds.isEmpty() || !Drawable(settings) || view.Width() != MosaicViewWidth(studImage, settings) ||
        view.Height() != MosaicViewHeight(studImage, settings))
        return QRect();
    // One more column and row: their left and upper borders compare with the change.
    const int j1 = std::max(changedStuds.left(), 0);
    const int i1 = std::max(changedStuds.top(), 0);
    const int j2 = std::min(changedStuds.left() + changedStuds.width() + 1, studImage.Width());
    const int i2 = std::min(changedStuds.top() + changedStuds.height() + 1, studImage.Height());
    if (j1 >= j2 || i1 >= i2)
        return QRect();
    for (int i = i1; i < i2; ++i)
        DrawCellRun(studImage, settings, view, i, j1, j2);
    const int w = settings.CellW(), h = settings.CellH();
    return QRect(j1 * w, i1 * h, (j2 - j1) * w, (i2 - i1) * h);
}

} // namespace tesselka

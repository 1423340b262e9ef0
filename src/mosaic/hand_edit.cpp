#include "mosaic/hand_edit.h"

#include "common/error.h"
#include "common/text.h"

#include <vector>

namespace tesselka {

namespace {

int FloorDiv(int a, int b)
{
    int q = a / b;
    return (a % b != 0 && a < 0) ? q - 1 : q;
}

bool IsColour(int64_t value)
{
    return value >= 0 && value <= 0xFFFFFF;
}

} // namespace

QPoint StudCellOf(int px, int py, const CellGeometry& g)
{
    const int64_t w = int64_t(g.scale) * g.cellWidth, h = int64_t(g.scale) * g.cellHeight;
    if (w <= 0 || h <= 0 || w > INT32_MAX || h > INT32_MAX)
        return QPoint(-1, -1);
    return QPoint(FloorDiv(px, int(w)), FloorDiv(py, int(h)));
}

QRect FloodFill(Bitmap32& picture, int x, int y, TColor target, TColor brush)
{
    if (!picture.Contains(x, y) || target == brush || WinColor(picture.Pixel(x, y)) != target)
        return QRect();
    const TColor32 paint = Color32(brush);
    const int width = picture.Width(), height = picture.Height();
    auto matches = [&](int px, int py) { return WinColor(picture.Pixel(px, py)) == target; };
    int minX = x, maxX = x, minY = y, maxY = y;
    // Scan-line fill: each entry seeds one run; a run is painted before its neighbours
    // are pushed, so a pixel is pushed at most once per run above and below it.
    std::vector<QPoint> stack;
    stack.emplace_back(x, y);
    while (!stack.empty()) {
        QPoint seed = stack.back();
        stack.pop_back();
        const int sy = seed.y();
        if (!matches(seed.x(), sy))
            continue;
        int left = seed.x(), right = seed.x();
        while (left > 0 && matches(left - 1, sy))
            --left;
        while (right < width - 1 && matches(right + 1, sy))
            ++right;
        TColor32* row = picture.Row(sy);
        for (int px = left; px <= right; ++px)
            row[px] = paint;
        minX = std::min(minX, left);
        maxX = std::max(maxX, right);
        minY = std::min(minY, sy);
        maxY = std::max(maxY, sy);
        for (int ny : {sy - 1, sy + 1}) {
            if (ny < 0 || ny >= height)
                continue;
            bool inRun = false;
            for (int px = left; px <= right; ++px) {
                bool m = matches(px, ny);
                if (m && !inRun)
                    stack.emplace_back(px, ny);
                inRun = m;
            }
        }
    }
    return QRect(minX, minY, maxX - minX + 1, maxY - minY + 1);
}

std::string FormatUndoLine(const UndoRecord& r)
{
    std::string line = r.kind == UndoRecord::Fill ? "fill" : "pen";
    for (int64_t value : {int64_t(r.x), int64_t(r.y), r.colour1, r.colour2}) {
        line += '\t';
        line += std::to_string(value);
    }
    return line;
}

UndoRecord ParseUndoLine(std::string_view line)
{
    UndoRecord r;
    const std::string kind = GetField(line, "\t", 1);
    if (kind == "pen")
        r.kind = UndoRecord::Pen;
    else if (kind == "fill")
        r.kind = UndoRecord::Fill;
    else
        throw Error("Unknown undo record '" + kind + "'");
    r.x = StrToInt(GetField(line, "\t", 2));
    r.y = StrToInt(GetField(line, "\t", 3));
    r.colour1 = StrToInt(GetField(line, "\t", 4));
    r.colour2 = StrToInt(GetField(line, "\t", 5));
    return r;
}

EditResult PenEdit(Bitmap32& studImage, const CellGeometry& geometry, int px, int py, TColor pen)
{
    const QPoint cell = StudCellOf(px, py, geometry);
    const int64_t old = studImage.ColorAt(cell.x(), cell.y());
    EditResult result;
    result.undoLine = FormatUndoLine({UndoRecord::Pen, px, py, old, 0});
    if (old >= 0 && TColor(old) != pen) {
        studImage.SetColorAt(cell.x(), cell.y(), pen);
        result.changedStuds = QRect(cell, QSize(1, 1));
    }
    return result;
}

EditResult FillEdit(Bitmap32& studImage, const CellGeometry& geometry, int px, int py, TColor pen)
{
    const QPoint cell = StudCellOf(px, py, geometry);
    const int64_t old = studImage.ColorAt(cell.x(), cell.y());
    EditResult result;
    result.undoLine = FormatUndoLine({UndoRecord::Fill, px, py, int64_t(pen), old});
    if (old >= 0)
        result.changedStuds = FloodFill(studImage, cell.x(), cell.y(), TColor(old), pen);
    return result;
}

QRect UndoEdit(Bitmap32& studImage, const CellGeometry& geometry, std::string_view line)
{
    const UndoRecord r = ParseUndoLine(line);
    const QPoint cell = StudCellOf(r.x, r.y, geometry);
    if (r.kind == UndoRecord::Fill) {
        if (!IsColour(r.colour1) || !IsColour(r.colour2))
            return QRect();
        return FloodFill(studImage, cell.x(), cell.y(), TColor(r.colour1), TColor(r.colour2));
    }
    if (!IsColour(r.colour1) || !studImage.Contains(cell.x(), cell.y()) ||
        studImage.ColorAt(cell.x(), cell.y()) == r.colour1)
        return QRect();
    studImage.SetColorAt(cell.x(), cell.y(), TColor(r.colour1));
    return QRect(cell, QSize(1, 1));
}

std::string InverseEditLine(const Bitmap32& studImage, const CellGeometry& geometry, std::string_view line)
{
    UndoRecord r = ParseUndoLine(line);
    if (r.kind == UndoRecord::Fill) {
        std::swap(r.colour1, r.colour2);
        return FormatUndoLine(r);
    }
    const QPoint cell = StudCellOf(r.x, r.y, geometry);
    const bool changes = IsColour(r.colour1) && studImage.Contains(cell.x(), cell.y());
    r.colour1 = changes ? int64_t(studImage.ColorAt(cell.x(), cell.y())) : -1;
    return FormatUndoLine(r);
}

} // namespace tesselka

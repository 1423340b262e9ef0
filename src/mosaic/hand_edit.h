#pragma once

// Hand editing of StudImage: the pen, the fill, and the undo lines that record them.
// Edits are made at picture points of the mosaic view; the stud cell under a point
// depends on the cell geometry in force, which is why undo lines keep the point, not
// the cell.

#include "common/bitmap32.h"

#include <QPoint>
#include <QRect>

#include <cstdint>
#include <string>
#include <string_view>

namespace tesselka {

// Pixels of one view cell at scale 1, and the view scale.
struct CellGeometry
{
    int cellWidth = 5;
    int cellHeight = 2;
    int scale = 1;
};

// The stud cell under picture point (px, py). Points left of or above the picture lie in
// negative cells (floor division), so they never hit column or row 0; a degenerate
// geometry (a cell of zero size) puts every point outside.
QPoint StudCellOf(int px, int py, const CellGeometry& geometry);

// Replaces the edge-connected region of colour `target` that contains (x, y) by `brush`.
// Nothing happens when (x, y) lies outside, does not hold `target`, or `target` equals
// `brush`. Returns the bounding rectangle of the changed pixels (empty when none).
// Runs in time and extra memory proportional to the picture, never recursing.
QRect FloodFill(Bitmap32& picture, int x, int y, TColor target, TColor brush);

// One line of UndoList: kind, picture x, picture y and two colours (TColor values in
// decimal, -1 for a point outside the mosaic), tab-separated.
//   pen:  "pen"  x y <colour of the cell before> 0
//   fill: "fill" x y <pen colour used> <colour of the start cell before>
struct UndoRecord
{
    enum Kind { Pen, Fill } kind = Pen;
    int x = 0;
    int y = 0;
    int64_t colour1 = 0;
    int64_t colour2 = 0;
};
std::string FormatUndoLine(const UndoRecord& record);
// Throws tesselka::Error when a field is not an integer or the kind is unknown.
UndoRecord ParseUndoLine(std::string_view line);

// What one edit did: its undo line and the studs it changed (empty when none).
struct EditResult
{
    std::string undoLine;
    QRect changedStuds;
};

// The pen at picture point (px, py): records the cell's colour, then paints it.
EditResult PenEdit(Bitmap32& studImage, const CellGeometry& geometry, int px, int py, TColor pen);
// The fill at (px, py): the region of the start cell's colour becomes `pen`.
EditResult FillEdit(Bitmap32& studImage, const CellGeometry& geometry, int px, int py, TColor pen);
// Takes one undo line back, finding the cell with the geometry given now. A line whose
// recorded colour is -1 (a press outside the mosaic) changes nothing, also when the
// point lies inside the mosaic at the current geometry. Returns the studs changed.
QRect UndoEdit(Bitmap32& studImage, const CellGeometry& geometry, std::string_view line);
// The line that takes back what UndoEdit(line) would do now, for redo: a pen line with
// the cell's present colour (-1 when the line changes nothing), a fill line with its
// two colours swapped. Throws as ParseUndoLine.
std::string InverseEditLine(const Bitmap32& studImage, const CellGeometry& geometry, std::string_view line);

} // namespace tesselka

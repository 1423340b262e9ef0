#pragma once

#include "colours/color_table.h"
#include "colours/palette.h"
#include "common/bitmap32.h"
#include "map/map_geometry.h"

#include <QStringList>

namespace tesselka {

// Sets Count of every slot to the number of cells of panel column c, row r (from 0;
// c = r = -1 for the whole mosaic) whose colour the slot holds while on a panel. A cell
// whose colour several on-panel colorTable hold counts for each of them.
void CountPanelColors(const Bitmap32& studImage, const MapGeometry& geometry, int c, int r, ColorTable& colorTable);

// Redraws `totalsSheet` (780 x 98) from the colorTable' Count values: one box per palette
// entry (swatch, colour number, name and count) and a last box with the total. Appends
// one tab-separated line per on-panel slot of each palette colour to `totalsList`:
// label, slot name, slot index, count, colour. `column` and `row` count from 1 and name
// the panel; a column of -1 labels the lines "TOTALS". `n` is the palette size.
void DrawTotalsSheet(const ColorTable& colorTable, const SelectedColorArray& palette, int n, int column, int row,
                     Bitmap32& totalsSheet, QStringList& totalsList);

inline constexpr int TotalsSheetWidth = 780;
inline constexpr int TotalsSheetHeight = 98;

} // namespace tesselka

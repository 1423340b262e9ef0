#pragma once

#include "colours/color_table.h"
#include "common/bitmap32.h"
#include "map/map_geometry.h"

#include <string>

namespace tesselka {

// Everything one panel sheet is drawn from.
struct PanelSheetInput
{
    const Bitmap32& studImage;    // one pixel per cell
    const ColorTable& colorTable; // numbers are the indices of on-panel colorTable
    int cellWidth;                // preview cell size of the style
    int cellHeight;
    std::string style;
    MapGeometry geometry;
    MapOptions options;
};

// Redraws `panelSheet` for panel column c, row r (from 0): the panel's cells as stud
// squares with grids and colour numbers on a white sheet, framed by a 16-pixel border
// that carries the letter and number rulers when the sheet has them. Neighbour tests and
// the red stud grid use whole-mosaic coordinates, so they continue across panel edges.
void DrawPanelSheet(const PanelSheetInput& input, int c, int r, Bitmap32& panelSheet);

} // namespace tesselka

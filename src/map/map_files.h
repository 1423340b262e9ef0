#pragma once

#include "colours/color_table.h"
#include "colours/palette.h"
#include "common/bitmap32.h"
#include "map/map_geometry.h"

#include <QStringList>

#include <functional>
#include <string>
#include <vector>

namespace tesselka {

// The base name of the map files for the path the user chose: the path up to the first
// ".png" of its file name ("a.png.b.png" gives "a"). A name without ".png" drops its
// own extension instead ("map.ldr" gives "map"), so that the files land beside the
// chosen name. Folder names are never cut, even when they contain ".png".
std::string MapBaseName(const std::string& chosenPath);

// The map's inputs and the main window's state that a map operation replaces.
struct MapJob
{
    const Bitmap32& studImage;
    ColorTable& colorTable;
    const SelectedColorArray& palette;
    int paletteCount;
    std::string style;
    int cellWidth;
    int cellHeight;
    MapOptions options;
    // Results, as the main window keeps them: the last panel's sheet, the totals of the
    // last count (the whole mosaic's after a full map) and every totals line.
    Bitmap32& panelSheet;
    Bitmap32& totalsSheet;
    QStringList& totalsList;
};

// "Panel 2,3 - Made with Tesselka Version ... - credit": the footer of a saved panel.
std::string SavedPanelFooter(int row, int column);

// Panel picture: the panel sheet (cut off at the right edge), its totals and the footer.
// `row` and `column` count from 1.
void ComposePanelPicture(const Bitmap32& panelSheet, const Bitmap32& totalsSheet, int row, int column,
                         Bitmap32& picture);

// Final picture: the whole mosaic's totals under its title, style, panel size and size.
void ComposeFinalPicture(const Bitmap32& totalsSheet, const std::string& style, const std::string& panelSize,
                         const std::string& sizeLine, Bitmap32& picture);

// Writes base_<row>-<column>.png for every panel, base_total.png and base.txt (the
// totals lines, CR LF ends). `progress` is called after each panel picture is made, with
// the panels done and the panel count, before the file is written; when it returns
// false the save stops there and the files written so far stay. Throws
// tesselka::Error (too many panels) or tesselka::IoError ("Cannot create file %s", or the
// failing file's name and the cause). The files take their names together at the end, so
// a failure leaves the previous map as it was; a cancelled save keeps the panels made.
// Returns the files written, in writing order.
std::vector<std::string> SaveMap(MapJob& job, const std::string& base,
                                 const std::function<bool(int done, int total)>& progress = {});

} // namespace tesselka

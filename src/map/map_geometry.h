#pragma once

#include <string>
#include <string_view>

namespace tesselka {

// The options of the Make Map dialog, read by the caller from its controls.
struct MapOptions
{
    std::string panelSize = "48x48"; // the panel size box's text
    bool blackGrid = false;          // black lines between studs of different colour
    bool grayGrid = false;           // grey lines between studs of equal colour
    bool grid8 = false;              // red grid every 8 studs
    bool grid6 = false;              // red grid every 6 studs; wins over grid8
    bool noNumbers = false;
    bool numbersInAll = false; // a number in every square, not only where a colour starts
    bool fillColor = false;
    bool allNumbersBlack = false;

    bool operator==(const MapOptions&) const = default;
};

// Cell columns x0 <= x < x1 and rows y0 <= y < y1 of one panel, in whole-mosaic
// coordinates.
struct PanelRange
{
    int x0 = 0, x1 = 0, y0 = 0, y1 = 0;
    int Width() const { return x1 - x0; }
    int Height() const { return y1 - y0; }
};

// How the mosaic is cut into panels. Derived anew for every map operation from the
// panel size text, the style text and the mosaic's size; nothing is cached.
struct MapGeometry
{
    int PanelStuds = 48;
    int SubPanelStuds = 48;
    int PanelRows = 48;
    int SheetScale = 3;
    int PanelsAcross = 0;
    int PanelsDown = 0;
    int width = 0;  // mosaic cells across
    int height = 0; // mosaic cells down

    // True for "6x6" and "8x8", whose sheets are divided into sub-panels.
    bool SmallPanels() const { return SubPanelStuds < PanelStuds; }
    int PanelCount() const { return PanelsAcross * PanelsDown; }
    // The cells of panel column c, row r (from 0); c = r = -1 is the whole mosaic.
    PanelRange Panel(int c, int r) const;
};

// A map with more panels than this is refused: every panel is a page or a file, and a
// mosaic the size of the bitmap limit would otherwise ask for millions of them.
inline constexpr int MaxMapPanels = 10000;

// Any panel size text other than "6x6", "8x8" and "32x32" (exact) counts as "48x48".
// Throws tesselka::Error when the map would have more than MaxMapPanels panels.
MapGeometry ComputeMapGeometry(std::string_view panelSize, std::string_view style, int width, int height);

// "120 plates high x 96 studs wide": the mosaic's size in the units of its style.
std::string MapSizeLine(std::string_view style, int width, int height);

// "Panel 2,3" for panel row 1, column 2 (both from 0).
std::string PanelLabel(int row, int column);

// Letters naming sub-panel column k of the whole map: A..Z, then AA, AB, ... ZZ. Past
// ZZ the first letter runs on in character-code order.
std::string SubPanelName(int k);

} // namespace tesselka

#include "map/map_geometry.h"

#include "common/error.h"
#include "common/styles.h"

#include <algorithm>
#include <cstdint>

namespace tesselka {

namespace {

int CeilDiv(int a, int b)
{
    return a <= 0 ? 0 : (a + b - 1) / b;
}

} // namespace

PanelRange MapGeometry::Panel(int c, int r) const
{
    if (c < 0 || r < 0)
        return {0, width, 0, height};
    PanelRange range;
    range.x0 = std::min(c * PanelStuds, width);
    range.x1 = std::min((c + 1) * PanelStuds, width);
    range.y0 = std::min(r * PanelRows, height);
    range.y1 = std::min((r + 1) * PanelRows, height);
    return range;
}

MapGeometry ComputeMapGeometry(std::string_view panelSize, std::string_view style, int width, int height)
{
    MapGeometry g;
    if (panelSize == "6x6") {
        g.PanelStuds = 30;
        g.SubPanelStuds = 6;
        g.SheetScale = 4;
    } else if (panelSize == "8x8") {
        g.PanelStuds = 32;
        g.SubPanelStuds = 8;
        g.SheetScale = 4;
    } else if (panelSize == "32x32") {
        g.PanelStuds = 32;
        g.SubPanelStuds = 32;
        g.SheetScale = 3;
    }
    g.PanelRows = MapPanelRows(style, g.PanelStuds);

    g.width = std::max(width, 0);
    g.height = std::max(height, 0);
    g.PanelsAcross = CeilDiv(g.width, g.PanelStuds);
    g.PanelsDown = CeilDiv(g.height, g.PanelRows);
    if (int64_t(g.PanelsAcross) * g.PanelsDown > MaxMapPanels)
        throw Error("The map would have " + std::to_string(int64_t(g.PanelsAcross) * g.PanelsDown) +
                    " panels; choose a larger panel size or a smaller mosaic (at most " + std::to_string(MaxMapPanels) +
                    " panels).");
    return g;
}

std::string MapSizeLine(std::string_view style, int width, int height)
{
    const int64_t rows = MapRowsPerStudRow(style) * int64_t(height);
    return std::to_string(rows) + " " + std::string(MapHeightUnit(style)) + " high x " + std::to_string(width) +
           " studs wide";
}

std::string PanelLabel(int row, int column)
{
    return "Panel " + std::to_string(row + 1) + "," + std::to_string(column + 1);
}

std::string SubPanelName(int k)
{
    if (k < 0)
        return {};
    if (k < 26)
        return std::string(1, char('A' + k));
    // Past ZZ the first character runs on past 'Z' in code order, up to the last code a
    // byte can hold.
    const int first = 64 + k / 26;
    return std::string(1, char(first <= 255 ? first : 255)) + char('A' + k % 26);
}

} // namespace tesselka

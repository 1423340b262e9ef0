#include "map/panel_sheet.h"

#include "common/styles.h"
#include "map/map_colors.h"

#include <algorithm>

namespace tesselka {

namespace {

// Gap between the sub-panels of a small-size sheet.
constexpr int SubPanelGap = 35;
// The fixed sheet area of the small sizes; a plates-studs-up panel does not fit in it
// and is cut off at the bottom.
constexpr int SmallSheetWidth = 765;
constexpr int SmallSheetHeight = 850;
// The border around the sheet that carries the rulers.
constexpr int Border = 16;

// A, B, ... Z, then AA, BB, ... ZZ, then AAA, BBB, ...
QString RulerName(int b)
{
    const QChar letter(char16_t(u'A' + b % 26));
    const int repeat = b < 26 ? 1 : b < 52 ? 2 : 3;
    return QString(repeat, letter);
}

} // namespace

void DrawPanelSheet(const PanelSheetInput& input, int c, int r, Bitmap32& panelSheet)
{
    const MapGeometry& g = input.geometry;
    const MapOptions& opt = input.options;
    const Bitmap32& studs = input.studImage;
    const PanelRange range = g.Panel(c, r);
    // A zero cell size would make the ruler loops below never advance.
    const int cellW = std::max(1, input.cellWidth * g.SheetScale);
    const int cellH = std::max(1, input.cellHeight * g.SheetScale);
    const int G = opt.grid6 ? 6 : 8;
    const int o = opt.grid6 ? 2 : 4;
    const bool studGrid = opt.grid8 || opt.grid6;
    const bool rulers = g.SubPanelStuds > G;
    const bool small = g.SmallPanels();
    const int W = studs.Width();
    const int H = studs.Height();

    const int sheetW = small ? SmallSheetWidth : range.Width() * cellW;
    const int sheetH = small ? SmallSheetHeight : range.Height() * cellH;
    Bitmap32 sheet(sheetW, sheetH);
    sheet.Clear(MapWhite);
    Bitmap32 cell(cellW, cellH);
    cell.font.face = QStringLiteral("Ariel");
    const int numberPoints = SmallMapNumbers(input.style) ? 5 : 10;
    SlotNumberWriter numbers(cellW - 1);

    const OnPanelSlots onPanel(input.colorTable);
    int gapY = 0;
    for (int y = range.y0; y < range.y1; ++y) {
        int gapX = 0;
        for (int x = range.x0; x < range.x1; ++x) {
            const int64_t k = studs.ColorAt(x, y);
            const int64_t above = studs.ColorAt(x, y - 1);
            const int64_t left = studs.ColorAt(x - 1, y);
            cell.Clear(opt.fillColor ? Color32(TColor(k)) : MapWhite);
            if (opt.blackGrid) {
                if (above != k)
                    cell.HorzLine(2, 0, cellW - 2, MapBlack);
                if (left != k)
                    cell.VertLine(0, 2, cellH - 2, MapBlack);
                if (x == W - 1)
                    cell.VertLine(cellW - 2, 2, cellH - 1, MapBlack);
                if (y == H - 1)
                    cell.HorzLine(2, cellH - 2, cellW - 1, MapBlack);
            }
            if (opt.grayGrid) {
                if (above == k)
                    cell.HorzLine(2, 0, cellW - 2, MapGrey);
                if (left == k)
                    cell.VertLine(0, 2, cellH - 2, MapGrey);
            }
            if (studGrid && g.SubPanelStuds > G) {
                if (y % G == 0 && y > 0)
                    cell.HorzLine(2, 0, cellW - 2, MapRed);
                if (x % G == 0 && x > 0)
                    cell.VertLine(0, 2, cellH - 2, MapRed);
            }
            if (!opt.noNumbers && ((above != k && left != k) || opt.numbersInAll)) {
                cell.font.color = opt.allNumbersBlack || !opt.fillColor ? MapBlack : NumberColorOn(k);
                onPanel.ForEach(k, [&](int j) { numbers.Write(cell, j < 10 ? 5 : 1, 0, numberPoints, j); });
            }
            if (small && x % g.SubPanelStuds == 0 && x > 0 && x != range.x0)
                gapX += SubPanelGap;
            sheet.Draw((x - range.x0) * cellW + gapX, (y - range.y0) * cellH + gapY, cell);
        }
        if (small && (y + 1) % g.SubPanelStuds == 0 && y > 0)
            gapY += SubPanelGap;
    }

    if (small) {
        sheet.font.face = QStringLiteral("Ariel");
        sheet.font.sizePt = 20;
        sheet.font.color = MapBlack;
        const int n = g.PanelStuds / g.SubPanelStuds;
        for (int kr = 1; kr <= n; ++kr)
            for (int kc = 1; kc <= n; ++kc)
                sheet.TextOut((kc - 1) * (g.SubPanelStuds * cellW + SubPanelGap),
                              kr * g.SubPanelStuds * cellH + (kr - 1) * SubPanelGap,
                              QString::fromStdString(SubPanelName(n * c + kc - 1)) + QString::number(n * r + kr));
    }

    // Only the border's 16 rows (columns) of each ruler reach the sheet, so the strips
    // are made that size; ticks and text running past it are cut off either way.
    Bitmap32 sheetOut(sheetW + 2 * Border, sheetH + 2 * Border);
    sheetOut.Clear(MapWhite);
    if (rulers) {
        Bitmap32 top(sheetW, Border);
        top.Clear(MapWhite);
        top.font.sizePt = 10;
        top.font.color = MapRed;
        int b = (g.PanelStuds / G) * std::max(c, 0);
        for (int X = o * cellW; X < sheetW; X += G * cellW, ++b) {
            top.TextOut(X, 0, RulerName(b));
            top.VertLine(X + 4 * cellW, 2, cellH - 2, MapRed);
        }
        Bitmap32 side(Border, sheetH);
        side.Clear(MapWhite);
        side.font.sizePt = 10;
        side.font.color = MapRed;
        int m = (g.PanelStuds / G) * std::max(r, 0) + 1;
        for (int Y = o * cellH; Y < sheetH; Y += G * cellH, ++m) {
            side.TextOut(0, Y, QString::number(m));
            side.HorzLine(2, Y + 4 * cellH, cellW - 2, MapRed);
        }
        side.HorzLine(2, 0, cellW - 2, MapRed);
        sheetOut.Draw(Border, 0, top);
        sheetOut.Draw(Border, sheetH + Border, top);
        sheetOut.Draw(0, Border, side);
        sheetOut.Draw(sheetOut.Width() - Border, Border, side);
    }
    sheetOut.Draw(Border, Border, sheet);
    panelSheet = std::move(sheetOut);
}

} // namespace tesselka

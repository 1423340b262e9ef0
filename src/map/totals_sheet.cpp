#include "map/totals_sheet.h"

#include "map/map_colors.h"

#include <algorithm>

namespace tesselka {

namespace {

constexpr int BoxWidth = 130;
constexpr int BoxHeight = 14;
constexpr int SwatchWidth = 24;

} // namespace

void CountPanelColors(const Bitmap32& studImage, const MapGeometry& geometry, int c, int r, ColorTable& colorTable)
{
    for (ColorSlot& slot : colorTable)
        slot.Count = 0;
    PanelRange range = geometry.Panel(c, r);
    range.x1 = std::min(range.x1, studImage.Width());
    range.y1 = std::min(range.y1, studImage.Height());
    const OnPanelSlots onPanel(colorTable);
    // Runs of one colour along each row are added at once: neighbouring cells mostly
    // share their colour, and the slot search is the costly part.
    for (int y = range.y0; y < range.y1; ++y) {
        const TColor32* row = studImage.Row(y);
        int x = range.x0;
        while (x < range.x1) {
            const TColor32 pixel = row[x];
            int run = 1;
            while (x + run < range.x1 && row[x + run] == pixel)
                ++run;
            onPanel.ForEach(WinColor(pixel), [&](int j) { colorTable[j].Count += run; });
            x += run;
        }
    }
}

void DrawTotalsSheet(const ColorTable& colorTable, const SelectedColorArray& palette, int n, int column, int row,
                     Bitmap32& totalsSheet, QStringList& totalsList)
{
    totalsSheet.SetSize(TotalsSheetWidth, TotalsSheetHeight);
    totalsSheet.Clear(MapWhite);
    Bitmap32 box(BoxWidth, BoxHeight);
    box.font.face = QStringLiteral("Ariel");
    const OnPanelSlots onPanel(colorTable);
    SlotNumberWriter numbers(SwatchWidth - 1);
    const QString label = column == -1 ? QStringLiteral("TOTALS") : QStringLiteral("Panel %1,%2").arg(row).arg(column);
    int bx = 0;
    int by = 0;
    int64_t total = 0;
    n = std::clamp(n, 0, int(palette.size()));
    for (int i = 0; i < n; ++i) {
        const int64_t p = palette[size_t(i)];
        box.Clear(MapWhite);
        const TColor32 swatch = p < 0 ? MapWhite : Color32(TColor(p));
        if (IsLightColor(p)) {
            box.FillRect(0, 0, SwatchWidth, 12, MapBlack);
            box.FillRect(1, 1, SwatchWidth - 1, 11, swatch);
        } else {
            box.FillRect(0, 0, SwatchWidth, 12, swatch);
        }
        onPanel.ForEach(p, [&](int j) {
            const ColorSlot& slot = colorTable[j];
            const QString name = QString::fromStdString(slot.Name);
            box.font.sizePt = 7;
            box.font.color = MapBlack;
            box.TextOut(26, 3,
                        QString(name).replace(QLatin1Char('_'), QLatin1Char(' ')) + QStringLiteral("  x") +
                            QString::number(slot.Count));
            total += slot.Count;
            box.font.color = NumberColorOn(p);
            numbers.Write(box, 1, -2, 10, j);
            totalsList << label + QLatin1Char('\t') + name + QLatin1Char('\t') + QString::number(j) +
                              QLatin1Char('\t') + QString::number(slot.Count) + QLatin1Char('\t') + QString::number(p);
        });
        totalsSheet.Draw(bx, by, box);
        bx += BoxWidth;
        if (bx >= TotalsSheetWidth) {
            bx = 0;
            by += BoxHeight;
        }
    }
    box.Clear(MapWhite);
    box.font.sizePt = 7;
    box.font.color = MapBlack;
    box.TextOut(26, 2, QStringLiteral("TOTAL  ") + QString::number(total));
    totalsSheet.Draw(bx, by, box);
}

} // namespace tesselka

// Make Map: the dialog, and printing the map when the user chooses "Print Map".
#include "app/form1.h"
#include "app/form2.h"

#include "common/error.h"
#include "map/map_files.h"
#include "map/map_geometry.h"
#include "print/map_document.h"
#include "print/print_document.h"
#include "print/print_render.h"

#include <QPrinter>

namespace tesselka {

namespace {

// A printed map is composed whole before the preview shows it, each page holding its
// panel sheet (about 3 MB at the largest panel size): more panels than this would take
// gigabytes. Save Map writes one panel at a time and keeps the general limit.
constexpr int MaxPrintedPanels = 200;

} // namespace

void TForm1::BitBtn11Click()
{
    if (Stage < 1) {
        ShowInfo(QStringLiteral("I can not Print the Map till you have pressed the \"Dither Image\" button."));
        return;
    }
    // "Save Map" saves inside the dialog and closes it with Cancel.
    if (!Form2() || !platform().ExecModal(*Form2()))
        return;
    try {
        const MapGeometry geometry = ComputeMapGeometry(Form2()->Options().panelSize, MosaicStyle().toStdString(),
                                                        StudImage.Width(), StudImage.Height());
        if (geometry.PanelCount() > MaxPrintedPanels)
            throw Error("The map would print " + std::to_string(geometry.PanelCount()) + " panels; at most " +
                        std::to_string(MaxPrintedPanels) +
                        " can be printed at once. Choose a larger panel size, or save the map instead.");
        QPrinter printer(QPrinter::HighResolution);
        printer.setPageSize(QPageSize(QPageSize::Letter));
        printer.setPageOrientation(QPageLayout::Portrait);
        const int dpi = printer.resolution();
        const QRect printable = printer.pageLayout().paintRectPixels(dpi);
        PrintDocument prn(dpi, printable.width(), printable.height());
        MapJob job{StudImage, ColorSlots, SelectedColors,     PaletteCount, MosaicStyle().toStdString(),
                   CellWidth, CellHeight, Form2()->Options(), PanelSheet,   TotalsSheet,
                   TotalsList};
        {
            const BusyCursor busy;
            ComposeMapDocument(job, prn);
        }
        platform().PrintPreview(this, printer, [&prn](QPrinter& target) { RenderDocument(prn, target); });
    } catch (const std::exception& e) {
        ShowError(e);
    }
}

} // namespace tesselka

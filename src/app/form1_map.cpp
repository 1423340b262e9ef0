// Make Map: the dialog, and printing the map when the user chooses "Print Map".
#include "app/form1.h"
#include "app/form2.h"

#include "map/map_files.h"
#include "print/map_document.h"
#include "print/print_render.h"

#include <QPrinter>

namespace tesselka {

void TForm1::BitBtn11Click()
{
    if (Stage < StageDithered) {
        ShowInfo(QStringLiteral("I can not Print the Map till you have pressed the \"Dither Image\" button."));
        return;
    }
    // "Save Map" saves inside the dialog and closes it with Cancel.
    if (!Form2() || !platform().ExecModal(*Form2()))
        return;
    MapJob job{StudImage, ColorSlots, SelectedColors,     PaletteCount, MosaicStyle().toStdString(),
               CellWidth, CellHeight, Form2()->Options(), PanelSheet,   TotalsSheet,
               TotalsList};
    try {
        CheckMapPrintable(job);
    } catch (const std::exception& e) {
        ShowError(e);
        return;
    }
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(MapPageLayout(QPageSize::Letter));
    // The preview asks for the pages again whenever the printer or the page size changes,
    // and PrintMap composes them anew for the page it is given.
    platform().PrintPreview(this, printer, [this, &job](QPrinter& target) {
        try {
            const BusyCursor busy;
            PrintMap(job, target);
        } catch (const std::exception& e) {
            ShowError(e);
        }
    });
}

} // namespace tesselka

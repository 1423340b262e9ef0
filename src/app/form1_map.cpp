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
            // Composed with counts and sheets of its own, which become the window's only
            // when the composing ends: a cancel leaves them as they were.
            ColorTable table = job.colorTable;
            Bitmap32 panelSheet, totalsSheet;
            QStringList totalsList;
            MapJob own{job.studImage,  table,       job.palette, job.paletteCount, job.style, job.cellWidth,
                       job.cellHeight, job.options, panelSheet,  totalsSheet,      totalsList};
            const std::unique_ptr<Progress> progress =
                platform().StartProgress(this, QStringLiteral("Composing the printed map"));
            if (!PrintMap(own, target, [&progress](int done, int total) { return progress->Step(done, total); })) {
                ShowStatus(QStringLiteral("Print Map cancelled"));
                return;
            }
            job.colorTable = std::move(table);
            job.panelSheet = std::move(panelSheet);
            job.totalsSheet = std::move(totalsSheet);
            job.totalsList = std::move(totalsList);
        } catch (const std::exception& e) {
            ShowError(e);
        }
    });
}

} // namespace tesselka

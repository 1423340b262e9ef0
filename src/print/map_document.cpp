#include "print/map_document.h"

#include "common/version.h"
#include "map/panel_sheet.h"
#include "map/totals_sheet.h"
#include "print/print_document.h"

namespace tesselka {

namespace {

QString FooterTail()
{
    return FooterSeparator + QStringLiteral("Made with Tesselka ") + QString::fromLatin1(VersionText) +
           FooterSeparator + QString::fromLatin1(CreditAuthor) + FooterSeparator + QString::fromLatin1(CreditContact);
}

} // namespace

void ComposeMapDocument(MapJob& job, PrintDocument& prn)
{
    const MapGeometry g =
        ComputeMapGeometry(job.options.panelSize, job.style, job.studImage.Width(), job.studImage.Height());
    PrintFont footerFont;
    footerFont.face = QStringLiteral("Arial");
    footerFont.sizePt = 10;
    footerFont.color = QColor(169, 169, 169);

    prn.BeginDoc();
    const double right = prn.PixelsToInches(prn.PrintableWidth()) - 0.25;
    const double bottom = prn.PixelsToInches(prn.PrintableHeight()) - 0.25;
    prn.SetMargins(0.25, bottom, 0.25, right);
    // The totals sit at the foot of the page, 96 device pixels above the footer band.
    const double totalsTop = bottom - prn.PixelsToInches(96) - 0.35;
    auto drawAtSize = [&](const Bitmap32& bitmap, double left, double top) {
        prn.DrawPicture(bitmap.ToImage(), left, top, prn.PixelsToInches(bitmap.Width()),
                        prn.PixelsToInches(bitmap.Height()));
    };
    auto footer = [&](const QString& text) {
        prn.SetFooterArea(false, 0.25, bottom - 0.15, right, bottom);
        prn.SetFooterLine(1, text, footerFont, 1, bottom - 0.15);
    };

    const PanelSheetInput sheetInput{job.studImage, job.colorTable, job.cellWidth, job.cellHeight, job.style, g,
                                     job.options};
    job.totalsList.clear();
    for (int r = 0; r < g.PanelsDown; ++r) {
        for (int c = 0; c < g.PanelsAcross; ++c) {
            DrawPanelSheet(sheetInput, c, r, job.panelSheet);
            drawAtSize(job.panelSheet, 0.25, 0.25);
            CountPanelColors(job.studImage, g, c, r, job.colorTable);
            DrawTotalsSheet(job.colorTable, job.palette, job.paletteCount, c + 1, r + 1, job.totalsSheet,
                            job.totalsList);
            drawAtSize(job.totalsSheet, 0.25, totalsTop);
            footer(QString::fromStdString(PanelLabel(r, c)) + FooterTail());
            const bool lastPanel = r == g.PanelsDown - 1 && c == g.PanelsAcross - 1;
            if (!lastPanel)
                prn.NewPage();
        }
    }
    prn.NewPage();

    prn.DrawPicture(job.studImage.ToImage(), 0.25, 0.25, prn.PixelsToInches(8 * job.studImage.Width()),
                    prn.PixelsToInches(8 * job.studImage.Height()));
    prn.SetFontColor(QColor(215, 215, 225));
    prn.SetFont(QStringLiteral("Arial"), 48, true);
    prn.WriteCentered(QStringLiteral("Mosaic Totals"), 7.0);
    prn.SetFontColor(Qt::black);
    prn.SetFont(QStringLiteral("Arial"), 16, true);
    prn.WriteCentered(QString::fromStdString(job.style), 8.0);
    prn.WriteCentered(QStringLiteral("Panel size ") + QString::fromStdString(job.options.panelSize), 8.25);
    prn.WriteCentered(QString::fromStdString(MapSizeLine(job.style, job.studImage.Width(), job.studImage.Height())),
                      8.5);

    CountPanelColors(job.studImage, g, -1, -1, job.colorTable);
    DrawTotalsSheet(job.colorTable, job.palette, job.paletteCount, -1, -1, job.totalsSheet, job.totalsList);
    drawAtSize(job.totalsSheet, 0.25, totalsTop);
    footer(QStringLiteral("Total") + FooterTail());
    prn.Preview = true;
    prn.EndDoc();
}

} // namespace tesselka

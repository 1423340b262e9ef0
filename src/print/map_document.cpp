#include "print/map_document.h"

#include "common/error.h"
#include "common/version.h"
#include "map/panel_sheet.h"
#include "map/totals_sheet.h"
#include "print/print_document.h"
#include "print/print_render.h"

#include <QPagedPaintDevice>

#include <algorithm>

namespace tesselka {

namespace {

// A printed map is composed whole before it is drawn, each page holding its panel sheet
// (about 3 MB at the largest panel size): more panels than this would take gigabytes.
// Save Map writes one panel at a time and keeps the general limit.
constexpr int MaxPrintedPanels = 200;

QString FooterTail()
{
    return FooterSeparator + QStringLiteral("Made with Tesselka ") + QString::fromLatin1(VersionText) +
           FooterSeparator + QString::fromLatin1(CreditAuthor) + FooterSeparator + QString::fromLatin1(CreditContact);
}

} // namespace

MapGeometry CheckMapPrintable(const MapJob& job)
{
    const MapGeometry g =
        ComputeMapGeometry(job.options.panelSize, job.style, job.studImage.Width(), job.studImage.Height());
    if (g.PanelCount() > MaxPrintedPanels)
        throw Error("The map would print " + std::to_string(g.PanelCount()) + " panels; at most " +
                    std::to_string(MaxPrintedPanels) +
                    " can be printed at once. Choose a larger panel size, or save the map instead.");
    return g;
}

bool ComposeMapDocument(MapJob& job, PrintDocument& prn, const StepProgress& progress)
{
    const MapGeometry g = CheckMapPrintable(job);
    PrintFont footerFont;
    footerFont.face = QStringLiteral("Arial");
    footerFont.sizePt = 10;
    footerFont.color = QColor(169, 169, 169);

    prn.BeginDoc();
    const double pageWidth = prn.PixelsToInches(prn.PrintableWidth());
    const double right = pageWidth - 0.25;
    const double bottom = prn.PixelsToInches(prn.PrintableHeight()) - 0.25;
    prn.SetMargins(0.25, bottom, 0.25, right);
    // The totals sit at the foot of the page, 96 device pixels above the footer band.
    const double totalsTop = bottom - prn.PixelsToInches(96) - 0.35;
    // A picture is drawn at one pixel per device pixel, 0.25 inches in from the printable
    // area's left edge. One that would cross the area's right edge (the 780-pixel totals on
    // A4, a wide mosaic) moves left first and is scaled down only when even that is not
    // enough; one that would run into what lies below it (a tall studs-up sheet on Letter
    // reaching the totals) is scaled down too. Nothing is ever drawn off the page.
    auto place = [&](const QImage& image, int widthPx, int heightPx, double top, double bottomLimit) {
        double width = prn.PixelsToInches(widthPx);
        double height = prn.PixelsToInches(heightPx);
        const double scale = std::min({1.0, pageWidth / width, std::max(0.0, bottomLimit - top) / height});
        width *= scale;
        height *= scale;
        const double left = std::clamp(pageWidth - width, 0.0, 0.25);
        prn.DrawPicture(image, left, top, width, height);
    };
    auto drawAtSize = [&](const Bitmap32& bitmap, double top, double bottomLimit) {
        place(bitmap.ToImage(), bitmap.Width(), bitmap.Height(), top, bottomLimit);
    };
    auto footer = [&](const QString& text) {
        prn.SetFooterArea(false, 0.25, bottom - 0.15, right, bottom);
        prn.SetFooterLine(1, text, footerFont, 1, bottom - 0.15);
    };
    constexpr double Gap = 0.05;

    const PanelSheetInput sheetInput{job.studImage, job.colorTable, job.cellWidth, job.cellHeight, job.style, g,
                                     job.options};
    job.totalsList.clear();
    const int panels = g.PanelsDown * g.PanelsAcross;
    for (int r = 0; r < g.PanelsDown; ++r) {
        for (int c = 0; c < g.PanelsAcross; ++c) {
            // The last page, the whole mosaic, counts as one more panel.
            if (progress && !progress(r * g.PanelsAcross + c, panels + 1))
                return false;
            DrawPanelSheet(sheetInput, c, r, job.panelSheet);
            drawAtSize(job.panelSheet, 0.25, totalsTop - Gap);
            CountPanelColors(job.studImage, g, c, r, job.colorTable);
            DrawTotalsSheet(job.colorTable, job.palette, job.paletteCount, c + 1, r + 1, job.totalsSheet,
                            job.totalsList);
            drawAtSize(job.totalsSheet, totalsTop, bottom - 0.15);
            footer(QString::fromStdString(PanelLabel(r, c)) + FooterTail());
            const bool lastPanel = r == g.PanelsDown - 1 && c == g.PanelsAcross - 1;
            if (!lastPanel)
                prn.NewPage();
        }
    }
    if (progress && !progress(panels, panels + 1))
        return false;
    prn.NewPage();

    // The whole mosaic at 8 x 8 device pixels per cell, above the title.
    place(job.studImage.ToImage(), 8 * job.studImage.Width(), 8 * job.studImage.Height(), 0.25, 7.0 - Gap);
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
    drawAtSize(job.totalsSheet, totalsTop, bottom - 0.15);
    footer(QStringLiteral("Total") + FooterTail());
    prn.Preview = true;
    prn.EndDoc();
    return true;
}

bool PrintMap(MapJob& job, QPagedPaintDevice& device, const StepProgress& progress)
{
    PrintDocument document = DocumentForPage(device.pageLayout());
    if (!ComposeMapDocument(job, document, progress))
        return false;
    RenderDocument(document, device);
    return true;
}

void WriteMapPdf(MapJob& job, const std::string& path, QPageSize::PageSizeId paper)
{
    WritePdf(path, MapPageLayout(paper), [&job](QPagedPaintDevice& device) { PrintMap(job, device); });
}

} // namespace tesselka

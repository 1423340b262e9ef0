#include "print/print_render.h"

#include "common/atomic_file.h"
#include "common/fonts.h"
#include "print/print_document.h"

#include <QBuffer>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>

#include <cmath>

namespace tesselka {

namespace {

QFont DeviceFont(const PrintFont& font, double dpi)
{
    QFont result = MapFont(font.face, font.sizePt, font.bold);
    result.setPixelSize(std::max(1, int(std::lround(font.sizePt * dpi / 72.0))));
    // Printers have the resolution that screen-exact unsmoothed text was a trade for.
    result.setStyleStrategy(QFont::PreferDefault);
    return result;
}

// The resolution of PDFs written here: that of a high-resolution printer, for the text.
constexpr int PdfDpi = 1200;

} // namespace

PrintDocument DocumentForPage(const QPageLayout& layout)
{
    const QRect area = layout.paintRectPixels(int(PrintDpi));
    return PrintDocument(PrintDpi, area.width(), area.height());
}

QPageLayout MapPageLayout(QPageSize::PageSizeId size)
{
    return QPageLayout(QPageSize(size), QPageLayout::Portrait, QMarginsF(0.15, 0.15, 0.15, 0.15), QPageLayout::Inch);
}

void RenderDocument(const PrintDocument& document, QPagedPaintDevice& device)
{
    QPainter painter;
    if (!painter.begin(&device))
        return;
    const double dpi = device.logicalDpiX();
    const QRectF area(0, 0, device.width(), device.height());
    bool first = true;
    for (const PrintPage& page : document.Pages()) {
        if (!first)
            device.newPage();
        first = false;
        for (const PrintPicture& picture : page.pictures)
            painter.drawImage(QRectF(picture.left * dpi, picture.top * dpi, picture.width * dpi, picture.height * dpi),
                              picture.image);
        for (const PrintLine& line : page.lines) {
            painter.setFont(DeviceFont(line.font, dpi));
            painter.setPen(line.font.color);
            const QRectF box(line.left * dpi, line.top * dpi, (line.right - line.left) * dpi, area.height());
            painter.drawText(box, (line.centred ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignTop, line.text);
        }
        if (document.PrintPageNumbers) {
            PrintFont numberFont;
            numberFont.sizePt = 8;
            numberFont.color = QColor(169, 169, 169);
            painter.setFont(DeviceFont(numberFont, dpi));
            painter.setPen(numberFont.color);
            painter.drawText(area, Qt::AlignRight | Qt::AlignBottom, QStringLiteral("Page %1").arg(page.number));
        }
    }
    painter.end();
}

void WritePdf(const std::string& path, const QPageLayout& layout, const std::function<void(QPagedPaintDevice&)>& render)
{
    // Opened first, so that a folder that cannot take the file fails before the work.
    AtomicFile file(path);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(PdfDpi);
        writer.setPageLayout(layout);
        writer.setCreator(QStringLiteral("Tesselka"));
        render(writer);
    }
    file.Write(std::string_view(buffer.data().constData(), size_t(buffer.data().size())));
    file.Commit();
}

} // namespace tesselka

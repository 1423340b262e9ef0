#include "print/print_render.h"

#include "common/fonts.h"
#include "print/print_document.h"

#include <QPainter>
#include <QPrinter>

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

} // namespace

void RenderDocument(const PrintDocument& document, QPrinter& printer)
{
    QPainter painter;
    if (!painter.begin(&printer))
        return;
    const double dpi = printer.resolution();
    const QRectF area = printer.pageLayout().paintRectPixels(printer.resolution());
    bool first = true;
    for (const PrintPage& page : document.Pages()) {
        if (!first)
            printer.newPage();
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
            painter.drawText(QRectF(0, 0, area.width(), area.height()), Qt::AlignRight | Qt::AlignBottom,
                             QStringLiteral("Page %1").arg(page.number));
        }
    }
    painter.end();
}

} // namespace tesselka

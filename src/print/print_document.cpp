#include "print/print_document.h"

#include <algorithm>

namespace tesselka {

PrintDocument::PrintDocument(double dpi, int printableWidthPx, int printableHeightPx)
    : dpi_(dpi > 0 ? dpi : 96), printableWidth_(std::max(0, printableWidthPx)),
      printableHeight_(std::max(0, printableHeightPx))
{
    marginRight_ = printableWidth_ / dpi_;
    marginBottom_ = printableHeight_ / dpi_;
    footerRight_ = marginRight_;
}

void PrintDocument::BeginDoc()
{
    pages_.clear();
    footers_.clear();
    current_ = PrintPage{};
    current_.number = 1;
    open_ = true;
}

double PrintDocument::PixelsToInches(int pixels) const
{
    return pixels / dpi_;
}

void PrintDocument::SetMargins(double top, double bottom, double left, double right)
{
    marginTop_ = top;
    marginBottom_ = bottom;
    marginLeft_ = left;
    marginRight_ = right;
}

void PrintDocument::DrawPicture(const QImage& image, double left, double top, double width, double height)
{
    current_.pictures.push_back({image, left, top, width, height});
}

void PrintDocument::SetFooterArea(bool, double left, double, double right, double)
{
    footerLeft_ = left;
    footerRight_ = right;
}

void PrintDocument::SetFooterLine(int number, const QString& text, const PrintFont& font, int alignment, double top)
{
    const Footer footer{number, text, font, alignment, top};
    auto it = std::find_if(footers_.begin(), footers_.end(), [&](const Footer& f) { return f.number == number; });
    if (it != footers_.end())
        *it = footer;
    else
        footers_.push_back(footer);
}

void PrintDocument::FinishPage()
{
    for (const Footer& f : footers_)
        current_.lines.push_back({f.text, f.font, footerLeft_, footerRight_, f.top, f.alignment == 1});
    pages_.push_back(std::move(current_));
    current_ = PrintPage{};
    current_.number = int(pages_.size()) + 1;
}

void PrintDocument::NewPage()
{
    if (!open_)
        BeginDoc();
    FinishPage();
}

void PrintDocument::SetFontColor(const QColor& color)
{
    font_.color = color;
}

void PrintDocument::SetFont(const QString& face, int sizePt, bool bold)
{
    font_.face = face;
    font_.sizePt = sizePt;
    font_.bold = bold;
}

void PrintDocument::WriteCentered(const QString& text, double top)
{
    current_.lines.push_back({text, font_, marginLeft_, marginRight_, top, true});
}

void PrintDocument::EndDoc()
{
    if (!open_)
        return;
    FinishPage();
    open_ = false;
}

} // namespace tesselka

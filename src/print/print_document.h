#pragma once

#include <QColor>
#include <QImage>
#include <QString>

#include <vector>

namespace tesselka {

// A font of the printed page; the face names are those the program asks for and are
// mapped to installed faces when the page is drawn.
struct PrintFont
{
    QString face = QStringLiteral("Arial");
    int sizePt = 10;
    bool bold = false;
    QColor color = Qt::black;
};

// A picture scaled into a rectangle of the page, all in inches from the page's top-left.
struct PrintPicture
{
    QImage image;
    double left = 0, top = 0, width = 0, height = 0;
};

// A line of text centred between `left` and `right` (inches), or starting at `left`,
// its top at `top`.
struct PrintLine
{
    QString text;
    PrintFont font;
    double left = 0, right = 0, top = 0;
    bool centred = true;
};

struct PrintPage
{
    std::vector<PrintPicture> pictures;
    std::vector<PrintLine> lines; // in drawing order; footers come last
    int number = 0;               // from 1
};

// A document composed in inches, independent of the device it is finally drawn on: the
// device's resolution and printable size are given once, at construction, so that
// callers can lay out pictures at one picture pixel per device pixel.
class PrintDocument
{
public:
    PrintDocument(double dpi, int printableWidthPx, int printableHeightPx);

    // A new, empty document whose first page is current.
    void BeginDoc();
    int PrintableWidth() const { return printableWidth_; }
    int PrintableHeight() const { return printableHeight_; }
    // A pixel count in inches at the device's horizontal resolution (vertical values too).
    double PixelsToInches(int pixels) const;
    void SetMargins(double top, double bottom, double left, double right);
    void DrawPicture(const QImage& image, double left, double top, double width, double height);
    // Only the left and right edges matter: centred footer lines are centred between them.
    void SetFooterArea(bool frame, double left, double top, double right, double bottom);
    // Footer line `number` (from 1), printed on the current page when it is finished.
    // Alignment 1 centres it; other values place it at the area's left edge.
    void SetFooterLine(int number, const QString& text, const PrintFont& font, int alignment, double top);
    // Finishes the current page (with its footer lines) and makes a new one current.
    void NewPage();
    void SetFontColor(const QColor& color);
    void SetFont(const QString& face, int sizePt, bool bold);
    // Centred between the left and right margins.
    void WriteCentered(const QString& text, double top);
    // Finishes the last page.
    void EndDoc();

    bool PrintPageNumbers = true;
    bool Preview = false;

    const std::vector<PrintPage>& Pages() const { return pages_; }
    double Dpi() const { return dpi_; }

private:
    struct Footer
    {
        int number;
        QString text;
        PrintFont font;
        int alignment;
        double top;
    };
    void FinishPage();

    double dpi_;
    int printableWidth_;
    int printableHeight_;
    double marginTop_ = 0, marginBottom_ = 0, marginLeft_ = 0, marginRight_ = 0;
    double footerLeft_ = 0, footerRight_ = 0;
    PrintFont font_;
    std::vector<Footer> footers_;
    std::vector<PrintPage> pages_;
    PrintPage current_;
    bool open_ = false;
};

} // namespace tesselka

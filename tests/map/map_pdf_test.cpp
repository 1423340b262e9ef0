// The printed map as a PDF, read back with poppler: pages, footers, the size of a stud
// square on paper, and nothing outside the printable area.
#include "map/map_geometry.h"
#include "map_test_support.h"
#include "print/map_document.h"

#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>

using namespace tesselka;
using namespace tesselka::test;

namespace {

QString RunTool(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return QString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

// Where the runs of red pixels along row `y` start.
std::vector<int> RedRunStarts(const QImage& page, int y)
{
    std::vector<int> starts;
    const QRgb* row = reinterpret_cast<const QRgb*>(page.constScanLine(y));
    bool inRun = false;
    for (int x = 0; x < page.width(); ++x) {
        const bool red = qRed(row[x]) > 200 && qGreen(row[x]) < 80 && qBlue(row[x]) < 80;
        if (red && !inRun)
            starts.push_back(x);
        inRun = red;
    }
    return starts;
}

int RightmostInk(const QImage& page)
{
    int rightmost = -1;
    for (int y = 0; y < page.height(); ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(page.constScanLine(y));
        for (int x = page.width() - 1; x > rightmost; --x)
            if (qGray(row[x]) < 240)
                rightmost = x;
    }
    return rightmost;
}

} // namespace

TEST(MapPdf, PagesFootersAndStudSizeOnLetterAndA4)
{
    struct Case
    {
        QPageSize::PageSizeId paper;
        const char* style;
        double pageWidthInches;
        double minStudMm, maxStudMm;
    } cases[] = {
        // Studs out: the 752-pixel sheet at one pixel per 1/96 inch, 15/96 inch a stud.
        {QPageSize::Letter, "1x Bricks - studs out", 8.5, 3.85, 4.1},
        {QPageSize::A4, "1x Bricks - studs out", 8.27, 3.85, 4.1},
        // Studs up, 144 rows: on Letter the tall sheet is scaled to clear the totals.
        {QPageSize::Letter, "1x Plates - studs up", 8.5, 3.5, 4.1},
    };
    constexpr int Dpi = 150;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.style) + (c.paper == QPageSize::A4 ? " A4" : " Letter"));
        // A checkerboard of red and blue, 96 x 60 cells: 2 x 2 panels of 48 x 48 studs out
        // (2 x 1 studs up), filled squares without numbers, so a stud is a run of red.
        Bitmap32 studs(96, 60);
        for (int y = 0; y < 60; ++y)
            for (int x = 0; x < 96; ++x)
                studs.SetPixel(x, y, Color32((x + y) % 2 ? MapBlueColor : MapRedColor));
        ColorTable table = MapTestTable();
        SelectedColorArray palette = Palette({MapRedColor, MapBlueColor});
        Bitmap32 panelSheet, totalsSheet;
        QStringList totalsList;
        MapOptions options;
        options.fillColor = true;
        options.noNumbers = true;
        const bool up = std::string(c.style).find("up") != std::string::npos;
        MapJob job{studs, table, palette, 2, c.style, 5, up ? 2 : 5, options, panelSheet, totalsSheet, totalsList};
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("map.pdf"));
        WriteMapPdf(job, pdf.toStdString(), c.paper);

        const QStringList pages = RunTool(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")})
                                      .split(QLatin1Char('\f'), Qt::SkipEmptyParts)
                                      .filter(QStringLiteral("Made with Tesselka"));
        const QStringList expected = up ? QStringList{"Panel 1,1", "Panel 1,2", "Total"}
                                        : QStringList{"Panel 1,1", "Panel 1,2", "Panel 2,1", "Panel 2,2", "Total"};
        ASSERT_EQ(pages.size(), expected.size());
        for (int i = 0; i < pages.size(); ++i)
            EXPECT_TRUE(pages[i].contains(expected[i] + QStringLiteral(" \u2022 Made with Tesselka"))) << i;

        for (int pageNumber : {1, int(expected.size())}) {
            const QString prefix = dir.filePath(QStringLiteral("page%1").arg(pageNumber));
            RunTool(QStringLiteral("pdftoppm"),
                    {QStringLiteral("-r"), QString::number(Dpi), QStringLiteral("-f"), QString::number(pageNumber),
                     QStringLiteral("-l"), QString::number(pageNumber), QStringLiteral("-singlefile"),
                     QStringLiteral("-png"), pdf, prefix});
            const QImage page = QImage(prefix + QStringLiteral(".png")).convertToFormat(QImage::Format_RGB32);
            ASSERT_FALSE(page.isNull());
            EXPECT_NEAR(page.width(), c.pageWidthInches * Dpi, 1);
            // The printable area ends 0.15 inches before the page's right edge.
            EXPECT_LE(RightmostInk(page), page.width() - 0.15 * Dpi) << "page " << pageNumber;
            if (pageNumber != 1)
                continue;
            // Of a few rows, the one through the middle of a row of squares has the most runs;
            // a red square starts every second square along it.
            std::vector<int> starts;
            for (int y = int(1.5 * Dpi); y < int(1.8 * Dpi); y += 3)
                if (std::vector<int> r = RedRunStarts(page, y); r.size() > starts.size())
                    starts = r;
            ASSERT_GE(starts.size(), 20u);
            const double studMm = (starts.back() - starts.front()) / (2.0 * (starts.size() - 1)) * 25.4 / Dpi;
            EXPECT_GE(studMm, c.minStudMm);
            EXPECT_LE(studMm, c.maxStudMm);
        }
    }
}

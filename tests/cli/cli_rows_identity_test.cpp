// The command line reads JPEG and PNG pictures a few rows at a time; its files and progress
// lines are those of the whole-picture path the window takes, byte for byte.
#include "cli/cli_options.h"
#include "cli/convert.h"
#include "formats/picture_io.h"
#include "formats/picture_rows.h"
#include "support/files.h"

#include <QCoreApplication>
#include <QImage>
#include <QImageWriter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tesselka;

namespace {

// A gradient with noise, so that every kind spreads errors of every size; `alpha` adds
// transparent parts, which the readers draw over white.
QImage Picture(int width, int height, bool alpha)
{
    QImage image(width, height, alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    uint32_t seed = 12345;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            seed = seed * 1664525u + 1013904223u;
            const int noise = int(seed >> 27) - 16;
            const int r = std::clamp(x * 255 / std::max(1, width - 1) + noise, 0, 255);
            const int g = std::clamp(y * 255 / std::max(1, height - 1) - noise, 0, 255);
            const int b = std::clamp((x + y) * 3 % 256 + noise, 0, 255);
            const int a = alpha ? int(seed >> 8) % 256 : 255;
            image.setPixel(x, y, qRgba(r, g, b, a));
        }
    return image;
}

struct Input
{
    const char* name;
    int width, height;
    const char* format;
    bool alpha;
    bool progressive;
};

} // namespace

TEST(CliRows, SameFilesAsTheWholePicture)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString appDir = QCoreApplication::applicationDirPath();
    // Grids of 1, 17 and 150 studs take every row of some pictures, some rows of others
    // and repeat rows of the small ones; the wide picture passes several blocks of rows
    // between the threads.
    const Input inputs[] = {
        {"photo.jpg", 90, 60, "JPG", false, false}, {"progressive.jpg", 61, 37, "JPG", false, true},
        {"clear.png", 70, 45, "PNG", true, false},  {"wide.png", 1500, 90, "PNG", false, false},
        {"column.png", 1, 40, "PNG", false, false}, {"line.jpg", 40, 1, "JPG", false, false},
        {"dot.png", 1, 1, "PNG", false, false},
    };
    const char* kinds[] = {"floyd", "stucki", "sierra", "jarvis", "stevenson", "burkes", "nearest"};
    const QStringList tones[] = {
        {}, {"--contrast=40", "--saturation=-30", "--splitlight=1"}, {"--grayscale", "--invert"}};
    const char* widths[] = {"1", "17", "150"};

    int run = 0;
    for (const Input& in : inputs) {
        const QString picture = dir.filePath(QString::fromLatin1(in.name));
        QImageWriter writer(picture, in.format);
        writer.setProgressiveScanWrite(in.progressive);
        ASSERT_TRUE(writer.write(Picture(in.width, in.height, in.alpha))) << in.name;
        ASSERT_NE(OpenPictureRows(picture.toStdString()), nullptr) << in.name;
        for (const char* kind : kinds)
            for (const QStringList& tone : tones) {
                const QString width = QString::fromLatin1(widths[run++ % 3]);
                QStringList messages[2];
                QByteArray files[2][3];
                for (int whole = 0; whole < 2; ++whole) {
                    const QString out = dir.filePath(whole ? QStringLiteral("whole-") : QStringLiteral("rows-"));
                    QStringList args{picture,
                                     QStringLiteral("--dither=") + QString::fromLatin1(kind),
                                     QStringLiteral("--width=") + width,
                                     QStringLiteral("--stud-png=") + out + QStringLiteral("studs.png"),
                                     QStringLiteral("--adjusted=") + out + QStringLiteral("adjusted.png"),
                                     QStringLiteral("--dithered=") + out + QStringLiteral("dithered.png")};
                    cli::RunConvert(
                        cli::ParseConvertOptions(args + tone, appDir),
                        [&](const QString& line) { messages[whole] << line; },
                        whole ? cli::PictureReading::Whole : cli::PictureReading::Rows);
                    for (int f = 0; f < 3; ++f)
                        files[whole][f] =
                            test::ReadBytes(out + QStringList{"studs.png", "adjusted.png", "dithered.png"}[f]);
                }
                const std::string what = std::string(in.name) + " " + kind + " width " + width.toStdString() + " " +
                                         tone.join(QLatin1Char(' ')).toStdString();
                EXPECT_EQ(messages[0], messages[1]) << what;
                for (int f = 0; f < 3; ++f) {
                    EXPECT_FALSE(files[0][f].isEmpty()) << what;
                    EXPECT_TRUE(files[0][f] == files[1][f]) << what << " file " << f;
                }
            }
    }
}

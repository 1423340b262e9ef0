#include "common/error.h"
#include "formats/decoders.h"

#include <QFile>
#include <QImageReader>

#include <algorithm>
#include <cctype>
#include <cstring>

namespace tesselka::detail {

namespace {

std::string FormatLabel(const char* format)
{
    std::string label(format);
    for (char& c : label)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    return label;
}

// Qt refuses pictures above its own allocation limit (256 MB by default) with a less
// clear text; once our size check has passed, give it room for exactly that picture.
void AllowSize(QImageReader& reader, QSize size)
{
    const qint64 bytes = qint64(size.width()) * size.height() * 8; // room for a conversion
    reader.setAllocationLimit(int(std::min<qint64>(bytes / (1 << 20) + 16, 1 << 30)));
}

} // namespace

Bitmap32 ReadWithQt(const std::string& path, const char* format)
{
    // The file system's own text for a missing or unreadable file, before Qt's.
    std::fclose(OpenForReading(path));
    const std::string label = FormatLabel(format);
    QImageReader reader(QFile::decodeName(path.c_str()), format);
    reader.setAutoDetectImageFormat(false);
    if (!reader.canRead())
        throw Error(label + ": " + reader.errorString().toStdString());

    // An icon holds several pictures; take the largest (the first of equal ones).
    int best = 0;
    QSize bestSize = reader.size();
    if (std::strcmp(format, "ico") == 0) {
        const int count = reader.imageCount();
        for (int i = 1; i < count; ++i) {
            if (!reader.jumpToImage(i))
                break;
            QSize size = reader.size();
            if (qint64(size.width()) * size.height() > qint64(bestSize.width()) * bestSize.height()) {
                best = i;
                bestSize = size;
            }
        }
        if (count > 1)
            reader.jumpToImage(best);
    }
    if (bestSize.isValid()) {
        CheckPictureSize(bestSize.width(), bestSize.height());
        AllowSize(reader, bestSize);
    }
    QImage image;
    if (!reader.read(&image))
        throw Error(label + ": " + reader.errorString().toStdString());
    return FlattenOnWhite(image);
}

} // namespace tesselka::detail

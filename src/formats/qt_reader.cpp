#include "common/error.h"
#include "common/input_file.h"
#include "formats/decoders.h"

#include <QFile>
#include <QImageReader>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

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

// Qt's readers fill the rows missing from a cut-off BMP, GIF or icon and report
// success; the sizes in the file's own headers show what a whole file would hold.
class FileBytes
{
public:
    FileBytes(int fd, long long size) : fd_(fd), size_(size) {}
    long long Size() const { return size_; }
    // The first `count` bytes, or all of a shorter file.
    std::vector<uint8_t> Head(size_t count) const
    {
        return At(0, size_t(std::min<long long>((long long)count, size_)));
    }
    // `count` bytes at `at`, or an empty vector when the file ends first.
    std::vector<uint8_t> At(long long at, size_t count) const
    {
        std::vector<uint8_t> bytes(count);
        if (at < 0 || at + (long long)count > size_ || ::pread(fd_, bytes.data(), count, off_t(at)) != ssize_t(count))
            bytes.clear();
        return bytes;
    }

private:
    int fd_;
    long long size_;
};

uint32_t Le(const std::vector<uint8_t>& b, size_t at, int bytes)
{
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = (v << 8) | b[at + size_t(i)];
    return v;
}

// True when the file holds less than its headers promise.
bool BmpTruncated(const FileBytes& file)
{
    const std::vector<uint8_t> h = file.Head(54);
    if (h.size() < 2 || h[0] != 'B' || h[1] != 'M')
        return false; // not ours to judge: Qt names what is wrong
    if (h.size() < 26)
        return true;
    const long long offset = Le(h, 10, 4);
    if (offset >= file.Size())
        return true;
    const uint32_t headerSize = Le(h, 14, 4);
    if (14LL + headerSize > file.Size())
        return true;
    long long width = 0, height = 0, bits = 0, compression = 0;
    // Qt reads 32-bit sizes only from the three Windows header sizes; every other size,
    // however odd, it reads as the old 16-bit header without compression, so the
    // check must read it the same way or a 47-byte file becomes a 15-megapixel picture.
    if (headerSize == 40 || headerSize == 108 || headerSize == 124) {
        if (h.size() < 34)
            return true;
        width = int32_t(Le(h, 18, 4));
        height = int32_t(Le(h, 22, 4));
        bits = Le(h, 28, 2);
        compression = Le(h, 30, 4);
    } else {
        width = int16_t(Le(h, 18, 2));
        height = int16_t(Le(h, 20, 2));
        bits = Le(h, 24, 2);
    }
    // Run-length pictures have no fixed size; the others are rows of whole 4-byte words.
    const bool plain = compression == 0 || compression == 3 || compression == 6;
    if (!plain || width <= 0 || bits <= 0 || bits > 64)
        return false;
    const long long rowBytes = (width * bits + 31) / 32 * 4;
    return (height < 0 ? -height : height) > (file.Size() - offset) / rowBytes; // no overflow, unlike the product
}

bool GifTruncated(const FileBytes& file)
{
    std::vector<uint8_t> h = file.At(0, 13);
    if (h.size() < 13 || std::memcmp(h.data(), "GIF", 3) != 0)
        return false;
    long long at = 13;
    if (h[10] & 0x80)
        at += 3LL << ((h[10] & 7) + 1);
    // Data sub-blocks: a length byte, that many bytes, until a zero length.
    auto skipBlocks = [&file](long long& pos) {
        while (true) {
            const std::vector<uint8_t> n = file.At(pos, 1);
            if (n.empty())
                return false;
            pos += 1 + n[0];
            if (n[0] == 0)
                return true;
        }
    };
    // Up to the end of the first image, which is all that is read.
    while (true) {
        const std::vector<uint8_t> kind = file.At(at, 1);
        if (kind.empty())
            return true;
        if (kind[0] == 0x21) {
            at += 2;
            if (!skipBlocks(at))
                return true;
        } else if (kind[0] == 0x2C) {
            const std::vector<uint8_t> d = file.At(at, 10);
            if (d.empty())
                return true;
            at += 10;
            if (d[9] & 0x80)
                at += 3LL << ((d[9] & 7) + 1);
            at += 1; // the code size
            const std::vector<uint8_t> first = file.At(at, 1);
            if (first.empty() || first[0] == 0)
                return true; // no picture data at all
            return !skipBlocks(at) || at > file.Size();
        } else {
            return false; // the trailer or damage: Qt says which
        }
    }
}

bool IcoTruncated(const FileBytes& file, int image)
{
    const std::vector<uint8_t> h = file.At(0, 6);
    if (h.size() < 6)
        return true;
    const std::vector<uint8_t> entry = file.At(6 + 16LL * image, 16);
    if (entry.empty())
        return true;
    return (long long)Le(entry, 12, 4) + Le(entry, 8, 4) > file.Size();
}

// Qt's image handlers print their complaints ("QImageIOHandler: Rejecting image ...")
// instead of returning them. While a picture is read they are kept here and become the
// cause in our own message; nothing reaches standard error.
class QtMessageCapture
{
public:
    QtMessageCapture()
    {
        // Installed once and never removed: messages of other threads, or outside any
        // capture, go on to the handler that was there before.
        static const QtMessageHandler previous = qInstallMessageHandler(&QtMessageCapture::Handle);
        previous_ = previous;
        active_ = this;
    }
    ~QtMessageCapture() { active_ = nullptr; }
    QtMessageCapture(const QtMessageCapture&) = delete;
    QtMessageCapture& operator=(const QtMessageCapture&) = delete;

    // The last complaint without Qt's class-name prefix; empty when there was none.
    std::string Cause() const
    {
        const qsizetype colon = last_.indexOf(QLatin1String(": "));
        const QString text = colon > 0 && last_.startsWith(QLatin1Char('Q')) ? last_.mid(colon + 2) : last_;
        return text.trimmed().toStdString();
    }

private:
    static void Handle(QtMsgType type, const QMessageLogContext& context, const QString& message)
    {
        if (active_ && type != QtFatalMsg)
            active_->last_ = message;
        else if (previous_) // Qt hands back its default handler when none was set
            previous_(type, context, message);
    }

    static inline thread_local QtMessageCapture* active_ = nullptr;
    static inline QtMessageHandler previous_ = nullptr;
    QString last_;
};

std::string ReaderErrorText(const QImageReader& reader, const std::string& label, const QtMessageCapture& messages)
{
    if (const std::string cause = messages.Cause(); !cause.empty())
        return label + ": " + cause;
    switch (reader.error()) {
    case QImageReader::UnsupportedFormatError:
        return label + ": the file is not a " + label + " picture";
    case QImageReader::InvalidDataError:
    case QImageReader::UnknownError:
        return label + ": the picture data is damaged";
    default:
        return label + ": " + reader.errorString().toStdString();
    }
}

} // namespace

Bitmap32 ReadWithQt(const std::string& path, const char* format)
{
    // The file system's own text for a missing or unreadable file, before Qt's.
    QFile device;
    const int fd = OpenRegularFile(path);
    if (!device.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        throw Error(FormatLabel(format) + ": " + device.errorString().toStdString());
    }
    struct stat info;
    const FileBytes bytes(fd, ::fstat(fd, &info) == 0 ? info.st_size : 0);
    const std::string label = FormatLabel(format);
    if (bytes.Size() == 0)
        throw Error(label + ": the file is empty");
    QtMessageCapture messages;
    QImageReader reader(&device, format);
    reader.setAutoDetectImageFormat(false);
    if (!reader.canRead())
        throw Error(ReaderErrorText(reader, label, messages));

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
    const bool truncated = std::strcmp(format, "bmp") == 0   ? BmpTruncated(bytes)
                           : std::strcmp(format, "gif") == 0 ? GifTruncated(bytes)
                                                             : IcoTruncated(bytes, best);
    if (truncated)
        throw Error(label + ": file is truncated");
    QImage image;
    if (!reader.read(&image))
        throw Error(ReaderErrorText(reader, label, messages));
    return FlattenOnWhite(image);
}

} // namespace tesselka::detail

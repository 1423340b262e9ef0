#include "formats/picture_io.h"

#include "common/atomic_file.h"
#include "common/error.h"
#include "common/input_file.h"
#include "formats/decoders.h"

#include <QPainter>
#include <QSvgRenderer>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include <unistd.h>

namespace tesselka {

namespace detail {

void CheckPictureSize(long long width, long long height)
{
    if (!Bitmap32::SizeAllowed(width, height))
        throw Error("Picture too large: " + std::to_string(width) + " x " + std::to_string(height) +
                    " pixels (the limit is " + std::to_string(Bitmap32::MaxPixels / 1'000'000) + " megapixels and " +
                    std::to_string(Bitmap32::MaxSide) + " pixels a side)");
}

std::FILE* OpenForReading(const std::string& path)
{
    const int fd = OpenRegularFile(path);
    std::FILE* file = ::fdopen(fd, "rb");
    if (!file) {
        const int err = errno;
        ::close(fd);
        ThrowIoError(err, path);
    }
    return file;
}

std::string ReadWholeFile(const std::string& path, size_t limit, const char* what)
{
    return ReadAllAndClose(OpenRegularFile(path), path, limit,
                           std::string(what) + " file too large (the limit is " + std::to_string(limit >> 20) + " MB)");
}

Bitmap32 FlattenOnWhite(const QImage& image)
{
    QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    CheckPictureSize(argb.width(), argb.height());
    Bitmap32 result(argb.width(), argb.height());
    for (int y = 0; y < argb.height(); ++y) {
        const auto* s = reinterpret_cast<const TColor32*>(argb.constScanLine(y));
        TColor32* d = result.Row(y);
        for (int x = 0; x < argb.width(); ++x) {
            TColor32 c = s[x];
            unsigned a = c >> 24;
            if (a == 255) {
                d[x] = c;
                continue;
            }
            // Non-premultiplied channel over white: c * a + 255 * (255 - a), rounded.
            auto over = [a](unsigned v) { return (v * a + 255 * (255 - a) + 127) / 255; };
            d[x] = 0xFF000000u | (over((c >> 16) & 0xFF) << 16) | (over((c >> 8) & 0xFF) << 8) | over(c & 0xFF);
        }
    }
    return result;
}

Bitmap32 RenderSvg(const QByteArray& svg, int width, int height, const char* what)
{
    CheckPictureSize(width, height);
    QSvgRenderer renderer(svg);
    if (!renderer.isValid())
        throw Error(std::string("The ") + what + " drawing could not be converted");
    Bitmap32 result(width, height);
    result.Clear(clWhite32);
    if (result.Empty())
        return result;
    QImage image = result.AsImage();
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter, QRectF(0, 0, width, height));
    }
    // Drawing on white leaves every pixel opaque, but keep the invariant explicit.
    for (int y = 0; y < height; ++y) {
        TColor32* row = result.Row(y);
        for (int x = 0; x < width; ++x)
            row[x] |= 0xFF000000u;
    }
    return result;
}

} // namespace detail

namespace {

// The text after the file name's last dot, as typed; empty when the name has none.
std::string Extension(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    const size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return std::string();
    return path.substr(dot + 1);
}

Bitmap32 Decode(const std::string& path, const StepProgress& progress)
{
    std::string ext = Extension(path);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    if (ext == "jpg" || ext == "jpeg")
        return detail::ReadJpeg(path, progress);
    if (ext == "png")
        return detail::ReadPng(path, progress);
    if (progress && !progress(0, 1))
        throw detail::DecodeCancelled();
    if (ext == "bmp" || ext == "dib")
        return detail::ReadWithQt(path, "bmp");
    if (ext == "gif")
        return detail::ReadWithQt(path, "gif");
    if (ext == "ico")
        return detail::ReadWithQt(path, "ico");
    if (ext == "emf")
        return detail::ReadEmf(path);
    if (ext == "wmf")
        return detail::ReadWmf(path);
    throw Error("Unknown picture file extension (." + Extension(path) + ")");
}

} // namespace

Bitmap32 LoadPicture(const std::string& path)
{
    return Decode(path, {});
}

bool LoadPicture(const std::string& path, Bitmap32& picture, const StepProgress& progress)
{
    try {
        Bitmap32 decoded = Decode(path, progress);
        // The formats read in one piece count as one step.
        if (progress && !progress(1, 1))
            return false;
        picture = std::move(decoded);
        return true;
    } catch (const detail::DecodeCancelled&) {
        return false;
    }
}

void SaveBmp32(const Bitmap32& bitmap, const std::string& path)
{
    const uint32_t headerSize = 14 + 40;
    const uint64_t pixelBytes = uint64_t(bitmap.Width()) * uint64_t(bitmap.Height()) * 4;
    if (headerSize + pixelBytes > 0xFFFFFFFFull)
        throw Error("The picture is too large for a BMP file");
    std::vector<uint8_t> bytes(headerSize + size_t(pixelBytes));
    auto put16 = [&](size_t at, uint32_t v) {
        bytes[at] = uint8_t(v);
        bytes[at + 1] = uint8_t(v >> 8);
    };
    auto put32 = [&](size_t at, uint32_t v) {
        put16(at, v & 0xFFFF);
        put16(at + 2, v >> 16);
    };
    bytes[0] = 'B';
    bytes[1] = 'M';
    put32(2, uint32_t(headerSize + pixelBytes));
    put32(10, headerSize);
    put32(14, 40);
    put32(18, uint32_t(bitmap.Width()));
    put32(22, uint32_t(bitmap.Height())); // positive: bottom-up rows
    put16(26, 1);
    put16(28, 32);
    put32(30, 0); // BI_RGB
    put32(34, uint32_t(pixelBytes));
    put32(38, 3780); // 96 pixels per inch, in pixels per metre
    put32(42, 3780);
    // A 32-bit BI_RGB row is B, G, R and a fourth byte: exactly a row of TColor32.
    uint8_t* d = bytes.data() + headerSize;
    const size_t rowBytes = size_t(bitmap.Width()) * 4;
    for (int y = bitmap.Height() - 1; y >= 0; --y, d += rowBytes)
        std::memcpy(d, bitmap.Row(y), rowBytes);
    WriteFileAtomically(path, bytes.data(), bytes.size());
}

} // namespace tesselka

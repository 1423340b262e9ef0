#include "common/bitmap32.h"

#include "common/error.h"
#include "common/fonts.h"
#include "common/large_buffer.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

namespace tesselka {

namespace {

TColor32* AllocatePixels(size_t pixels)
{
    return static_cast<TColor32*>(AllocateLarge(pixels * sizeof(TColor32)));
}

} // namespace

Bitmap32::Bitmap32(int width, int height)
{
    SetSize(width, height);
}

Bitmap32::Bitmap32(const Bitmap32& other) : font(other.font)
{
    SetSize(other.width_, other.height_);
    if (!Empty())
        std::memcpy(data_, other.data_, size_t(width_) * size_t(height_) * sizeof(TColor32));
}

Bitmap32& Bitmap32::operator=(const Bitmap32& other)
{
    if (this != &other) {
        SetSize(other.width_, other.height_);
        if (!Empty())
            std::memcpy(data_, other.data_, size_t(width_) * size_t(height_) * sizeof(TColor32));
        font = other.font;
    }
    return *this;
}

Bitmap32::Bitmap32(Bitmap32&& other) noexcept
    : font(std::move(other.font)), data_(other.data_), capacity_(other.capacity_), width_(other.width_),
      height_(other.height_)
{
    other.data_ = nullptr;
    other.capacity_ = 0;
    other.width_ = other.height_ = 0;
}

Bitmap32& Bitmap32::operator=(Bitmap32&& other) noexcept
{
    if (this != &other) {
        Release();
        data_ = other.data_;
        capacity_ = other.capacity_;
        width_ = other.width_;
        height_ = other.height_;
        font = std::move(other.font);
        other.data_ = nullptr;
        other.capacity_ = 0;
        other.width_ = other.height_ = 0;
    }
    return *this;
}

Bitmap32::~Bitmap32()
{
    Release();
}

void Bitmap32::Release()
{
    std::free(data_);
    data_ = nullptr;
    capacity_ = 0;
}

bool Bitmap32::SizeAllowed(int64_t width, int64_t height)
{
    return width >= 0 && height >= 0 && width <= MaxSide && height <= MaxSide && width * height <= MaxPixels;
}

void Bitmap32::Reserve(size_t pixels)
{
    if (pixels <= capacity_)
        return;
    Release();
    data_ = AllocatePixels(pixels);
    capacity_ = pixels;
}

void Bitmap32::SetSize(int width, int height)
{
    if (!SizeAllowed(width, height))
        throw Error("Picture too large: " + std::to_string(width) + " x " + std::to_string(height) +
                    " pixels (the limit is " + std::to_string(MaxPixels / 1'000'000) + " megapixels)");
    Reserve(size_t(width) * size_t(height));
    width_ = width;
    height_ = height;
}

int64_t Bitmap32::ColorAt(int x, int y) const
{
    if (!Contains(x, y))
        return -1;
    return WinColor(Pixel(x, y));
}

void Bitmap32::SetColorAt(int x, int y, TColor c)
{
    if (Contains(x, y))
        SetPixel(x, y, Color32(c));
}

void Bitmap32::Clear(TColor32 c)
{
    std::fill_n(data_, size_t(width_) * size_t(height_), c);
}

void Bitmap32::FillRect(int x1, int y1, int x2, int y2, TColor32 c)
{
    x1 = std::max(x1, 0);
    y1 = std::max(y1, 0);
    x2 = std::min(x2, width_);
    y2 = std::min(y2, height_);
    for (int y = y1; y < y2; ++y)
        std::fill(Row(y) + x1, Row(y) + std::max(x1, x2), c);
}

void Bitmap32::HorzLine(int x1, int y, int x2, TColor32 c)
{
    if (x2 < x1 || y < 0 || y >= height_)
        return;
    FillRect(x1, y, x2 + 1, y + 1, c);
}

void Bitmap32::VertLine(int x, int y1, int y2, TColor32 c)
{
    if (y2 < y1 || x < 0 || x >= width_)
        return;
    FillRect(x, y1, x + 1, y2 + 1, c);
}

void Bitmap32::Draw(int x, int y, const Bitmap32& src)
{
    int sx = std::max(0, -x), sy = std::max(0, -y);
    int dx = std::max(0, x), dy = std::max(0, y);
    int w = std::min(src.width_ - sx, width_ - dx);
    int h = std::min(src.height_ - sy, height_ - dy);
    if (w <= 0 || h <= 0)
        return;
    for (int row = 0; row < h; ++row)
        std::memcpy(Row(dy + row) + dx, src.Row(sy + row) + sx, size_t(w) * sizeof(TColor32));
}

void Bitmap32::StretchFrom(const Bitmap32& src)
{
    if (Empty() || src.Empty())
        return;
    std::unique_ptr<int[]> columns(new int[size_t(width_)]);
    for (int x = 0; x < width_; ++x)
        columns[x] = StretchSource(x, src.width_, width_);
    for (int y = 0; y < height_; ++y) {
        int sy = StretchSource(y, src.height_, height_);
        const TColor32* s = src.Row(sy);
        TColor32* d = Row(y);
        for (int x = 0; x < width_; ++x)
            d[x] = s[columns[x]];
    }
}

QImage Bitmap32::AsImage()
{
    if (Empty())
        return QImage();
    return QImage(reinterpret_cast<uchar*>(data_), width_, height_, width_ * int(sizeof(TColor32)),
                  QImage::Format_ARGB32);
}

QImage Bitmap32::ToImage() const
{
    if (Empty())
        return QImage();
    QImage image(width_, height_, QImage::Format_RGB32);
    for (int y = 0; y < height_; ++y)
        std::memcpy(image.scanLine(y), Row(y), size_t(width_) * sizeof(TColor32));
    return image;
}

Bitmap32 Bitmap32::FromImage(const QImage& image)
{
    Bitmap32 result;
    if (image.isNull())
        return result;
    QImage converted = image.convertToFormat(QImage::Format_ARGB32);
    result.SetSize(converted.width(), converted.height());
    for (int y = 0; y < converted.height(); ++y)
        std::memcpy(result.Row(y), converted.constScanLine(y), size_t(converted.width()) * sizeof(TColor32));
    return result;
}

bool Bitmap32::operator==(const Bitmap32& other) const
{
    if (width_ != other.width_ || height_ != other.height_)
        return false;
    return Empty() || std::memcmp(data_, other.data_, size_t(width_) * size_t(height_) * sizeof(TColor32)) == 0;
}

void Bitmap32::TextOut(int x, int y, const QString& text)
{
    if (Empty() || text.isEmpty())
        return;
    QImage image = AsImage();
    QPainter painter(&image);
    QFont qfont = MapFont(font.face, font.sizePt, font.bold);
    painter.setFont(qfont);
    painter.setPen(QColor::fromRgb(font.color | 0xFF000000u));
    QFontMetrics metrics(qfont);
    painter.drawText(x, y + metrics.ascent(), text);
}

int Bitmap32::TextWidth(const QString& text) const
{
    return QFontMetrics(MapFont(font.face, font.sizePt, font.bold)).horizontalAdvance(text);
}

int Bitmap32::TextInkRight(const QString& text) const
{
    return QFontMetrics(MapFont(font.face, font.sizePt, font.bold)).tightBoundingRect(text).right();
}

int Bitmap32::TextHeight(const QString& text) const
{
    (void)text;
    return QFontMetrics(MapFont(font.face, font.sizePt, font.bold)).height();
}

} // namespace tesselka

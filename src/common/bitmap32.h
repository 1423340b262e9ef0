#pragma once

#include "common/tcolor.h"

#include <QString>
#include <QtGlobal>

#include <cstddef>
#include <cstdint>
#include <memory>

class QImage;

namespace tesselka {

// The font of a bitmap's text output. Point sizes are turned into pixels at 96 pixels
// per inch; face names are mapped to installed faces (see fonts.h).
struct BitmapFont
{
    QString face = QStringLiteral("MS Sans Serif");
    int sizePt = 8;
    TColor32 color = clBlack32;
    bool bold = false;
};

// A 32-bit picture in rows of TColor32, top row first. The buffer is kept when the
// bitmap is resized to the same or a smaller area, so working pictures can be reused
// between runs of a command without touching fresh memory.
class Bitmap32
{
public:
    // Largest picture the program handles: 400 megapixels (1.6 GB of pixels). Every
    // size that comes from a file or the user is checked against it before allocation.
    static constexpr int64_t MaxPixels = 400'000'000;
    static constexpr int MaxSide = 1 << 17;

    Bitmap32() = default;
    Bitmap32(int width, int height);
    Bitmap32(const Bitmap32& other);
    Bitmap32& operator=(const Bitmap32& other);
    Bitmap32(Bitmap32&& other) noexcept;
    Bitmap32& operator=(Bitmap32&& other) noexcept;
    ~Bitmap32();

    // New size; pixel contents are unspecified afterwards. Throws tesselka::Error when
    // the size is negative or above the limits.
    void SetSize(int width, int height);
    int Width() const { return width_; }
    int Height() const { return height_; }
    bool Empty() const { return width_ == 0 || height_ == 0; }
    // True when (w, h) may be allocated (non-negative, within MaxSide and MaxPixels).
    static bool SizeAllowed(int64_t width, int64_t height);

    TColor32* Bits() { return data_; }
    const TColor32* Bits() const { return data_; }
    TColor32* Row(int y)
    {
        Q_ASSERT(y >= 0 && y < height_);
        return data_ + size_t(y) * size_t(width_);
    }
    const TColor32* Row(int y) const
    {
        Q_ASSERT(y >= 0 && y < height_);
        return data_ + size_t(y) * size_t(width_);
    }

    TColor32 Pixel(int x, int y) const { return Row(y)[x]; }
    void SetPixel(int x, int y, TColor32 c) { Row(y)[x] = c; }
    bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }

    // Pixel as a TColor, -1 outside the picture.
    int64_t ColorAt(int x, int y) const;
    // Writes outside the picture do nothing.
    void SetColorAt(int x, int y, TColor c);

    void Clear(TColor32 c);
    // Columns x1..x2-1, rows y1..y2-1; clipped to the bitmap.
    void FillRect(int x1, int y1, int x2, int y2, TColor32 c);
    // Both end points included; nothing when x2 < x1. Clipped to the bitmap.
    void HorzLine(int x1, int y, int x2, TColor32 c);
    void VertLine(int x, int y1, int y2, TColor32 c);
    // Copies all of `src` with its top-left corner at (x, y), cut off at this bitmap's edges.
    void Draw(int x, int y, const Bitmap32& src);
    // Stretches all of `src` over all of this bitmap, each target pixel taking exactly
    // one source pixel (nearest at pixel centres); no blending.
    void StretchFrom(const Bitmap32& src);
    // The source index that target index i takes when `srcLength` pixels are stretched
    // over `dstLength`: the one under the target pixel's centre, floor((i + 0.5) * s / d).
    static int StretchSource(int i, int srcLength, int dstLength)
    {
        return int((int64_t(2 * i + 1) * srcLength) / (int64_t(2) * dstLength));
    }

    // Text with its top-left corner at (x, y), transparent background, in `font`.
    void TextOut(int x, int y, const QString& text);
    int TextWidth(const QString& text) const;
    // The last pixel column the text's ink covers when it is written at x = 0.
    int TextInkRight(const QString& text) const;
    int TextHeight(const QString& text) const;
    BitmapFont font;

    // A QImage (Format_ARGB32) sharing this bitmap's pixels; valid until the next resize.
    QImage AsImage();
    // A deep copy as QImage (Format_RGB32).
    QImage ToImage() const;
    // Copies a QImage of any format (converted to ARGB32, alpha ignored by users).
    static Bitmap32 FromImage(const QImage& image);

    bool operator==(const Bitmap32& other) const;

private:
    void Release();
    void Reserve(size_t pixels);

    TColor32* data_ = nullptr;
    size_t capacity_ = 0;
    int width_ = 0;
    int height_ = 0;
};

} // namespace tesselka

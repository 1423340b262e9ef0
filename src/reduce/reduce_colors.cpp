#include "reduce/reduce_colors.h"

#include "common/error.h"
#include "common/large_buffer.h"
#include "reduce/color_lookup.h"
#include "reduce/dither_engine.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

namespace tesselka {

namespace {

void PutU16(std::vector<uint8_t>& out, size_t at, uint32_t v)
{
    out[at] = uint8_t(v);
    out[at + 1] = uint8_t(v >> 8);
}

void PutU32(std::vector<uint8_t>& out, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out[at + size_t(i)] = uint8_t(v >> (8 * i));
}

// The palette and lookup of a mode; false for the modes that are not provided.
bool MakeLookup(ReductionMode mode, const ReductionPalette& customPalette, ColorMatching matching,
                std::vector<ReductionPalette::Entry>& palette, std::unique_ptr<TColorLookup>& lookup)
{
    palette.clear();
    switch (mode) {
    case ReduceCustomPalette: {
        auto fast = std::make_unique<TFastColorLookup>(customPalette, matching);
        palette.assign(fast->PaletteTable.begin(), fast->PaletteTable.begin() + fast->ColorCount);
        lookup = std::move(fast);
        return true;
    }
    case ReduceMonochrome:
        palette = {{0, 0, 0, 0}, {255, 255, 255, 0}};
        lookup = std::make_unique<TMonochromeLookup>();
        return true;
    case ReduceGray256:
        for (int i = 0; i < 256; ++i)
            palette.push_back({uint8_t(i), uint8_t(i), uint8_t(i), 0});
        lookup = std::make_unique<TGrayScaleLookup>();
        return true;
    case ReduceWeb216:
        for (int r = 0; r < 6; ++r)
            for (int g = 0; g < 6; ++g)
                for (int b = 0; b < 6; ++b)
                    palette.push_back({uint8_t(51 * r), uint8_t(51 * g), uint8_t(51 * b), 0});
        lookup = std::make_unique<TNetscapeColorLookup>();
        return true;
    default:
        return false;
    }
}

} // namespace

IndexedBitmap::IndexedBitmap(IndexedBitmap&& other) noexcept
    : Palette(std::move(other.Palette)), data_(other.data_), capacity_(other.capacity_), width_(other.width_),
      height_(other.height_)
{
    other.data_ = nullptr;
    other.capacity_ = 0;
    other.width_ = other.height_ = 0;
}

IndexedBitmap& IndexedBitmap::operator=(IndexedBitmap&& other) noexcept
{
    if (this != &other) {
        std::free(data_);
        Palette = std::move(other.Palette);
        data_ = other.data_;
        capacity_ = other.capacity_;
        width_ = other.width_;
        height_ = other.height_;
        other.data_ = nullptr;
        other.capacity_ = 0;
        other.width_ = other.height_ = 0;
    }
    return *this;
}

IndexedBitmap::~IndexedBitmap()
{
    std::free(data_);
}

void IndexedBitmap::SetSize(int width, int height)
{
    if (!Bitmap32::SizeAllowed(width, height))
        throw Error("Invalid image dimensions");
    size_t bytes = size_t(width) * size_t(height);
    if (bytes > capacity_) {
        std::free(data_);
        data_ = nullptr;
        capacity_ = 0;
        width_ = height_ = 0;
        try {
            data_ = static_cast<uint8_t*>(AllocateLarge(bytes));
        } catch (const std::bad_alloc&) {
            throw Error("Failed to allocate memory for GIF DIB");
        }
        capacity_ = bytes;
    }
    width_ = width;
    height_ = height;
}

std::vector<uint8_t> IndexedBitmap::BmpBytes() const
{
    constexpr size_t FileHeader = 14;
    constexpr size_t InfoSize = 40 + 256 * 4;
    const size_t stride = (size_t(width_) + 3) / 4 * 4;
    const size_t pixelBytes = stride * size_t(height_);
    std::vector<uint8_t> out(FileHeader + InfoSize + pixelBytes, 0);

    out[0] = 'B';
    out[1] = 'M';
    PutU32(out, 2, uint32_t(out.size()));
    PutU32(out, 10, uint32_t(FileHeader + InfoSize));

    PutU32(out, 14, 40);
    PutU32(out, 18, uint32_t(width_));
    PutU32(out, 22, uint32_t(height_)); // positive: rows stored bottom-up
    PutU16(out, 26, 1);
    PutU16(out, 28, 8);
    // Compression, image size and both resolutions stay 0.
    PutU32(out, 46, 256);
    PutU32(out, 50, uint32_t(Palette.size()));

    size_t table = FileHeader + 40;
    for (size_t i = 0; i < Palette.size() && i < 256; ++i) {
        out[table + 4 * i] = Palette[i].blue;
        out[table + 4 * i + 1] = Palette[i].green;
        out[table + 4 * i + 2] = Palette[i].red;
    }

    uint8_t* pixels = out.data() + FileHeader + InfoSize;
    for (int y = 0; y < height_; ++y)
        std::memcpy(pixels + size_t(height_ - 1 - y) * stride, Row(y), size_t(width_));
    return out;
}

void PaletteColors(const std::vector<ReductionPalette::Entry>& palette, TColor32 (&colors)[256])
{
    std::fill_n(colors, 256, clBlack32);
    for (size_t i = 0; i < palette.size() && i < 256; ++i)
        colors[i] = Color32(palette[i].red, palette[i].green, palette[i].blue);
}

void IndexedBitmap::ToBitmap32(Bitmap32& target) const
{
    TColor32 colors[256];
    PaletteColors(Palette, colors);
    target.SetSize(width_, height_);
    const size_t count = size_t(width_) * size_t(height_);
    const uint8_t* src = data_;
    TColor32* dst = target.Bits();
    for (size_t i = 0; i < count; ++i)
        dst[i] = colors[src[i]];
}

void IndexedBitmap::RowsToColors(int first, int count, TColor32* out) const
{
    Q_ASSERT(first >= 0 && count >= 0 && first + count <= height_);
    TColor32 colors[256];
    PaletteColors(Palette, colors);
    const size_t n = size_t(width_) * size_t(count);
    const uint8_t* src = Row(first);
    for (size_t i = 0; i < n; ++i)
        out[i] = colors[src[i]];
}

void IndexedBitmap::StretchTo(Bitmap32& target) const
{
    if (target.Empty() || Empty())
        return;
    GridRowSampler sampler(width_, height_, Palette, target);
    for (int y = 0; y < height_; ++y)
        sampler.AddRow(y, Row(y));
}

GridRowSampler::GridRowSampler(int sourceWidth, int sourceHeight, const std::vector<ReductionPalette::Entry>& palette,
                               Bitmap32& target)
    : target_(target), sourceHeight_(sourceHeight), columns_(size_t(target.Width()))
{
    PaletteColors(palette, colors_);
    for (int x = 0; x < target.Width(); ++x)
        columns_[size_t(x)] = Bitmap32::StretchSource(x, sourceWidth, target.Width());
}

void GridRowSampler::AddRow(int y, const uint8_t* indices)
{
    // The target rows pick their source rows in order; a row may stand for none, one or
    // several of them.
    const int height = target_.Height();
    for (; nextTarget_ < height && Bitmap32::StretchSource(nextTarget_, sourceHeight_, height) == y; ++nextTarget_) {
        TColor32* d = target_.Row(nextTarget_);
        for (size_t x = 0; x < columns_.size(); ++x)
            d[x] = colors_[indices[columns_[x]]];
    }
}

RowReduction::RowReduction(int width, ReductionMode mode, DitherKind kind, const ReductionPalette& customPalette,
                           ColorMatching matching)
{
    if (!MakeLookup(mode, customPalette, matching, palette_, lookup_))
        throw Error("Reduction mode " + std::to_string(int(mode)) + " is not supported");
    if (lookup_->ColorCount == 0)
        return;
    ditherer_ = CreateDitherer(int(kind), width, lookup_.get());
}

RowReduction::~RowReduction() = default;

void RowReduction::Next(const TColor32* row, uint8_t* indices)
{
    // Serpentine rows: each row from the ditherer's CurrentColumn in its direction.
    ditherer_->DitherRow(row, indices);
    ditherer_->EndLine();
}

bool ReduceBitmapColors(const Bitmap32& picture, ReductionMode mode, DitherKind kind, int reductionBits,
                        const ReductionPalette& customPalette, IndexedBitmap& result, const ReductionProgress& progress,
                        ColorMatching matching)
{
    (void)reductionBits; // only the optimised-palette modes use it, and they are not provided
    result.SetSize(0, 0);
    result.Palette.clear();
    if (mode != ReduceCustomPalette && mode != ReduceMonochrome && mode != ReduceGray256 && mode != ReduceWeb216)
        throw Error("Reduction mode " + std::to_string(int(mode)) + " is not supported");
    if (picture.Width() == 0 || picture.Height() == 0)
        throw Error("Invalid image dimensions");

    RowReduction rows(picture.Width(), mode, kind, customPalette, matching);
    if (rows.Empty())
        return true;
    result.SetSize(picture.Width(), picture.Height());
    result.Palette = rows.Palette();
    const int height = picture.Height();
    for (int y = 0; y < height; ++y) {
        rows.Next(picture.Row(y), result.Row(y));
        if (progress && ((y + 1) % 64 == 0 || y + 1 == height) && !progress(y + 1, height)) {
            result.SetSize(0, 0);
            result.Palette.clear();
            return false;
        }
    }
    return true;
}

} // namespace tesselka

#pragma once

// The colour reduction driver: a picture reduced to 8-bit palette indices with one of
// the dither kinds.

#include "colours/palette.h"
#include "common/bitmap32.h"
#include "reduce/dither_kind.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace tesselka {

// An 8-bit picture of palette indices with its colour table (at most 256 colours).
// Indices are kept top row first, Width() bytes per row; the buffer is kept when the
// picture is resized to the same or a smaller area, so a window can reuse one result
// between reductions.
class IndexedBitmap
{
public:
    IndexedBitmap() = default;
    IndexedBitmap(const IndexedBitmap&) = delete;
    IndexedBitmap& operator=(const IndexedBitmap&) = delete;
    IndexedBitmap(IndexedBitmap&& other) noexcept;
    IndexedBitmap& operator=(IndexedBitmap&& other) noexcept;
    ~IndexedBitmap();

    int Width() const { return width_; }
    int Height() const { return height_; }
    bool Empty() const { return width_ == 0 || height_ == 0; }
    uint8_t* Row(int y) { return data_ + size_t(y) * size_t(width_); }
    const uint8_t* Row(int y) const { return data_ + size_t(y) * size_t(width_); }
    uint8_t Index(int x, int y) const { return Row(y)[x]; }

    // The colour table's meaningful entries, in palette order (the "important" colours).
    std::vector<ReductionPalette::Entry> Palette;

    // New size (pixels unspecified) or 0 x 0; throws tesselka::Error when the buffer
    // cannot be had.
    void SetSize(int width, int height);

    // The picture as an in-memory BMP file: 8 bits per pixel, bottom row first, a
    // colour table of 256 entries (the palette, then black), 256 colours used and the
    // palette's size as the important colours.
    std::vector<uint8_t> BmpBytes() const;

    // The picture in its palette colours (alpha 255) into `target`, reusing its buffer.
    void ToBitmap32(Bitmap32& target) const;
    // Rows first..first+count-1 in their palette colours (alpha 255), one after another.
    void RowsToColors(int first, int count, TColor32* out) const;
    // The same as ToBitmap32 followed by target.StretchFrom, for a target already sized
    // (usually a small grid), without the full-size picture in between.
    void StretchTo(Bitmap32& target) const;

private:
    uint8_t* data_ = nullptr;
    size_t capacity_ = 0;
    int width_ = 0;
    int height_ = 0;
};

// Called once per band of rows with the rows done and the total; returning false cancels.
using ReductionProgress = std::function<bool(int done, int total)>;

// Reduces `picture` to a palette with a dither kind, into `result`.
// - ReduceCustomPalette uses a copy of `customPalette` (its first 256 entries);
//   ReduceMonochrome, ReduceGray256 and ReduceWeb216 use their fixed palettes. The other
//   modes are not provided and raise an error.
// - Only the red, green and blue bytes of the source pixels are read; the picture is not
//   changed. `reductionBits` is accepted for the optimised-palette modes only.
// - An empty palette, or a dither kind outside 0..6, gives an empty result (0 x 0) and
//   no error.
// - Throws tesselka::Error: "Invalid image dimensions" for a picture without pixels,
//   "Failed to allocate memory for GIF DIB" when the index buffer cannot be had.
// - `matching` chooses how ReduceCustomPalette picks an entry for a colour; the fixed
//   palettes have their own rules and ignore it.
// Returns false (and an empty result) when `progress` cancels.
bool ReduceBitmapColors(const Bitmap32& picture, ReductionMode mode, DitherKind kind, int reductionBits,
                        const ReductionPalette& customPalette, IndexedBitmap& result,
                        const ReductionProgress& progress = {}, ColorMatching matching = MatchRgb);

} // namespace tesselka

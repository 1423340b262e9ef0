#pragma once

// The colour reduction driver: a picture reduced to 8-bit palette indices with one of
// the dither kinds.

#include "colours/palette.h"
#include "common/bitmap32.h"
#include "reduce/dither_kind.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
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

class TColorLookup;
class TDitherEngine;

// ReduceBitmapColors for a picture that arrives a row at a time, top to bottom: the same
// lookup, ditherer and order of pixels, so the same indices, with only the ditherer's
// rows of error kept. ReduceBitmapColors itself runs on it.
class RowReduction
{
public:
    // For pictures `width` pixels wide; the modes and kinds as for ReduceBitmapColors
    // (the modes not provided throw tesselka::Error).
    RowReduction(int width, ReductionMode mode, DitherKind kind, const ReductionPalette& customPalette,
                 ColorMatching matching = MatchRgb);
    ~RowReduction();
    RowReduction(const RowReduction&) = delete;
    RowReduction& operator=(const RowReduction&) = delete;

    // True when nothing is reduced: an empty palette or a kind outside 0..6.
    bool Empty() const { return !ditherer_; }
    // The next row's indices (`width` of them) from its pixels.
    void Next(const TColor32* row, uint8_t* indices);
    // The colour table of the result.
    const std::vector<ReductionPalette::Entry>& Palette() const { return palette_; }

private:
    std::vector<ReductionPalette::Entry> palette_;
    std::unique_ptr<TColorLookup> lookup_;
    std::unique_ptr<TDitherEngine> ditherer_;
};

// IndexedBitmap::StretchTo for an indexed picture that arrives a row at a time: each
// source row is kept only as the target rows it stands for. `target` must be sized and
// must outlive the sampler.
class GridRowSampler
{
public:
    GridRowSampler(int sourceWidth, int sourceHeight, const std::vector<ReductionPalette::Entry>& palette,
                   Bitmap32& target);
    // Source row `y`'s indices; rows must come in order, every one of them.
    void AddRow(int y, const uint8_t* indices);

private:
    Bitmap32& target_;
    int sourceHeight_;
    int nextTarget_ = 0;
    std::vector<int> columns_;
    TColor32 colors_[256];
};

// The colours of a result's indices: the palette's entries (alpha 255), black after them.
void PaletteColors(const std::vector<ReductionPalette::Entry>& palette, TColor32 (&colors)[256]);

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

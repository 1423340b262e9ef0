#pragma once

// Colour lookups: which entry of a target palette stands for a 24-bit colour. Every
// ditherer asks its lookup once per pixel.

#include "colours/palette.h"
#include "reduce/dither_kind.h"
#include "reduce/perceptual_search.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace tesselka {

class TColorLookup
{
public:
    virtual ~TColorLookup() = default;

    // The palette index of the entry chosen for (red, green, blue), and that entry's colour.
    virtual void FindColor(uint8_t red, uint8_t green, uint8_t blue, uint8_t& index, uint8_t& outRed, uint8_t& outGreen,
                           uint8_t& outBlue) = 0;

    // Number of palette entries the lookup can return.
    int32_t ColorCount = 0;
};

// Nearest entry of any palette of up to 256 colours by city-block distance, answered
// from a cache of 5-5-5 cells. A cell keeps the first answer it was given for the whole
// reduction, so the result depends on the order in which colours are asked; that order
// is part of the program's look and must not be changed. Never share one lookup between
// two reductions.
//
// With MatchPerceptual a cell's answer is instead the entry that looks nearest to the
// cell's centre (CIEDE2000), whoever asks first: exact at the centres, and for the other
// colours of a cell off by no more than the cell's own spread, which the error diffusion
// carries on to the next pixels like any other error. The cache keeps the dither loops as
// fast as with RGB matching; a search per colour would cost a hundred times more.
class TFastColorLookup final : public TColorLookup
{
public:
    static constexpr int CellCount = 32768;

    // Copies the palette's first 256 entries (the palette is not kept). RGB matching
    // seeds the cache with each entry's own cell, lowest index first.
    explicit TFastColorLookup(const ReductionPalette& palette, ColorMatching matching = MatchRgb);

    void FindColor(uint8_t red, uint8_t green, uint8_t blue, uint8_t& index, uint8_t& outRed, uint8_t& outGreen,
                   uint8_t& outBlue) override
    {
        index = FindIndex(red, green, blue);
        const ReductionPalette::Entry& entry = PaletteTable[index];
        outRed = entry.red;
        outGreen = entry.green;
        outBlue = entry.blue;
    }

    uint8_t FindIndex(uint8_t red, uint8_t green, uint8_t blue)
    {
        int cell = CellOf(red, green, blue);
        int16_t known = CellCache[cell];
        // Only the low byte of a cached answer is an index.
        return known != -1 ? uint8_t(known) : Search(red, green, blue, cell);
    }

    static int CellOf(uint8_t red, uint8_t green, uint8_t blue)
    {
        return (red >> 3) | ((green >> 3) << 5) | ((blue >> 3) << 10);
    }

    // Red, green, blue, flags per entry; only the first ColorCount entries mean anything.
    std::array<ReductionPalette::Entry, 256> PaletteTable{};
    // One palette index per 5-5-5 cell, -1 while the cell's answer is not known.
    std::unique_ptr<int16_t[]> CellCache;

    // The search behind a cell that holds no answer yet; stores its answer in the cell.
    uint8_t Search(uint8_t red, uint8_t green, uint8_t blue, int cell);

    // The same cells with the answer's colour beside its index (index | red << 8 |
    // green << 16 | blue << 24), so that a ditherer gets the colour from the same load
    // as the index: the lookup sits on the chain from one pixel's error to the next.
    // Cells without an answer hold UnknownEntry(), a value no answer can have.
    const uint32_t* CellEntries() const { return cellEntries_.get(); }
    uint32_t UnknownEntry() const { return unknownEntry_; }

    // The same cells once more for Floyd-Steinberg, whose next pixel needs 7 x the
    // answer's colour: each field is read by a load of its own, so none waits for
    // another to be taken out of a word. A field holds 7 x (255 - the channel), never
    // negative, because a zero-extending load is a cycle quicker than a sign-extending
    // one; the ditherer takes the 7 x 255 off beforehand. A cell without an answer holds
    // Unanswered in every field (7 x 255 is the largest answer).
    struct DiffusionEntry
    {
        uint16_t sevenBelowRed;
        uint16_t sevenBelowGreen;
        uint16_t sevenBelowBlue;
        uint8_t index;
        uint8_t unused;

        static constexpr int SevenWhite = 7 * 255;
        static constexpr uint16_t Unanswered = 0xFFFF;
    };
    const DiffusionEntry* DiffusionEntries() const { return diffusionEntries_; }

    // Each palette entry's colour as 16-bit fields, by index. They lie just before the
    // diffusion entries, so that a ditherer reaches both from one register.
    struct AnswerColour
    {
        int16_t red;
        int16_t green;
        int16_t blue;
        int16_t zero;
    };
    static_assert(sizeof(AnswerColour) == sizeof(DiffusionEntry));
    static const AnswerColour* AnswerColoursBefore(const DiffusionEntry* entries)
    {
        return reinterpret_cast<const AnswerColour*>(entries) - 256;
    }

private:
    void Answer(int cell, int index);

    std::unique_ptr<uint32_t[]> cellEntries_;
    // The answers' colours, then the diffusion entries.
    std::unique_ptr<std::byte[]> diffusionBlock_;
    DiffusionEntry* diffusionEntries_ = nullptr;
    // Set for MatchPerceptual only.
    std::unique_ptr<PerceptualSearch> perceptual_;
    uint32_t unknownEntry_ = 0;
};

// The 6 x 6 x 6 colour cube: index 36 x red level + 6 x green level + blue level.
class TNetscapeColorLookup final : public TColorLookup
{
public:
    TNetscapeColorLookup() { ColorCount = 216; }
    void FindColor(uint8_t red, uint8_t green, uint8_t blue, uint8_t& index, uint8_t& outRed, uint8_t& outGreen,
                   uint8_t& outBlue) override;
};

// 256 grey levels, index = grey.
class TGrayScaleLookup final : public TColorLookup
{
public:
    TGrayScaleLookup() { ColorCount = 256; }
    void FindColor(uint8_t red, uint8_t green, uint8_t blue, uint8_t& index, uint8_t& outRed, uint8_t& outGreen,
                   uint8_t& outBlue) override;
};

// Black (index 0) and white (index 1) by luminance.
class TMonochromeLookup final : public TColorLookup
{
public:
    TMonochromeLookup() { ColorCount = 2; }
    void FindColor(uint8_t red, uint8_t green, uint8_t blue, uint8_t& index, uint8_t& outRed, uint8_t& outGreen,
                   uint8_t& outBlue) override;
};

} // namespace tesselka

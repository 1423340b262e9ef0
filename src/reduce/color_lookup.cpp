#include "reduce/color_lookup.h"

#include <algorithm>
#include <cstdlib>

namespace tesselka {

TFastColorLookup::TFastColorLookup(const ReductionPalette& palette, ColorMatching matching)
    : CellCache(new int16_t[CellCount]), cellEntries_(new uint32_t[CellCount]),
      diffusionBlock_(new std::byte[256 * sizeof(AnswerColour) + CellCount * sizeof(DiffusionEntry)]),
      diffusionEntries_(reinterpret_cast<DiffusionEntry*>(diffusionBlock_.get() + 256 * sizeof(AnswerColour)))
{
    ColorCount = std::min(palette.Count(), 256);
    std::copy_n(palette.entries.begin(), ColorCount, PaletteTable.begin());
    // Index 0 with a colour other than entry 0's is never an answer.
    const ReductionPalette::Entry& first = PaletteTable[0];
    unknownEntry_ = (uint32_t(first.red) << 8 | uint32_t(first.green) << 16 | uint32_t(first.blue ^ 1) << 24);
    std::fill_n(CellCache.get(), CellCount, int16_t(-1));
    std::fill_n(cellEntries_.get(), CellCount, unknownEntry_);
    std::fill_n(
        diffusionEntries_, CellCount,
        DiffusionEntry{DiffusionEntry::Unanswered, DiffusionEntry::Unanswered, DiffusionEntry::Unanswered, 0xFF, 0xFF});
    AnswerColour* const answers = reinterpret_cast<AnswerColour*>(diffusionBlock_.get());
    for (size_t i = 0; i < 256; ++i) {
        const ReductionPalette::Entry& e = PaletteTable[i];
        answers[i] = {int16_t(e.red), int16_t(e.green), int16_t(e.blue), 0};
    }
    if (matching == MatchPerceptual) {
        // No seeding: an entry's own cell may look nearer to another entry at its centre.
        perceptual_ = std::make_unique<PerceptualSearch>(PaletteTable.data(), ColorCount);
        return;
    }
    for (int i = 0; i < ColorCount; ++i) {
        const ReductionPalette::Entry& e = PaletteTable[size_t(i)];
        int cell = CellOf(e.red, e.green, e.blue);
        if (CellCache[cell] == -1)
            Answer(cell, i);
    }
}

void TFastColorLookup::Answer(int cell, int index)
{
    const ReductionPalette::Entry& e = PaletteTable[size_t(index)];
    CellCache[cell] = int16_t(index);
    cellEntries_[cell] = uint32_t(index) | uint32_t(e.red) << 8 | uint32_t(e.green) << 16 | uint32_t(e.blue) << 24;
    diffusionEntries_[cell] = {uint16_t(7 * (255 - e.red)), uint16_t(7 * (255 - e.green)), uint16_t(7 * (255 - e.blue)),
                               uint8_t(index), 0};
}

uint8_t TFastColorLookup::Search(uint8_t red, uint8_t green, uint8_t blue, int cell)
{
    if (perceptual_) {
        const int index = std::max(perceptual_->Nearest(PerceptualSearch::CellCentre(cell)), 0);
        Answer(cell, index);
        return uint8_t(index);
    }
    // Larger than any city-block distance (3 x 255), so entry 0 always takes the lead.
    int best = 196608;
    int bestIndex = 0;
    for (int i = 0; i < ColorCount; ++i) {
        const ReductionPalette::Entry& e = PaletteTable[size_t(i)];
        int distance = std::abs(e.red - red) + std::abs(e.green - green) + std::abs(e.blue - blue);
        if (distance < best) {
            best = distance;
            bestIndex = i;
        }
    }
    Answer(cell, bestIndex);
    return uint8_t(bestIndex);
}

void TNetscapeColorLookup::FindColor(uint8_t red, uint8_t green, uint8_t blue, uint8_t& index, uint8_t& outRed,
                                     uint8_t& outGreen, uint8_t& outBlue)
{
    int r = (red + 3) / 51, g = (green + 3) / 51, b = (blue + 3) / 51;
    index = uint8_t(36 * r + 6 * g + b);
    outRed = uint8_t(51 * r);
    outGreen = uint8_t(51 * g);
    outBlue = uint8_t(51 * b);
}

void TGrayScaleLookup::FindColor(uint8_t red, uint8_t green, uint8_t blue, uint8_t& index, uint8_t& outRed,
                                 uint8_t& outGreen, uint8_t& outBlue)
{
    uint8_t grey = uint8_t((77 * red + 150 * green + 29 * blue) >> 8);
    index = outRed = outGreen = outBlue = grey;
}

void TMonochromeLookup::FindColor(uint8_t red, uint8_t green, uint8_t blue, uint8_t& index, uint8_t& outRed,
                                  uint8_t& outGreen, uint8_t& outBlue)
{
    bool white = 77 * red + 150 * green + 29 * blue > 32512;
    index = white ? 1 : 0;
    outRed = outGreen = outBlue = white ? 255 : 0;
}

} // namespace tesselka

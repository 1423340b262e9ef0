#pragma once

#include "colours/color_table.h"
#include "common/bitmap32.h"
#include "common/tcolor.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace tesselka {

// Colours of the map sheets.
inline constexpr TColor32 MapWhite = 0xFFFFFFFFu;
inline constexpr TColor32 MapBlack = 0xFF000000u;
inline constexpr TColor32 MapGrey = 0xFFDDDDDDu;
inline constexpr TColor32 MapRed = 0xFFFF0000u;

// Light colours take black numbers and an outlined swatch, dark ones white numbers and
// no outline. The split lies at the relative luminance where black and white text have
// the same contrast against the colour (4.58 : 1), so whichever side a colour falls on,
// its number stands out at least that much; a negative colour (no colour) counts as dark.
inline constexpr double LightColorLuminance = 0.1791;
double RelativeLuminance(TColor color);
bool IsLightColor(int64_t color);
// The colour of a number written on a square filled with `color`.
inline TColor32 NumberColorOn(int64_t color)
{
    return IsLightColor(color) ? MapBlack : MapWhite;
}

// Writes the whole of slot number `slot` at (x, y) in `target`, in the target's font at
// `points` or, when its ink would run past column `right`, at the largest smaller size
// at which it does not: slots past 99 would otherwise lose digits and read as others.
// `fitted` caches the size per number, as a sheet writes the same few numbers often.
class SlotNumberWriter
{
public:
    explicit SlotNumberWriter(int right) : right_(right) {}
    void Write(Bitmap32& target, int x, int y, int points, int slot);

private:
    int right_;
    std::vector<std::pair<uint64_t, int>> fitted_; // (x, points, slot) -> size
};

// The on-panel slots of each colour, in increasing slot order, found without scanning
// the whole table for every cell. Every slot takes part, also those past the first 100,
// so that a palette colour whose slot lies late in a long colour table still gets its
// number.
class OnPanelSlots
{
public:
    explicit OnPanelSlots(const ColorTable& colorTable)
    {
        for (int j = 0; j < colorTable.Size(); ++j)
            if (colorTable[j].OnPanel)
                entries_.emplace_back(colorTable[j].Color, j);
        std::stable_sort(entries_.begin(), entries_.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
    }

    // Calls f(slotIndex) for every on-panel slot holding `color`, lowest index first.
    template <typename F>
    void ForEach(int64_t color, F&& f) const
    {
        if (color < 0)
            return;
        auto it = std::lower_bound(entries_.begin(), entries_.end(), TColor(color),
                                   [](const auto& e, TColor c) { return e.first < c; });
        for (; it != entries_.end() && it->first == TColor(color); ++it)
            f(it->second);
    }

private:
    std::vector<std::pair<TColor, int>> entries_;
};

} // namespace tesselka

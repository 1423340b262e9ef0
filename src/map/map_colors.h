#pragma once

#include "colours/color_table.h"
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

// The near-white colours whose numbers stay black and whose swatches get an outline.
constexpr bool IsNearWhite(int64_t color)
{
    return color == int64_t(RgbToColor(255, 255, 255)) || color == int64_t(RgbToColor(242, 243, 242));
}

// The on-panel colorTable of each colour, in increasing slot order, found without scanning
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

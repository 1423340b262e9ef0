#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace tesselka {

// The eight styles of the style list, in list order.
inline constexpr std::array<std::string_view, 8> MosaicStyles = {
    "1x Plates - studs up",  "2x Plates - studs up",  "1x Bricks - studs up",  "2x Bricks - studs up",
    "1x Plates - studs out", "2x Plates - studs out", "1x Bricks - studs out", "2x Bricks - studs out",
};

// Reached only by typing it, or from a settings or model file.
inline constexpr std::string_view StudMixStyle = "1x Plates - stud mix";

// Preview pixels per stud cell across; the same for every style.
inline constexpr int StyleCellWidth = 5;

// Preview pixels per stud cell down for a style text (exact, case-sensitive), or none
// for a text that is not a style.
constexpr std::optional<int> StyleCellHeight(std::string_view style)
{
    constexpr int heights[8] = {2, 2, 6, 6, 5, 10, 5, 10};
    for (size_t i = 0; i < MosaicStyles.size(); ++i)
        if (style == MosaicStyles[i])
            return heights[i];
    if (style == StudMixStyle)
        return 2;
    return std::nullopt;
}

} // namespace tesselka

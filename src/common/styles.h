#pragma once

// Every question asked of a style. The style box is editable and a settings or model file
// may carry any text, so a style text need not be one of the list: each question keeps
// the rule it has always had (a whole-name match, or a phrase found anywhere in the
// text), and a typed text gets the answers it always got. Nothing else looks at a style
// text; a new style or a new output asks here.

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

// Every style the program knows: the list's eight and the stud mix.
inline constexpr std::array<std::string_view, 9> AllStyles = {
    MosaicStyles[0], MosaicStyles[1], MosaicStyles[2], MosaicStyles[3], MosaicStyles[4],
    MosaicStyles[5], MosaicStyles[6], MosaicStyles[7], StudMixStyle,
};

// Preview pixels of one stud cell at scale 1.
struct CellShape
{
    int width = 0;
    int height = 0;
    bool operator==(const CellShape&) const = default;
};

// Preview pixels per stud cell across; the same for every style.
inline constexpr int StyleCellWidth = 5;

// The cell of the stud-mix grid: the ordinary cell stood on end.
inline constexpr CellShape StudMixCell = {2, 5};

namespace style_detail {
constexpr bool Has(std::string_view style, std::string_view phrase)
{
    return style.find(phrase) != std::string_view::npos;
}
} // namespace style_detail

// Preview pixels per stud cell down for a style name (exact, case-sensitive), or none
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

// The cell of a style name, or none for a text that is not a style.
constexpr std::optional<CellShape> StyleCell(std::string_view style)
{
    if (std::optional<int> height = StyleCellHeight(style))
        return CellShape{StyleCellWidth, *height};
    return std::nullopt;
}

// The stud-mix style (exact name) draws a second grid of standing cells.
constexpr bool UsesStudMix(std::string_view style)
{
    return style == StudMixStyle;
}

// Studs facing the viewer: the text ends in "studs out".
constexpr bool StudsOutStyle(std::string_view style)
{
    return style.ends_with("studs out");
}

// --- Packing (phrases) ------------------------------------------------------------------
// Two plates per row: "2x Plates".
constexpr bool DoublePlateStyle(std::string_view style)
{
    return style_detail::Has(style, "2x Plates");
}
// Single plates facing out, which may be stacked into wider plates: "1x Plates - studs out".
constexpr bool SinglePlatesOutStyle(std::string_view style)
{
    return style_detail::Has(style, "1x Plates - studs out");
}
// Rows of bricks rather than plates: "Bricks".
constexpr bool BrickStyle(std::string_view style)
{
    return style_detail::Has(style, "Bricks");
}
// Two-deep bricks: "2x Bricks".
constexpr bool DoubleBrickStyle(std::string_view style)
{
    return style_detail::Has(style, "2x Bricks");
}
// A wall of two layers, the back one packed separately: "2x Bricks - studs up".
constexpr bool TwoLayerWallStyle(std::string_view style)
{
    return style_detail::Has(style, "2x Bricks - studs up");
}

// --- Model files (whole names) ------------------------------------------------------------
// Which set of model files a style writes; None for the stud mix and for any text that
// is not a style.
enum class StyleModel { None, SinglePlatesUp, SinglePlatesOut, DoublePlates, SingleBricks, DoubleBricks };

constexpr StyleModel ModelOfStyle(std::string_view style)
{
    if (style == "1x Plates - studs up")
        return StyleModel::SinglePlatesUp;
    if (style == "1x Plates - studs out")
        return StyleModel::SinglePlatesOut;
    if (style == "2x Plates - studs up" || style == "2x Plates - studs out")
        return StyleModel::DoublePlates;
    if (style == "1x Bricks - studs up" || style == "1x Bricks - studs out")
        return StyleModel::SingleBricks;
    if (style == "2x Bricks - studs up" || style == "2x Bricks - studs out")
        return StyleModel::DoubleBricks;
    return StyleModel::None;
}

constexpr bool StyleHasModel(std::string_view style)
{
    return ModelOfStyle(style) != StyleModel::None;
}

// --- Build map (phrases) ------------------------------------------------------------------
// Rows of one map panel `panelStuds` wide. Later matches replace earlier ones; the order
// matters for no style of the list, but keeps a typed text with several phrases
// deterministic.
constexpr int MapPanelRows(std::string_view style, int panelStuds)
{
    int rows = panelStuds;
    if (style_detail::Has(style, "Plates - studs up"))
        rows = 3 * panelStuds;
    if (style_detail::Has(style, "2x Bricks - studs out"))
        rows = panelStuds / 2;
    if (style_detail::Has(style, "2x Plates - studs out"))
        rows = panelStuds / 2;
    return rows;
}

// The unit a map counts the mosaic's height in: "plates" or "bricks" for a text with
// "up" (plates when it also has "Plate"), "studs" otherwise.
constexpr std::string_view MapHeightUnit(std::string_view style)
{
    if (!style_detail::Has(style, "up"))
        return "studs";
    return style_detail::Has(style, "Plate") ? "plates" : "bricks";
}

// Rows of parts per stud row on the map: two for a text with both "out" and "2x".
constexpr int MapRowsPerStudRow(std::string_view style)
{
    return style_detail::Has(style, "out") && style_detail::Has(style, "2x") ? 2 : 1;
}

// Flat plate cells are low: their colour numbers are drawn small ("Plates - studs up").
constexpr bool SmallMapNumbers(std::string_view style)
{
    return style_detail::Has(style, "Plates - studs up");
}

// --- Command line ---------------------------------------------------------------------------
// The style of AllStyles whose name equals `text` without regard to ASCII case.
constexpr std::optional<std::string_view> FindStyle(std::string_view text)
{
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    for (std::string_view style : AllStyles) {
        if (style.size() != text.size())
            continue;
        bool same = true;
        for (size_t i = 0; i < style.size() && same; ++i)
            same = lower(style[i]) == lower(text[i]);
        if (same)
            return style;
    }
    return std::nullopt;
}

} // namespace tesselka

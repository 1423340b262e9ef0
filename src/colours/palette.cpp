#include "colours/palette.h"

#include "colours/color_table.h"

namespace tesselka {

// Panel, check box, LDraw code, designed colour, ticked at start, position.
const std::array<PaletteEntry, PaletteSize> PaletteEntries = {{
    {2, 1, 4, 204, true, 32, 16},
    {3, 2, 12, 6711039, false, 53, 16},
    {4, 3, 26, 14475007, false, 75, 16},
    {5, 4, 6, 8284, false, 11, 50},
    {6, 5, 320, 16051, false, 32, 50},
    {7, 6, 25, 1665791, false, 53, 50},
    {8, 7, 462, 434174, false, 75, 50},
    {9, 8, 28, 5281741, false, 75, 84},
    {10, 9, 335, 8554431, false, 97, 16},
    {11, 10, 366, 295889, false, 53, 84},
    {12, 11, 484, 13758719, false, 32, 84},
    {13, 12, 14, 1697019, true, 53, 118},
    {14, 13, 18, 9890045, false, 97, 118},
    {15, 14, 27, 62912, false, 53, 152},
    {16, 15, 21, 11599840, false, 97, 152},
    {18, 17, 2, 3519746, true, 53, 186},
    {19, 18, 10, 9368930, false, 75, 186},
    {20, 19, 17, 14876631, false, 97, 186},
    {21, 20, 3, 10459392, false, 32, 220},
    {22, 21, 11, 10925312, false, 53, 220},
    {23, 22, 378, 16383403, false, 75, 220},
    {24, 23, 1, 10040064, true, 53, 254},
    {25, 24, 379, 9861738, false, 75, 254},
    {26, 25, 23, 11547207, false, 53, 289},
    {27, 26, 20, 15123671, false, 75, 289},
    {28, 27, 22, 8061057, false, 31, 323},
    {29, 28, 373, 8674948, false, 53, 323},
    {30, 29, 5, 9791199, false, 75, 323},
    {31, 30, 0, 0, true, 9, 357},
    {32, 31, 8, 5398371, false, 31, 357},
    {33, 32, 7, 11184810, true, 53, 357},
    {34, 33, 503, 14740973, false, 97, 357},
    {35, 34, 15, 16777215, true, 119, 357},
    {36, 35, 19, 11592430, false, 97, 84},
    {1, 36, 13, 14796799, false, 97, 323},
    {37, 37, 272, 6823168, false, 9, 323},
    {38, 38, 9, 14854532, false, 97, 254},
    {17, 16, 70, 2572393, false, 9, 392},
    {39, 39, 71, 10789539, false, 53, 392},
    {40, 40, 72, 6381411, false, 31, 392},
    {41, 41, 288, 2901543, false, 32, 186},
}};

SelectedColorArray MakeSelectedColors(const std::vector<TColor>& tickedColors, int& n)
{
    SelectedColorArray selected;
    selected.fill(-1);
    n = 0;
    for (TColor c : tickedColors) {
        if (n >= SelectedColorsSize)
            break;
        selected[size_t(n++)] = c;
    }
    return selected;
}

ReductionPalette MakeReductionPalette(const SelectedColorArray& selected, int n)
{
    ReductionPalette palette;
    palette.entries.reserve(size_t(n));
    for (int i = 0; i < n; ++i) {
        TColor c = TColor(selected[size_t(i)]);
        palette.entries.push_back({uint8_t(RedOf(c)), uint8_t(GreenOf(c)), uint8_t(BlueOf(c)), 4});
    }
    return palette;
}

TColor PanelColor(const PaletteEntry& entry, const ColorTable& table, bool tableRead)
{
    if (!tableRead)
        return entry.designedColor;
    return table[table.PanelSlotForCode(entry.code)].Color;
}

} // namespace tesselka

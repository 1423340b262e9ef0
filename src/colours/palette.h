#pragma once

#include "common/tcolor.h"

#include <array>
#include <cstdint>
#include <vector>

namespace tesselka {

class ColorTable;

// One palette panel of the main window, in creation order.
struct PaletteEntry
{
    int panel;    // n of Panel<n>
    int checkBox; // n of CheckBox<n>
    int code;     // LDraw colour code (the panel's Tag)
    TColor designedColor;
    bool checkedAtStart;
    int left, top; // inside the palette group box
};

inline constexpr int PaletteSize = 41;
extern const std::array<PaletteEntry, PaletteSize> PaletteEntries;

// Entries of SelectedColors; the unused ones hold -1.
inline constexpr int SelectedColorsSize = 100;
using SelectedColorArray = std::array<int64_t, SelectedColorsSize>;

// A palette for colour reduction: the layout of the platform's logical palette, four
// bytes per entry (red, green, blue, flags = 4) after a version word 0x300 and the count.
struct ReductionPalette
{
    uint16_t version = 0x300;
    struct Entry
    {
        uint8_t red, green, blue, flags;
    };
    std::vector<Entry> entries;
    int Count() const { return int(entries.size()); }
};

// SelectedColors from the colours of the ticked panels in creation order (at most 100),
// the rest -1; `n` receives the count.
SelectedColorArray MakeSelectedColors(const std::vector<TColor>& tickedColors, int& n);
// The reduction palette of the first n entries of SelectedColors.
ReductionPalette MakeReductionPalette(const SelectedColorArray& selected, int n);

// The colour a panel shows: its slot's colour when the table has been read, its designed
// colour otherwise (`tableRead` false).
TColor PanelColor(const PaletteEntry& entry, const ColorTable& table, bool tableRead);

} // namespace tesselka

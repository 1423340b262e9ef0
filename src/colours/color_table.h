#pragma once

#include "common/tcolor.h"

#include <QtGlobal>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tesselka {

struct ColorSlot
{
    std::string Name;
    TColor Color = 0;
    int32_t Code = -1; // -1: empty slot
    bool OnPanel = false;
    int32_t Count = 0;
};

// The LDraw colour table. It always has at least MinSlots slots, so that the fixed slot
// numbers the exports use (3 and 13) exist, and grows to hold every colour line of the
// file: real LDraw colour files have far more than 101 colour lines, and a table cut
// short would leave panels whose colour lies past the cut without a slot. Colour lines
// after the MaxSlots-th are ignored.
class ColorTable
{
public:
    static constexpr int MinSlots = 101;
    static constexpr int MaxSlots = 4096;

    ColorTable() : slots_(MinSlots) {}

    int Size() const { return int(slots_.size()); }
    ColorSlot& operator[](int i)
    {
        Q_ASSERT(i >= 0 && i < Size());
        return slots_[size_t(i)];
    }
    const ColorSlot& operator[](int i) const
    {
        Q_ASSERT(i >= 0 && i < Size());
        return slots_[size_t(i)];
    }
    std::vector<ColorSlot>::iterator begin() { return slots_.begin(); }
    std::vector<ColorSlot>::iterator end() { return slots_.end(); }
    std::vector<ColorSlot>::const_iterator begin() const { return slots_.begin(); }
    std::vector<ColorSlot>::const_iterator end() const { return slots_.end(); }

    // Back to MinSlots empty slots (Code -1, empty Name, OnPanel false). Color and Count
    // of the first MinSlots slots are kept, as they are never reset by a reload.
    void Reset();

    // Index of the last slot whose Code is `code`, or 0 when none has it (the rule the
    // panels use to find their slot).
    int PanelSlotForCode(int code) const;
    // Index of the last slot whose Color is `color` and which is on a panel, or
    // `fallback` when none. Searches slots below `limit` (all when limit < 0).
    int SlotForColorOnPanel(TColor color, int fallback, int limit = -1) const;
    // Index of the last slot whose Code is `code`, or -1.
    int SlotForCode(int code) const;

    // Appends a slot filled from a colour line; false once MaxSlots are in use.
    bool Fill(int index, std::string name, int32_t code, TColor color);

private:
    std::vector<ColorSlot> slots_;
};

// Deletes one space at the first place with two adjacent spaces until none is left.
std::string CollapseSpaces(std::string_view line);

struct ColorTableReadResult
{
    int linesRead = 0;                // colour lines stored
    std::optional<std::string> error; // conversion error that stopped the reading
};

// Longest colour name, and longest code or value text, a colour line may have.
inline constexpr size_t MaxColorNameLength = 64;
inline constexpr size_t MaxNumberFieldLength = 32;

// Fills `table` from the text of a colour file: every line that contains "0 !COLOUR"
// becomes the next slot. A code that is not an integer, a value that is not
// hexadecimal, or a field longer than the limits above stops the reading at that line
// with the standard conversion message ("Line N: ..." for a long field); slots filled
// before it stay filled. The table is reset first.
ColorTableReadResult ReadColorTable(std::string_view fileText, ColorTable& table);

// Reads the file at `path` into `table`. Returns std::nullopt when the file does not
// exist (the table is then reset and empty). A folder, a pipe or a device throws
// tesselka::IoError ("X is a folder", "X is not a regular file") without being opened.
std::optional<ColorTableReadResult> LoadColorTableFile(const std::string& path, ColorTable& table);

// The places ldconfig.ldr is looked for, in this order: the folder of the program (a
// portable copy, or the build folder, wins), then the data folder of an installation,
// found relative to the program so that an installed tree can be moved as a whole.
std::vector<std::string> ColorTablePlaces(const std::string& appDir);

// The first of ColorTablePlaces where something of that name exists, or std::nullopt.
std::optional<std::string> FindColorTable(const std::string& appDir);

// The information message shown when ldconfig.ldr is in neither of ColorTablePlaces.
std::string MissingColorTableText(const std::vector<std::string>& places);

} // namespace tesselka

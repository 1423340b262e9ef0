#pragma once

// The part sizes an LDraw export may use: the 39 boxes of the part-size dialog as plain
// data, so the packers never read a widget.

#include <array>
#include <bitset>

namespace tesselka {

// In the order the settings file stores the boxes.
enum class PartBox {
    brick1x1,
    brick1x10,
    brick1x12,
    brick1x16,
    brick1x2,
    brick1x3,
    brick1x4,
    brick1x6,
    brick1x8,
    brick2x1,
    brick2x2,
    brick2x3,
    brick2x4,
    brick2x6,
    brick2x8,
    brick2x10,
    plate1x1,
    plate1x10,
    plate1x2,
    plate1x3,
    plate1x4,
    plate1x6,
    plate1x8,
    plate2x1,
    plate2x10,
    plate2x12,
    plate2x16,
    plate2x2,
    plate2x3,
    plate2x4,
    plate2x6,
    plate2x8,
    plate4x1,
    plate4x10,
    plate4x12,
    plate4x2,
    plate4x4,
    plate4x6,
    plate4x8,
};

inline constexpr int PartBoxCount = 39;

// The dialog's five groups, left to right.
enum class PartGroup { Plates1, Plates2, Plates4, Bricks1, Bricks2 };

struct PartBoxInfo
{
    PartBox box;
    const char* name; // the check box's name
    PartGroup group;
    int width;  // studs across the wall (1, 2 or 4)
    int length; // studs along the row
    const char* caption;
    int code;      // code PlacePart stores for this size
    bool alwaysOn; // 1-long sizes: always allowed, box ticked and disabled
};

// Indexed by PartBox.
extern const std::array<PartBoxInfo, PartBoxCount> PartBoxes;

inline const PartBoxInfo& InfoOf(PartBox box)
{
    return PartBoxes[size_t(box)];
}

// Which sizes the user allows. The 1-long sizes are always allowed, whatever is stored.
class PartSizes
{
public:
    // The state at first start: only the 1-long boxes ticked.
    PartSizes();

    bool Allowed(PartBox box) const { return InfoOf(box).alwaysOn || ticked_[size_t(box)]; }
    void Set(PartBox box, bool on) { ticked_[size_t(box)] = on; }
    // Every size allowed.
    static PartSizes All();

private:
    std::bitset<PartBoxCount> ticked_;
};

} // namespace tesselka

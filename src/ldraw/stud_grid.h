#pragma once

// The working grid of one LDraw export and the part codes it holds.

#include <QtGlobal>

#include <cstdint>
#include <string_view>
#include <vector>

namespace tesselka {

// Six options that hold for one export run and steer the builders; the writer reads
// StackPairs and FourWidePass for its lifts.
struct ExportPasses
{
    bool StackBricks = false;
    bool StackPairs = false;
    bool BrickBandsOnly = false;
    bool PlateBandsOnly = false;
    bool TwoWidePass = false;
    bool FourWidePass = false;
};

// Cells indexed [x][y][layer]. A cell is one of:
//   >= 0  a part code: a part starts here;
//   -1    covered by a part that starts elsewhere (or an empty back cell);
//   <= -2 not covered yet, carrying a key that runs compare: the cell's colour, or
//         PendingBack for a back cell that still needs a part.
// Keeping "not covered" in its own range means every colour packs alike: a colour value
// can never be mistaken for a part code, black included.
class StudGrid
{
public:
    static constexpr int32_t Covered = -1;
    static constexpr uint32_t PendingBack = 0;

    static constexpr int32_t Uncovered(uint32_t key) { return -2 - int32_t(key & 0xFFFFFFu); }
    static constexpr bool IsUncovered(int32_t v) { return v <= -2; }

    StudGrid() = default;
    // All cells Covered. Throws tesselka::Error when the size is out of range.
    void Reset(int width, int height, int layers);

    int Width() const { return width_; }
    int Height() const { return height_; }
    int Layers() const { return layers_; }

    int32_t& At(int x, int y, int layer)
    {
        Q_ASSERT(x >= 0 && x < width_);
        return cells_[Index(x, y, layer)];
    }
    int32_t At(int x, int y, int layer) const
    {
        Q_ASSERT(x >= 0 && x < width_);
        return cells_[Index(x, y, layer)];
    }
    int32_t* Row(int y, int layer) { return cells_.data() + Index(0, y, layer); }
    const int32_t* Row(int y, int layer) const { return cells_.data() + Index(0, y, layer); }

private:
    // The packers step within the grid they were given: a cell outside it is their bug.
    size_t Index(int x, int y, int layer) const
    {
        Q_ASSERT(y >= 0 && y < height_ && layer >= 0 && layer < layers_);
        return (size_t(layer) * size_t(height_) + size_t(y)) * size_t(width_) + size_t(x);
    }

    std::vector<int32_t> cells_;
    int width_ = 0;
    int height_ = 0;
    int layers_ = 0;
};

// How a code is laid in the model.
enum class PartOrientation {
    Along,   // length along the row
    Side,    // a 1 x 2 part across the wall, one column wide
    Upright, // a 1 x N part on end, its length running down the picture
};

enum class PartLift { None, Pairs, FourWide };

struct PartCodeInfo
{
    int32_t code;       // as stored in StudGrid
    int32_t partNumber; // as written
    int columns;        // stud columns along the row
    PartOrientation orientation;
    PartLift lift;
    int frontX; // x in the two-layer brick wall, layer 0
    int backX;  // and layer 1
};

// The table entry for `code`; codes outside the table are written as their own number,
// along, one column, no lift.
PartCodeInfo PartCodeOf(int32_t code);

} // namespace tesselka

#include "ldraw/packing.h"

#include "common/bitmap32.h"
#include "common/styles.h"

#include <algorithm>

namespace tesselka {

namespace {

struct LengthCode
{
    int length;
    int32_t code;
};

constexpr LengthCode Plate1Codes[] = {{1, 3024}, {2, 3023}, {3, 3623}, {4, 3710}, {6, 3666}, {8, 3460}, {10, 4477}};
constexpr LengthCode Plate2Codes[] = {{1, 30231}, {2, 3022},  {3, 3021},  {4, 3020}, {6, 3795},
                                      {8, 3034},  {10, 3832}, {12, 2445}, {16, 4282}};
constexpr LengthCode Plate4Codes[] = {{1, 1710}, {2, 1020}, {4, 3031}, {6, 3032}, {8, 3035}, {10, 3030}, {12, 3029}};
constexpr LengthCode Brick1Codes[] = {{1, 3005}, {2, 3004},  {3, 3622},  {4, 3010}, {6, 3009},
                                      {8, 3008}, {10, 6111}, {12, 6112}, {16, 2465}};
constexpr LengthCode Brick2Codes[] = {{1, 30041}, {2, 3003}, {3, 3002}, {4, 3001}, {6, 2456}, {8, 3007}, {10, 3006}};

template <size_t N>
int32_t Lookup(const LengthCode (&table)[N], int length)
{
    for (const LengthCode& entry : table)
        if (entry.length == length)
            return entry.code;
    return -1;
}

enum class Mode { Two, Four, NotTwo };

struct Step
{
    int length;
    PartKind kind;
    Mode mode;
    PartBox box;
};

using enum PartBox;

// Longest first; at equal length the wider kinds come first.
constexpr Step PlateSteps[] = {
    {16, PartKind::Plate2, Mode::Two, plate2x16},  {12, PartKind::Plate4, Mode::Four, plate4x12},
    {12, PartKind::Plate2, Mode::Two, plate2x12},  {10, PartKind::Plate4, Mode::Four, plate4x10},
    {10, PartKind::Plate2, Mode::Two, plate2x10},  {10, PartKind::Plate1, Mode::NotTwo, plate1x10},
    {8, PartKind::Plate4, Mode::Four, plate4x8},   {8, PartKind::Plate2, Mode::Two, plate2x8},
    {8, PartKind::Plate1, Mode::NotTwo, plate1x8}, {6, PartKind::Plate4, Mode::Four, plate4x6},
    {6, PartKind::Plate2, Mode::Two, plate2x6},    {6, PartKind::Plate1, Mode::NotTwo, plate1x6},
    {4, PartKind::Plate4, Mode::Four, plate4x4},   {4, PartKind::Plate2, Mode::Two, plate2x4},
    {4, PartKind::Plate1, Mode::NotTwo, plate1x4}, {3, PartKind::Plate2, Mode::Two, plate2x3},
    {3, PartKind::Plate1, Mode::NotTwo, plate1x3}, {2, PartKind::Plate4, Mode::Four, plate4x2},
    {2, PartKind::Plate2, Mode::Two, plate2x2},    {2, PartKind::Plate1, Mode::NotTwo, plate1x2},
};

constexpr Step BrickSteps[] = {
    {16, PartKind::Brick1, Mode::NotTwo, brick1x16}, {12, PartKind::Brick1, Mode::NotTwo, brick1x12},
    {10, PartKind::Brick2, Mode::Two, brick2x10},    {10, PartKind::Brick1, Mode::NotTwo, brick1x10},
    {8, PartKind::Brick2, Mode::Two, brick2x8},      {8, PartKind::Brick1, Mode::NotTwo, brick1x8},
    {6, PartKind::Brick2, Mode::Two, brick2x6},      {6, PartKind::Brick1, Mode::NotTwo, brick1x6},
    {4, PartKind::Brick2, Mode::Two, brick2x4},      {4, PartKind::Brick1, Mode::NotTwo, brick1x4},
    {3, PartKind::Brick2, Mode::Two, brick2x3},      {3, PartKind::Brick1, Mode::NotTwo, brick1x3},
    {2, PartKind::Brick2, Mode::Two, brick2x2},      {2, PartKind::Brick1, Mode::NotTwo, brick1x2},
};

bool ModeHolds(Mode mode, bool two, bool four)
{
    switch (mode) {
    case Mode::Two:
        return two;
    case Mode::Four:
        return four;
    case Mode::NotTwo:
        return !two;
    }
    return false;
}

} // namespace

BrickPacker::BrickPacker(StudGrid& grid, std::string_view style, const PartSizes& sizes, const ExportPasses& passes)
    : grid_(grid), sizes_(sizes), passes_(passes), twoPlates_(DoublePlateStyle(style)),
      platesOut1x_(SinglePlatesOutStyle(style)), bricks_(BrickStyle(style)), twoBricks_(DoubleBrickStyle(style))
{
}

int32_t BrickPacker::CodeFor(PartKind kind, int length, bool twoWidePass)
{
    switch (kind) {
    case PartKind::Plate1:
        return Lookup(Plate1Codes, length);
    case PartKind::Plate2:
        // A one-long two-wide plate in a two-row band is a 1 x 2 plate on end.
        return length == 1 && twoWidePass ? 1023 : Lookup(Plate2Codes, length);
    case PartKind::Plate4:
        return Lookup(Plate4Codes, length);
    case PartKind::Brick1:
        return Lookup(Brick1Codes, length);
    case PartKind::Brick2:
        return Lookup(Brick2Codes, length);
    }
    return -1;
}

int BrickPacker::RowsCovered(PartKind kind) const
{
    switch (kind) {
    case PartKind::Plate1:
        return 1;
    case PartKind::Plate2:
        return platesOut1x_ ? 2 : 1;
    case PartKind::Plate4:
        return platesOut1x_ ? 4 : 1;
    case PartKind::Brick1:
    case PartKind::Brick2:
        // Over plate rows a brick is three plates high.
        return bricks_ ? 1 : 3;
    }
    return 1;
}

int BrickPacker::CountRun(int x, int y, int layer, int rows) const
{
    const int32_t v = grid_.At(x, y, layer);
    if (!StudGrid::IsUncovered(v))
        return 0;
    if (y + rows > grid_.Height())
        return 0;
    const int width = grid_.Width();
    int c = x;
    for (; c < width; ++c) {
        bool same = true;
        for (int r = 0; r < rows && same; ++r)
            same = grid_.Row(y + r, layer)[c] == v;
        if (!same)
            break;
    }
    return c - x;
}

void BrickPacker::PlacePart(PartKind kind, int length, int x, int y, int layer)
{
    // The packers only place parts inside a measured run; the clamps keep a wrong call
    // from writing outside the grid.
    const int x2 = std::min(x + length, grid_.Width());
    const int y2 = std::min(y + RowsCovered(kind), grid_.Height());
    for (int r = y; r < y2; ++r)
        std::fill(grid_.Row(r, layer) + x, grid_.Row(r, layer) + x2, StudGrid::Covered);
    grid_.At(x, y, layer) = CodeFor(kind, length, passes_.TwoWidePass);
}

void BrickPacker::PackPlateRun(int x, int y, int layer)
{
    bool two = twoPlates_;
    bool four = false;
    int n = CountRun(x, y, layer, 1);
    if (platesOut1x_ && passes_.TwoWidePass) {
        two = true;
        n = CountRun(x, y, layer, 2);
    }
    if (platesOut1x_ && passes_.FourWidePass) {
        four = true;
        n = CountRun(x, y, layer, 4);
    }
    for (const Step& step : PlateSteps) {
        if (!ModeHolds(step.mode, two, four))
            continue;
        while (n >= step.length && sizes_.Allowed(step.box)) {
            PlacePart(step.kind, step.length, x, y, layer);
            x += step.length;
            n -= step.length;
        }
    }
    const PartKind single = four ? PartKind::Plate4 : two ? PartKind::Plate2 : PartKind::Plate1;
    for (; n > 0; --n, ++x)
        PlacePart(single, 1, x, y, layer);
}

void BrickPacker::PackBrickRun(int x, int y, int layer)
{
    int n = CountRun(x, y, layer, bricks_ ? 1 : 3);
    const bool two = twoBricks_;
    for (const Step& step : BrickSteps) {
        if (!ModeHolds(step.mode, two, false))
            continue;
        while (n >= step.length && sizes_.Allowed(step.box)) {
            PlacePart(step.kind, step.length, x, y, layer);
            x += step.length;
            n -= step.length;
        }
    }
    const PartKind single = two ? PartKind::Brick2 : PartKind::Brick1;
    for (; n > 0; --n, ++x)
        PlacePart(single, 1, x, y, layer);
}

void FillStudGrid(StudGrid& grid, const Bitmap32& studImage, int layers)
{
    const int w = studImage.Width();
    const int h = studImage.Height();
    grid.Reset(w, h, layers);
    for (int y = 0; y < h; ++y) {
        const TColor32* src = studImage.Row(y);
        int32_t* dst = grid.Row(y, 0);
        for (int x = 0; x < w; ++x)
            dst[x] = StudGrid::Uncovered(WinColor(src[x]));
    }
}

namespace {

enum class Packer { Plate, Brick };

// Rows from `first` in steps of `step`; every uncovered cell of those rows starts a run.
void PackRows(StudGrid& grid, BrickPacker& packer, Packer which, int first, int step)
{
    const int w = grid.Width();
    for (int y = first; y < grid.Height(); y += step) {
        const int32_t* row = grid.Row(y, 0);
        for (int x = 0; x < w; ++x) {
            if (!StudGrid::IsUncovered(row[x]))
                continue;
            if (which == Packer::Plate)
                packer.PackPlateRun(x, y, 0);
            else
                packer.PackBrickRun(x, y, 0);
        }
    }
}

void SinglePass(StudGrid& grid, const ModelSource& source, const ExportPasses& passes, Packer which, int layers)
{
    FillStudGrid(grid, source.studImage, layers);
    BrickPacker packer(grid, source.style, source.sizes, passes);
    PackRows(grid, packer, which, 0, 1);
}

bool SameColor(const Bitmap32& image, int x, int y1, int y2)
{
    return WinColor(image.Pixel(x, y1)) == WinColor(image.Pixel(x, y2));
}

int32_t StackedBrickOf(int32_t plate)
{
    switch (plate) {
    case 3024:
        return 3005;
    case 3023:
        return 3004;
    case 3623:
        return 3622;
    case 3710:
        return 3010;
    case 3666:
        return 3009;
    case 3460:
        return 3008;
    case 4477:
        return 6111;
    }
    return -1;
}

int32_t StackedPairOf(int32_t plate)
{
    switch (plate) {
    case 3024:
        return 1023;
    case 3023:
        return 3022;
    case 3623:
        return 3021;
    case 3710:
        return 3020;
    case 3666:
        return 3795;
    case 3460:
        return 3034;
    case 4477:
        return 3832;
    }
    return -1;
}

// Two-deep brick code -> one-deep code and length.
bool NarrowedOf(int32_t code, int32_t& narrow, int& length)
{
    switch (code) {
    case 30041:
        narrow = 3005, length = 1;
        return true;
    case 3003:
        narrow = 30042, length = 2;
        return true;
    case 3002:
        narrow = 3622, length = 3;
        return true;
    case 3001:
        narrow = 3010, length = 4;
        return true;
    case 2456:
        narrow = 3009, length = 6;
        return true;
    case 3007:
        narrow = 3008, length = 8;
        return true;
    case 3006:
        narrow = 6111, length = 10;
        return true;
    }
    return false;
}

// Where three bricks of one code start in the same column in consecutive rows their
// joints line up; narrowing the middle one and its neighbours lets a differently cut back
// half bond the wall.
void RefineTwoLayerWall(StudGrid& grid, const ModelSource& source)
{
    const int w = grid.Width();
    const int h = grid.Height();
    for (int x = 0; x < w; ++x) {
        for (int y = 0; y + 2 < h; ++y) {
            const int32_t v = grid.At(x, y, 0);
            if (v < 0 || grid.At(x, y + 1, 0) != v || grid.At(x, y + 2, 0) != v)
                continue;
            const int32_t* middle = grid.Row(y + 1, 0);
            for (int l = x - 1; l >= 0; --l) {
                if (middle[l] >= 0) {
                    NarrowPart(grid, l, y + 1);
                    break;
                }
            }
            NarrowPart(grid, x, y + 1);
            for (int r = x + 1; r < w; ++r) {
                if (middle[r] >= 0) {
                    NarrowPart(grid, r, y + 1);
                    break;
                }
            }
        }
    }
    // The back half is packed with one-deep bricks whatever style the user sees.
    BrickPacker back(grid, "1x Bricks - studs up", source.sizes, ExportPasses{});
    const int32_t pending = StudGrid::Uncovered(StudGrid::PendingBack);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (grid.At(x, y, 1) == pending)
                back.PackBrickRun(x, y, 1);
}

} // namespace

void MergeStackedBricks(StudGrid& grid, const Bitmap32& studImage)
{
    for (int x = 0; x < grid.Width(); ++x) {
        for (int y = 0; y + 2 < grid.Height(); ++y) {
            const int32_t v = grid.At(x, y, 0);
            if (v < 0 || grid.At(x, y + 1, 0) != v || grid.At(x, y + 2, 0) != v)
                continue;
            if (!SameColor(studImage, x, y, y + 1) || !SameColor(studImage, x, y, y + 2))
                continue;
            const int32_t brick = StackedBrickOf(v);
            if (brick < 0)
                continue;
            grid.At(x, y, 0) = brick;
            grid.At(x, y + 1, 0) = StudGrid::Covered;
            grid.At(x, y + 2, 0) = StudGrid::Covered;
        }
    }
}

void MergeStackedPairs(StudGrid& grid, const Bitmap32& studImage)
{
    for (int x = 0; x < grid.Width(); ++x) {
        for (int y = 0; y + 1 < grid.Height(); ++y) {
            const int32_t v = grid.At(x, y, 0);
            if (v < 0 || grid.At(x, y + 1, 0) != v || !SameColor(studImage, x, y, y + 1))
                continue;
            const int32_t pair = StackedPairOf(v);
            if (pair < 0)
                continue;
            grid.At(x, y, 0) = pair;
            grid.At(x, y + 1, 0) = StudGrid::Covered;
        }
    }
}

void NarrowPart(StudGrid& grid, int x, int y)
{
    int32_t narrow = 0;
    int length = 0;
    if (!NarrowedOf(grid.At(x, y, 0), narrow, length))
        return;
    grid.At(x, y, 0) = narrow;
    const int end = std::min(x + length, grid.Width());
    for (int c = x; c < end; ++c)
        grid.At(c, y, 1) = StudGrid::Uncovered(StudGrid::PendingBack);
}

void BuildPlateModel(StudGrid& grid, const ModelSource& source, const ExportPasses& passes)
{
    SinglePass(grid, source, passes, Packer::Plate, 1);
    if (passes.StackBricks)
        MergeStackedBricks(grid, source.studImage);
    else if (passes.StackPairs)
        MergeStackedPairs(grid, source.studImage);
}

void BuildDoublePlateModel(StudGrid& grid, const ModelSource& source, const ExportPasses& passes)
{
    SinglePass(grid, source, passes, Packer::Plate, 1);
}

void BuildBrickModel(StudGrid& grid, const ModelSource& source, const ExportPasses& passes)
{
    SinglePass(grid, source, passes, Packer::Brick, 1);
}

void BuildDoubleBrickModel(StudGrid& grid, const ModelSource& source, const ExportPasses& passes)
{
    SinglePass(grid, source, passes, Packer::Brick, 2);
    if (TwoLayerWallStyle(source.style))
        RefineTwoLayerWall(grid, source);
}

void BuildBandedModel(StudGrid& grid, const ModelSource& source, const ExportPasses& passes)
{
    FillStudGrid(grid, source.studImage, 1);
    bool twoWide = passes.TwoWidePass;
    if (passes.FourWidePass) {
        ExportPasses four = passes;
        four.FourWidePass = true;
        four.TwoWidePass = false;
        BrickPacker packer(grid, source.style, source.sizes, four);
        PackRows(grid, packer, Packer::Plate, 0, passes.PlateBandsOnly ? 4 : 1);
        twoWide = true;
    }
    if (twoWide) {
        ExportPasses two = passes;
        two.TwoWidePass = true;
        two.FourWidePass = false;
        BrickPacker packer(grid, source.style, source.sizes, two);
        PackRows(grid, packer, Packer::Plate, 0, passes.PlateBandsOnly ? 2 : 1);
    } else {
        BrickPacker packer(grid, source.style, source.sizes, passes);
        PackRows(grid, packer, Packer::Brick, 0, passes.BrickBandsOnly ? 3 : 1);
    }
    ExportPasses single = passes;
    single.TwoWidePass = false;
    single.FourWidePass = false;
    BrickPacker packer(grid, source.style, source.sizes, single);
    PackRows(grid, packer, Packer::Plate, 0, 1);
}

} // namespace tesselka

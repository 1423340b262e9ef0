#include "ldraw/stud_grid.h"

#include "common/bitmap32.h"
#include "common/error.h"

#include <algorithm>
#include <array>

namespace tesselka {

void StudGrid::Reset(int width, int height, int layers)
{
    // The grid mirrors StudImage, so it is bounded by the largest picture the program keeps.
    if (layers < 1 || layers > 2 || !Bitmap32::SizeAllowed(width, height))
        throw Error("The mosaic is too large to make an LDraw model");
    width_ = width;
    height_ = height;
    layers_ = layers;
    cells_.assign(size_t(width) * size_t(height) * size_t(layers), Covered);
}

namespace {

using O = PartOrientation;
using L = PartLift;

// Sorted by code.
constexpr std::array<PartCodeInfo, 41> PartCodes = {{
    {1020, 3020, 2, O::Upright, L::FourWide, 0, 0}, {1023, 3023, 1, O::Upright, L::Pairs, 0, 0},
    {1710, 3710, 1, O::Upright, L::FourWide, 0, 0}, {2445, 2445, 12, O::Along, L::Pairs, 0, 0},
    {2456, 2456, 6, O::Along, L::None, 0, 0},       {2465, 2465, 16, O::Along, L::None, 0, 10},
    {3001, 3001, 4, O::Along, L::None, 0, 0},       {3002, 3002, 3, O::Along, L::None, 0, 0},
    {3003, 3003, 2, O::Along, L::None, 0, 0},       {3004, 3004, 2, O::Along, L::None, -10, 10},
    {3005, 3005, 1, O::Along, L::None, -10, 10},    {3006, 3006, 10, O::Along, L::None, 0, 0},
    {3007, 3007, 8, O::Along, L::None, 0, 0},       {3008, 3008, 8, O::Along, L::None, -10, 10},
    {3009, 3009, 6, O::Along, L::None, -10, 10},    {3010, 3010, 4, O::Along, L::None, -10, 10},
    {3020, 3020, 4, O::Along, L::Pairs, 0, 0},      {3021, 3021, 3, O::Along, L::Pairs, 0, 0},
    {3022, 3022, 2, O::Along, L::Pairs, 0, 0},      {3023, 3023, 2, O::Along, L::None, 0, 0},
    {3024, 3024, 1, O::Along, L::None, 0, 0},       {3029, 3029, 12, O::Along, L::FourWide, 0, 0},
    {3030, 3030, 10, O::Along, L::FourWide, 0, 0},  {3031, 3031, 4, O::Along, L::FourWide, 0, 0},
    {3032, 3032, 6, O::Along, L::FourWide, 0, 0},   {3034, 3034, 8, O::Along, L::Pairs, 0, 0},
    {3035, 3035, 8, O::Along, L::FourWide, 0, 0},   {3460, 3460, 8, O::Along, L::None, 0, 0},
    {3622, 3622, 3, O::Along, L::None, -10, 10},    {3623, 3623, 3, O::Along, L::None, 0, 0},
    {3666, 3666, 6, O::Along, L::None, 0, 0},       {3710, 3710, 4, O::Along, L::None, 0, 0},
    {3795, 3795, 6, O::Along, L::Pairs, 0, 0},      {3832, 3832, 10, O::Along, L::Pairs, 0, 0},
    {4282, 4282, 16, O::Along, L::Pairs, 0, 0},     {4477, 4477, 10, O::Along, L::None, 0, 0},
    {6111, 6111, 10, O::Along, L::None, -10, 10},   {6112, 6112, 12, O::Along, L::None, 0, 10},
    {30041, 3004, 1, O::Side, L::None, 0, 0},       {30042, 3004, 2, O::Along, L::None, -10, 10},
    {30231, 3023, 1, O::Side, L::None, 0, 0},
}};

static_assert(std::is_sorted(PartCodes.begin(), PartCodes.end(),
                             [](const PartCodeInfo& a, const PartCodeInfo& b) { return a.code < b.code; }));

} // namespace

PartCodeInfo PartCodeOf(int32_t code)
{
    auto it = std::lower_bound(PartCodes.begin(), PartCodes.end(), code,
                               [](const PartCodeInfo& info, int32_t c) { return info.code < c; });
    if (it != PartCodes.end() && it->code == code)
        return *it;
    return {code, code, 1, O::Along, L::None, 0, 0};
}

} // namespace tesselka

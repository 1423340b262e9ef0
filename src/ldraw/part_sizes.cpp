#include "ldraw/part_sizes.h"

namespace tesselka {

using enum PartBox;
using G = PartGroup;

const std::array<PartBoxInfo, PartBoxCount> PartBoxes = {{
    {brick1x1, "brick1x1", G::Bricks1, 1, 1, "1 x 1 - 3005", 3005, true},
    {brick1x10, "brick1x10", G::Bricks1, 1, 10, "1 x 10 - 6111", 6111, false},
    {brick1x12, "brick1x12", G::Bricks1, 1, 12, "1 x 12 - 6112", 6112, false},
    {brick1x16, "brick1x16", G::Bricks1, 1, 16, "1 x 16 - 2465", 2465, false},
    {brick1x2, "brick1x2", G::Bricks1, 1, 2, "1 x 2 - 3004", 3004, false},
    {brick1x3, "brick1x3", G::Bricks1, 1, 3, "1 x 3 - 3622", 3622, false},
    {brick1x4, "brick1x4", G::Bricks1, 1, 4, "1 x 4 - 3010", 3010, false},
    {brick1x6, "brick1x6", G::Bricks1, 1, 6, "1 x 6 - 3009", 3009, false},
    {brick1x8, "brick1x8", G::Bricks1, 1, 8, "1 x 8 - 3008", 3008, false},
    {brick2x1, "brick2x1", G::Bricks2, 2, 1, "2 x 1 - 3004", 30041, true},
    {brick2x2, "brick2x2", G::Bricks2, 2, 2, "2 x 2 - 3003", 3003, false},
    {brick2x3, "brick2x3", G::Bricks2, 2, 3, "2 x 3 - 3002", 3002, false},
    {brick2x4, "brick2x4", G::Bricks2, 2, 4, "2 x 4 - 3001", 3001, false},
    {brick2x6, "brick2x6", G::Bricks2, 2, 6, "2 x 6 - 2456", 2456, false},
    {brick2x8, "brick2x8", G::Bricks2, 2, 8, "2 x 8 - 3007", 3007, false},
    {brick2x10, "brick2x10", G::Bricks2, 2, 10, "2 x 10 - 3006", 3006, false},
    {plate1x1, "plate1x1", G::Plates1, 1, 1, "1 x 1 - 3024", 3024, true},
    {plate1x10, "plate1x10", G::Plates1, 1, 10, "1 x 10 - 4477", 4477, false},
    {plate1x2, "plate1x2", G::Plates1, 1, 2, "1 x 2 - 3023", 3023, false},
    {plate1x3, "plate1x3", G::Plates1, 1, 3, "1 x 3 - 3623", 3623, false},
    {plate1x4, "plate1x4", G::Plates1, 1, 4, "1 x 4 - 3710", 3710, false},
    {plate1x6, "plate1x6", G::Plates1, 1, 6, "1 x 6 - 3666", 3666, false},
    {plate1x8, "plate1x8", G::Plates1, 1, 8, "1 x 8 - 3460", 3460, false},
    {plate2x1, "plate2x1", G::Plates2, 2, 1, "2 x 1 - 3023", 30231, true},
    {plate2x10, "plate2x10", G::Plates2, 2, 10, "2 x 10 - 3832", 3832, false},
    {plate2x12, "plate2x12", G::Plates2, 2, 12, "2 x 12 - 2445", 2445, false},
    {plate2x16, "plate2x16", G::Plates2, 2, 16, "2 x 16 - 4282", 4282, false},
    {plate2x2, "plate2x2", G::Plates2, 2, 2, "2 x 2 - 3022", 3022, false},
    {plate2x3, "plate2x3", G::Plates2, 2, 3, "2 x 3 - 3021", 3021, false},
    {plate2x4, "plate2x4", G::Plates2, 2, 4, "2 x 4 - 3020", 3020, false},
    {plate2x6, "plate2x6", G::Plates2, 2, 6, "2 x 6 - 3795", 3795, false},
    {plate2x8, "plate2x8", G::Plates2, 2, 8, "2 x 8 - 3034", 3034, false},
    {plate4x1, "plate4x1", G::Plates4, 4, 1, "4 x 1 - 3710", 1710, true},
    {plate4x10, "plate4x10", G::Plates4, 4, 10, "4 x 10 - 3030", 3030, false},
    {plate4x12, "plate4x12", G::Plates4, 4, 12, "4 x 12 - 3029", 3029, false},
    {plate4x2, "plate4x2", G::Plates4, 4, 2, "4 x 2 - 3020", 1020, false},
    {plate4x4, "plate4x4", G::Plates4, 4, 4, "4 x 4 - 3031", 3031, false},
    {plate4x6, "plate4x6", G::Plates4, 4, 6, "4 x 6 - 3032", 3032, false},
    {plate4x8, "plate4x8", G::Plates4, 4, 8, "4 x 8 - 3035", 3035, false},
}};

PartSizes::PartSizes() = default;

PartSizes PartSizes::All()
{
    PartSizes sizes;
    sizes.ticked_.set();
    return sizes;
}

} // namespace tesselka

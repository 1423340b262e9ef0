#pragma once

// The perceptual answer of the fast colour lookup: the palette entry that looks nearest
// by CIEDE2000, for the centre of a 5-5-5 cell.

#include "colours/lab_color.h"
#include "colours/palette.h"

#include <vector>

namespace tesselka {

class PerceptualSearch
{
public:
    // The entries' CIELAB values are worked out here, once.
    PerceptualSearch(const ReductionPalette::Entry* entries, int count);

    // The index of the entry with the least CIEDE2000 from `colour`; of equal ones the
    // lowest index. -1 for an empty palette.
    int Nearest(const LabColor& colour) const;

    // The colour at the centre of a cell of TFastColorLookup::CellOf: each channel at
    // 8 x level + 3.5, halfway between the cell's first and last byte value.
    static LabColor CellCentre(int cell);

private:
    std::vector<LabColor> palette_;
    std::vector<double> chroma_; // each entry's C*ab
};

} // namespace tesselka

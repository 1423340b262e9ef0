#pragma once

// Packing runs of equal colour into the longest allowed plates and bricks, and the model
// builders that fill a StudGrid from the stud image for one model file.

#include "ldraw/part_sizes.h"
#include "ldraw/stud_grid.h"

#include <string>
#include <string_view>

namespace tesselka {

class Bitmap32;

enum class PartKind { Plate1, Plate2, Plate4, Brick1, Brick2 };

// The run measure and the two packers over one grid. The style text decides, by the
// same substring tests the style list implies, how many rows a run spans and which
// widths are used; `sizes` says which lengths are allowed.
class BrickPacker
{
public:
    BrickPacker(StudGrid& grid, std::string_view style, const PartSizes& sizes, const ExportPasses& passes);

    // Length of the run of cells equal to cell [x][y][layer], over `rows` rows from y,
    // measured to the right; 0 for a covered cell or a band reaching past the last row.
    int CountRun(int x, int y, int layer, int rows) const;
    // Covers the part's cells and stores its code at [x][y][layer].
    void PlacePart(PartKind kind, int length, int x, int y, int layer);
    void PackPlateRun(int x, int y, int layer);
    void PackBrickRun(int x, int y, int layer);

    // Rows a part of this kind covers in the current style.
    int RowsCovered(PartKind kind) const;
    static int32_t CodeFor(PartKind kind, int length, bool twoWidePass);

private:
    StudGrid& grid_;
    const PartSizes& sizes_;
    ExportPasses passes_;
    bool twoPlates_;   // "2x Plates"
    bool platesOut1x_; // "1x Plates - studs out"
    bool bricks_;      // "Bricks"
    bool twoBricks_;   // "2x Bricks"
};

// Layer 0 takes the colours of `studImage`, layer 1 (if any) is empty.
void FillStudGrid(StudGrid& grid, const Bitmap32& studImage, int layers);

// What every builder reads besides the grid.
struct ModelSource
{
    const Bitmap32& studImage;
    std::string style; // the style text, as the user sees it
    PartSizes sizes;
};

// The builders. Each fills `grid` afresh from the stud image; `passes` are the options of
// the file being made and are left as they were.
void BuildPlateModel(StudGrid& grid, const ModelSource& source, const ExportPasses& passes);
void BuildDoublePlateModel(StudGrid& grid, const ModelSource& source, const ExportPasses& passes);
void BuildBrickModel(StudGrid& grid, const ModelSource& source, const ExportPasses& passes);
void BuildDoubleBrickModel(StudGrid& grid, const ModelSource& source, const ExportPasses& passes);
void BuildBandedModel(StudGrid& grid, const ModelSource& source, const ExportPasses& passes);

// Three stacked equal one-wide plates into one brick (StackBricks), or two into a
// two-wide plate (StackPairs).
void MergeStackedBricks(StudGrid& grid, const Bitmap32& studImage);
void MergeStackedPairs(StudGrid& grid, const Bitmap32& studImage);

// Narrows the two-deep brick starting at layer-0 cell [x][y] to its front half and marks
// the back half as needing a part. Other codes stay as they are.
void NarrowPart(StudGrid& grid, int x, int y);

} // namespace tesselka

#pragma once

// The mosaic view: StudImage drawn cell by cell, each stud a solid block of its colour in
// the style's proportions, with optional grid lines. A pure function of its inputs, so
// the window, the tests and the benchmarks draw the very same pixels.

#include "common/bitmap32.h"
#include "common/step_progress.h"

#include <QRect>

#include <cstdint>
#include <string_view>

namespace tesselka {

struct MosaicGrids
{
    bool black = false; // borders between cells of different colour and around the mosaic
    bool gray = false;  // borders between cells of the same colour
    bool stud8 = false; // red lines every rowSpacing rows / columnSpacing columns

    bool operator==(const MosaicGrids&) const = default;
};

struct MosaicRenderSettings
{
    int cellWidth = 5;  // pixels of a cell at scale 1
    int cellHeight = 2; //
    int scale = 1;      // 1..8
    MosaicGrids grids;
    int rowSpacing = 8; // of the red grid
    int columnSpacing = 8;

    int CellW() const { return scale * cellWidth; }
    int CellH() const { return scale * cellHeight; }
    bool operator==(const MosaicRenderSettings&) const = default;
};

// The red grid's spacing: every 2 rows and 5 columns in the mix pass, 5 rows and 2
// columns in the ordinary pass of the stud-mix style, 8 and 8 otherwise.
void StudGridSpacing(std::string_view style, bool mixPass, int& rowSpacing, int& columnSpacing);

// The largest view the window makes: 64 megapixels (256 MB of pixels), so that a wide
// mosaic at scale 8 cannot take all memory. Above it RenderMosaicView refuses.
inline constexpr int64_t MaxViewPixels = 64'000'000;

// Width and height of the view for `studImage`, as 64-bit numbers (no overflow).
int64_t MosaicViewWidth(const Bitmap32& studImage, const MosaicRenderSettings& settings);
int64_t MosaicViewHeight(const Bitmap32& studImage, const MosaicRenderSettings& settings);

// Throws tesselka::Error with the text the user sees when the view would be larger than
// MaxViewPixels (or than a bitmap may be).
void CheckMosaicViewSize(const Bitmap32& studImage, const MosaicRenderSettings& settings);

// Draws the whole view into `view` (resized; its buffer is reused when large enough).
// Checks the size first, so a refused view leaves `view` untouched. `progress` hears of
// each band of stud rows; returns false when it cancels, `view` then partly drawn.
bool RenderMosaicView(const Bitmap32& studImage, const MosaicRenderSettings& settings, Bitmap32& view,
                      const StepProgress& progress = {});

// Redraws only what a change of the studs in `changedStuds` can alter in a view that
// RenderMosaicView drew with the same settings from the StudImage before the change:
// those cells, and the cells right of and below them, whose borders depend on their
// left and upper neighbours. The view's pixels end identical to a full rebuild.
// Returns the redrawn rectangle in view pixels (empty when nothing was redrawn).
QRect RenderMosaicChange(const Bitmap32& studImage, const MosaicRenderSettings& settings, Bitmap32& view,
                         const QRect& changedStuds);

} // namespace tesselka

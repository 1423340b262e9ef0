#pragma once

// The command line's form of Load Image -> tone -> DitherToStudGrids: the picture is read,
// toned and dithered a few rows at a time and never exists whole, so a picture of any size
// takes a few megabytes, and reading runs beside dithering on a second core.

#include "formats/picture_rows.h"
#include "image/tone.h"
#include "workflow/workflow.h"

#include <functional>
#include <optional>

namespace tesselka {

// Takes `count` rows, one after another.
using RowSink = std::function<void(const TColor32* rows, int count)>;

struct RowStreamOutputs
{
    // The toned rows (as AdjustTone makes them, or as read for neutral settings), on the
    // reading thread. May be empty.
    RowSink adjusted;
    // The dithered rows in their palette colours (IndexedBitmap::RowsToColors), on the
    // calling thread. May be empty.
    RowSink dithered;
};

// What DitherToStudGrids makes of the toned picture, made from `rows`: the same grid (the
// ordinary one only: request.mixGrid must be None) and the same rows to `outputs` as the
// whole-picture steps give. `grids` is left empty for an empty palette. Exceptions of the
// reader and of the sinks reach the caller once the reading thread has stopped. Returns
// false when `progress` (called as DitherToStudGrids calls it) cancels.
bool StreamToStudGrids(PictureRows& rows, const ToneSettings& tone, const ReductionPalette& palette,
                       const DitherRequest& request, const RowStreamOutputs& outputs, std::optional<StudGrids>& grids,
                       const StepProgress& progress = {});

} // namespace tesselka

#pragma once

// The steps between the buttons, as functions of plain values. The window's handlers and
// the command line both run these and nothing else, so the same settings give the same
// files from either; a new output is written once, here or below.

#include "colours/color_table.h"
#include "colours/palette.h"
#include "common/bitmap32.h"
#include "common/step_progress.h"
#include "common/styles.h"
#include "image/grid_scale.h"
#include "ldraw/model_reader.h"
#include "ldraw/part_sizes.h"
#include "ldraw/parts_list.h"
#include "map/map_files.h"
#include "mosaic/mosaic_renderer.h"
#include "reduce/dither_kind.h"
#include "reduce/reduce_colors.h"

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tesselka {

// --- Palette -----------------------------------------------------------------------------

// The slots the palette panels show, in PaletteEntries order, and the pen-colour panel's
// (code 0).
struct PanelSlots
{
    std::array<int, PaletteSize> palette{};
    int pen = 0;
};

// Marks the slot of every panel as on a panel (the exports and the map find colours
// among those only) and returns them. For a table read to its end.
PanelSlots MarkPanelSlots(ColorTable& table);

// The colours the palette panels show: their slots' colours when the table was read,
// their designed colours otherwise.
std::array<TColor, PaletteSize> PanelColors(const ColorTable& table, bool tableRead);

struct DitherPalette
{
    SelectedColorArray selected{}; // the window's SelectedColors
    int count = 0;
    ReductionPalette palette;
};

// The palette of a dither: the colours of the panels whose LDraw codes are in `codes`,
// in the panels' order whatever the order of `codes`.
DitherPalette BuildDitherPalette(const std::array<TColor, PaletteSize>& panelColors, const std::vector<int>& codes);

// --- Dither ------------------------------------------------------------------------------

struct DitherRequest
{
    DitherKind kind = DitherStucki;
    ColorMatching matching = MatchRgb;
    int reductionBits = 8;
    int studsWide = 96;
    CellShape cell; // the ordinary grid's cell
    // The stud-mix grid (cells of StudMixCell): needed when the style uses the stud mix
    // (UsesStudMix). The window makes it for every style it fits, so that a change to
    // the stud-mix style can draw its mosaic without another dither; a grid that does not
    // fit must then not refuse a style that never shows it.
    enum class MixGrid { None, IfItFits, Required };
    MixGrid mixGrid = MixGrid::None;
};

struct StudGrids
{
    Bitmap32 studImage;
    Bitmap32 mixStudImage; // empty unless asked for
    GridScaleResult plan;  // numbers of the ordinary grid
    std::optional<GridScaleResult> mixPlan;

    // The line the window shows under the view: the last grid's.
    const std::string& Label() const { return mixPlan ? mixPlan->label : plan.label; }
};

// Reduces `picture` at its full size to `palette` into `reduced` (kept by the caller, so
// repeated runs reuse its buffer), so the error diffusion works on every pixel, then
// samples the stud grid (and the stud-mix grid when asked for) from the reduced picture.
// `grids` is left empty when there is nothing to sample (an empty palette); it is set
// only when every grid asked for could be made. Returns false, with `grids` empty, when
// `progress` cancels. Throws tesselka::Error for a picture without pixels or a grid too
// large to make, before anything is reduced, so a refusal leaves `reduced` as it was.
bool DitherToStudGrids(const Bitmap32& picture, const ReductionPalette& palette, const DitherRequest& request,
                       IndexedBitmap& reduced, std::optional<StudGrids>& grids, const StepProgress& progress = {});

// --- Render ------------------------------------------------------------------------------

struct ViewOptions
{
    int scale = 1;
    MosaicGrids grids;
};

// How the mosaic view is drawn for a style: `cell` is the grid's own cell (StudMixCell for
// the stud-mix pass, `mixPass` true).
MosaicRenderSettings ViewSettings(std::string_view style, CellShape cell, const ViewOptions& view, bool mixPass);

// --- Models ------------------------------------------------------------------------------

// Packs the stud grid into the allowed parts and writes every model file of the style,
// the first under `chosenPath`. Returns the paths written (empty for a style without a
// model, see StyleHasModel). `progress` is called after each file.
std::vector<std::string> WriteModels(const Bitmap32& studImage, const ColorTable& table,
                                     const SelectedColorArray& selected, int sourceWidth, int sourceHeight,
                                     std::string_view style, const PartSizes& sizes, const std::string& chosenPath,
                                     const StepProgress& progress = {});

// Reads a model this program wrote (ReadModel) from the file at `path`. Throws
// tesselka::IoError when the file cannot be opened, and ReadModel's errors.
ModelReadResult ReadModelFile(const std::string& path, const ColorTable& table, ModelReadTarget& target,
                              const std::function<void()>& progress = {});

// What a builder buys from: the parts lists of the models. Paths empty are not written.
struct ModelListRequest
{
    std::string partsList;  // CSV
    std::string wantedList; // BrickLink XML
    bool extraFiles = false;
};

// The lists beside a model chosen as `chosenPath`: its stem with ".csv" and ".xml".
ModelListRequest ListsBesideModel(const std::string& chosenPath, bool partsList, bool wantedList);

// Counts the parts of the style's main model (packing it; no model is written) and
// writes the lists asked for, each extra file's too with `extraFiles` (WriteModelLists).
// The window runs it after WriteModels, the command line with or without the model.
ModelListsOutcome WritePartsLists(const Bitmap32& studImage, const ColorTable& table,
                                  const SelectedColorArray& selected, int sourceWidth, int sourceHeight,
                                  std::string_view style, const PartSizes& sizes, const ModelListRequest& request);

// --- Map ---------------------------------------------------------------------------------

// Composes and saves the build map for the name the user chose (see MapBaseName): a
// picture per panel, the totals picture and the totals text. Returns the files written.
std::vector<std::string> SaveMapFiles(MapJob& job, const std::string& chosenPath, const StepProgress& progress = {});

// The printed map's pages (what Print Map prints) as a PDF on Letter, or A4 when `a4`.
void WriteMapPdfFile(MapJob& job, const std::string& path, bool a4);

} // namespace tesselka

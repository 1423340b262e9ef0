#include "workflow/workflow.h"

#include "common/error.h"
#include "common/input_file.h"
#include "ldraw/model_writer.h"
#include "print/map_document.h"

#include <QtGlobal>

#include <algorithm>
#include <cerrno>
#include <fstream>

namespace tesselka {

PanelSlots MarkPanelSlots(ColorTable& table)
{
    PanelSlots marked;
    for (size_t i = 0; i < PaletteEntries.size(); ++i) {
        marked.palette[i] = table.PanelSlotForCode(PaletteEntries[i].code);
        table[marked.palette[i]].OnPanel = true;
    }
    marked.pen = table.PanelSlotForCode(0);
    table[marked.pen].OnPanel = true;
    return marked;
}

std::array<TColor, PaletteSize> PanelColors(const ColorTable& table, bool tableRead)
{
    std::array<TColor, PaletteSize> colors{};
    for (size_t i = 0; i < PaletteEntries.size(); ++i)
        colors[i] = PanelColor(PaletteEntries[i], table, tableRead);
    return colors;
}

DitherPalette BuildDitherPalette(const std::array<TColor, PaletteSize>& panelColors, const std::vector<int>& codes)
{
    std::vector<TColor> ticked;
    for (size_t i = 0; i < PaletteEntries.size(); ++i)
        if (std::find(codes.begin(), codes.end(), PaletteEntries[i].code) != codes.end())
            ticked.push_back(panelColors[i]);
    DitherPalette result;
    result.selected = MakeSelectedColors(ticked, result.count);
    result.palette = MakeReductionPalette(result.selected, result.count);
    return result;
}

namespace {

// A grid the style does not show: planned when it fits, left out otherwise.
std::optional<GridScaleResult> PlanGridIfItFits(int width, int height, int studsWide, CellShape cell, bool mix)
{
    try {
        return PlanGrid(width, height, studsWide, cell.width, cell.height, mix);
    } catch (const Error&) {
        return std::nullopt;
    }
}

void SampleGrid(const IndexedBitmap& reduced, const GridScaleResult& plan, Bitmap32& target)
{
    target.SetSize(plan.targetWidth, plan.targetHeight);
    // The same pixels as scaling the full-size dithered picture, without making it.
    reduced.StretchTo(target);
}

} // namespace

bool DitherToStudGrids(const Bitmap32& picture, const ReductionPalette& palette, const DitherRequest& request,
                       IndexedBitmap& reduced, std::optional<StudGrids>& grids, const StepProgress& progress)
{
    grids.reset();
    // The grids' sizes follow from the picture's alone: planned first, a grid too large
    // refuses the step before the picture is reduced for nothing. (An empty palette
    // reduces to a picture without rows, and no grid is made.)
    const bool sampled = palette.Count() > 0 && picture.Width() > 0 && picture.Height() > 0;
    using MixGrid = DitherRequest::MixGrid;
    std::optional<GridScaleResult> plan, mixPlan;
    if (sampled) {
        plan = PlanGrid(picture.Width(), picture.Height(), request.studsWide, request.cell.width, request.cell.height,
                        false);
        if (request.mixGrid == MixGrid::Required)
            mixPlan = PlanGrid(picture.Width(), picture.Height(), request.studsWide, StudMixCell.width,
                               StudMixCell.height, true);
        else if (request.mixGrid == MixGrid::IfItFits)
            mixPlan = PlanGridIfItFits(picture.Width(), picture.Height(), request.studsWide, StudMixCell, true);
    }
    if (!ReduceBitmapColors(picture, ReduceCustomPalette, request.kind, request.reductionBits, palette, reduced,
                            progress, request.matching))
        return false;
    if (!plan || reduced.Height() == 0)
        return true;
    StudGrids made;
    made.plan = *plan;
    SampleGrid(reduced, *plan, made.studImage);
    if (mixPlan) {
        made.mixPlan = mixPlan;
        SampleGrid(reduced, *mixPlan, made.mixStudImage);
    }
    grids = std::move(made);
    return true;
}

MosaicRenderSettings ViewSettings(std::string_view style, CellShape cell, const ViewOptions& view, bool mixPass)
{
    MosaicRenderSettings s;
    s.cellWidth = cell.width;
    s.cellHeight = cell.height;
    s.scale = view.scale;
    s.grids = view.grids;
    StudGridSpacing(style, mixPass, s.rowSpacing, s.columnSpacing);
    return s;
}

std::vector<std::string> WriteModels(const Bitmap32& studImage, const ColorTable& table,
                                     const SelectedColorArray& selected, int sourceWidth, int sourceHeight,
                                     std::string_view style, const PartSizes& sizes, const std::string& chosenPath,
                                     const StepProgress& progress)
{
    // The exports use the fixed slots 3 and 13.
    Q_ASSERT(table.Size() >= ColorTable::MinSlots);
    const ModelExportInput input{studImage, table, selected, sourceWidth, sourceHeight, std::string(style), sizes};
    return ExportModelFiles(input, chosenPath, progress);
}

ModelReadResult ReadModelFile(const std::string& path, const ColorTable& table, ModelReadTarget& target,
                              const std::function<void()>& progress)
{
    // A folder, a pipe or a device is refused before the stream opens (and blocks on) it.
    if (std::string notAFile = NotAFileText(path); !notAFile.empty())
        throw IoError(notAFile);
    std::ifstream in(path, std::ios::binary);
    if (!in)
        ThrowIoError(errno, path);
    return ReadModel(in, table, target, progress);
}

ModelListRequest ListsBesideModel(const std::string& chosenPath, bool partsList, bool wantedList)
{
    const std::string stem = ModelStem(chosenPath);
    return {partsList ? stem + ".csv" : std::string(), wantedList ? stem + ".xml" : std::string(), false};
}

ModelListsOutcome WritePartsLists(const Bitmap32& studImage, const ColorTable& table,
                                  const SelectedColorArray& selected, int sourceWidth, int sourceHeight,
                                  std::string_view style, const PartSizes& sizes, const ModelListRequest& request)
{
    const ModelExportInput input{studImage, table, selected, sourceWidth, sourceHeight, std::string(style), sizes};
    return WriteModelLists(input, request.partsList, request.wantedList, request.extraFiles);
}

std::vector<std::string> SaveMapFiles(MapJob& job, const std::string& chosenPath, const StepProgress& progress)
{
    return SaveMap(job, MapBaseName(chosenPath), progress);
}

void WriteMapPdfFile(MapJob& job, const std::string& path, bool a4)
{
    WriteMapPdf(job, path, a4 ? QPageSize::A4 : QPageSize::Letter);
}

} // namespace tesselka

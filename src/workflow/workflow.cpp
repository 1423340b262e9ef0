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

GridScaleResult SampleGrid(const IndexedBitmap& reduced, int studsWide, CellShape cell, bool mix, Bitmap32& target)
{
    std::optional<GridScaleResult> plan =
        PlanGrid(reduced.Width(), reduced.Height(), studsWide, cell.width, cell.height, mix);
    Q_ASSERT(plan); // the reduced picture has rows
    target.SetSize(plan->targetWidth, plan->targetHeight);
    // The same pixels as scaling the full-size dithered picture, without making it.
    reduced.StretchTo(target);
    return *plan;
}

} // namespace

bool DitherToStudGrids(const Bitmap32& picture, const ReductionPalette& palette, const DitherRequest& request,
                       IndexedBitmap& reduced, std::optional<StudGrids>& grids, const StepProgress& progress)
{
    grids.reset();
    if (!ReduceBitmapColors(picture, ReduceCustomPalette, request.kind, request.reductionBits, palette, reduced,
                            progress, request.matching))
        return false;
    if (reduced.Height() == 0)
        return true;
    StudGrids made;
    made.plan = SampleGrid(reduced, request.studsWide, request.cell, false, made.studImage);
    if (request.mixGrid)
        made.mixPlan = SampleGrid(reduced, request.studsWide, StudMixCell, true, made.mixStudImage);
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
    Q_ASSERT(studImage.Width() >= 0 && studImage.Height() >= 0);
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

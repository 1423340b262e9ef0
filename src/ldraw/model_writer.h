#pragma once

// LDraw model files from a packed StudGrid: the header, one part line per part, one
// step per row; and the whole export of a style, which may write several files.

#include "colours/color_table.h"
#include "colours/palette.h"
#include "common/styles.h"
#include "ldraw/packing.h"
#include "ldraw/stud_grid.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tesselka {

class Bitmap32;

// Everything an export reads from the main window's state, as plain values.
struct ModelExportInput
{
    const Bitmap32& studImage;
    const ColorTable& colorSlots;
    const SelectedColorArray& selectedColors;
    int sourceWidth = 0; // the picture as loaded
    int sourceHeight = 0;
    std::string style;
    PartSizes sizes;
};

// How one file is written, fixed by the builder that packed its grid.
struct ModelFileFormat
{
    bool studsOut = false;
    int rowPitch = 8; // LDraw units between two stud rows
    int fallbackSlot = 3;
    ExportPasses passes; // StackPairs and FourWidePass lift their parts
};

// The header lines joined by CR LF, without a final line end. The model name is the
// file name of `targetPath` without its folder.
std::string BuildModelHeader(const std::string& targetPath, const ModelExportInput& input);

// The whole text of one model file from `grid`.
std::string ModelFileText(const std::string& targetPath, const StudGrid& grid, const ModelExportInput& input,
                          const ModelFileFormat& format);

// Writes ModelFileText to `targetPath` through a temporary file in the same folder, so a
// failure never leaves a half-written model under that name. Throws tesselka::IoError
// with the standard text.
void WriteModelFile(const std::string& targetPath, const StudGrid& grid, const ModelExportInput& input,
                    const ModelFileFormat& format);

// `path` without its file name's extension: the base for the names of the extra files.
std::string ModelStem(const std::string& path);

enum class ModelBuilder { Plate, Banded, DoublePlate, Brick, DoubleBrick };

struct ModelFilePlan
{
    std::string suffix; // empty: the chosen file itself
    ModelBuilder builder;
    ExportPasses passes;
};

// The files a style makes, in writing order; empty for a style that has no model
// (ModelOfStyle).
std::vector<ModelFilePlan> ModelFilesForStyle(std::string_view style);

// Fills `grid` for one file and gives the format to write it with.
ModelFileFormat BuildModel(StudGrid& grid, const ModelExportInput& input, ModelBuilder builder,
                           const ExportPasses& passes);

// Writes every file of the style, the first under `chosenPath`, the others beside it
// under ModelStem + suffix (replaced without asking). Returns the paths written, empty
// when the style has no model. An error stops the sequence; files written before stay,
// and a failure after the first file names the file that failed and those written.
// `progress` (done, total), when given, may return false to stop after a file.
std::vector<std::string> ExportModelFiles(const ModelExportInput& input, const std::string& chosenPath,
                                          const std::function<bool(int, int)>& progress = {});

} // namespace tesselka

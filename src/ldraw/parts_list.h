#pragma once

// What a model is made of: the parts of one packed model file by part number and colour,
// and the two lists a builder takes to a shop: a CSV parts list (the columns Rebrickable's
// import reads, with LDraw colour codes) and a BrickLink wanted list (XML).

#include "ldraw/model_writer.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tesselka {

struct PartCount
{
    int32_t part = 0;      // LDraw part number, as written in the model ("3023" for 3023.DAT)
    int32_t colorCode = 0; // LDraw colour code, as written in the model
    std::string colorName; // the colour table's name of that code, underscores kept
    int64_t quantity = 0;
};

// One entry per part number and colour code, sorted by colour code, then part number.
struct PartsList
{
    std::vector<PartCount> items;

    int64_t Total() const;
};

// The parts of the model file `format` writes from `grid`: the same part numbers and
// colour codes as its part lines.
PartsList CountParts(const StudGrid& grid, const ModelExportInput& input, const ModelFileFormat& format);

// Packs the file of the style numbered `fileIndex` (0: the main model, then the extra
// files in writing order) and counts its parts, without writing anything. Returns an
// empty list for a style without a model or an index past its files.
PartsList CountModelParts(const ModelExportInput& input, size_t fileIndex = 0);

// "Plate 1 x 2", "Brick 2 x 4": the part's description, empty for a number the packers
// never use.
std::string PartDescription(int32_t part);

// The BrickLink colour id of an LDraw colour code (the palette's colours), if it has one.
std::optional<int> BrickLinkColorId(int32_t ldrawCode);

// "Part,Color,Quantity,Colour name,Description" and one line per entry.
std::string PartsListCsv(const PartsList& list);

// A BrickLink wanted list: <INVENTORY> with one <ITEM> per part and colour. Entries whose
// colour has no BrickLink id are left out (never given an id they do not have), and each
// such colour is named in `warnings`.
std::string WantedListXml(const PartsList& list, std::vector<std::string>& warnings);

// Write the lists through a temporary file. Throw tesselka::IoError.
void WritePartsList(const std::string& path, const PartsList& list);
// Returns the warnings of WantedListXml.
std::vector<std::string> WriteWantedList(const std::string& path, const PartsList& list);

// The list file that goes with an extra model file: "parts.csv" and the model suffix
// "_1.ldr" give "parts_1.csv". An empty suffix gives `listPath` itself.
std::string ListPathForModel(const std::string& listPath, const std::string& modelSuffix);

struct ModelListsOutcome
{
    std::vector<std::string> written;  // in writing order
    std::vector<std::string> warnings; // each begins with the wanted list's file name
    int64_t mainParts = 0;             // parts of the main model
};

// Counts the main model of the style (packing it, nothing else is written) and writes its
// parts list to `csvPath` and its wanted list to `xmlPath`, each only when its path is
// not empty. With `extraFiles`, the extra files of the style get lists too, named by
// ListPathForModel. Throws tesselka::IoError; lists written before a failure stay.
ModelListsOutcome WriteModelLists(const ModelExportInput& input, const std::string& csvPath, const std::string& xmlPath,
                                  bool extraFiles = false);

} // namespace tesselka

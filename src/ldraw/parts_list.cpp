#include "ldraw/parts_list.h"

#include "common/atomic_file.h"
#include "common/bitmap32.h"
#include "ldraw/part_sizes.h"

#include <QFile>
#include <QString>

#include <algorithm>
#include <map>
#include <mutex>
#include <unordered_map>

namespace tesselka {

int64_t PartsList::Total() const
{
    int64_t total = 0;
    for (const PartCount& item : items)
        total += item.quantity;
    return total;
}

PartsList CountParts(const StudGrid& grid, const ModelExportInput& input, const ModelFileFormat& format)
{
    const ColorTable& table = input.colorSlots;
    auto codeOf = [&table](int slot) { return slot >= 0 && slot < table.Size() ? table[slot].Code : -1; };
    // The writer's rule for a part line's colour: the last slot on a panel holding the
    // cell's colour, the builder's fallback slot when none does or for a back layer.
    std::unordered_map<TColor, int> slotOf;
    for (int i = 0; i < table.Size(); ++i)
        if (table[i].OnPanel)
            slotOf[table[i].Color] = i;
    const int w = std::min(grid.Width(), input.studImage.Width());
    const int h = std::min(grid.Height(), input.studImage.Height());

    std::map<std::pair<int32_t, int32_t>, int64_t> counts; // (colour code, part) -> quantity
    std::map<int32_t, int> nameSlot;                       // colour code -> slot naming it
    for (int k = 0; k < grid.Layers(); ++k) {
        for (int y = 0; y < h; ++y) {
            const int32_t* cells = grid.Row(y, k);
            const TColor32* pixels = input.studImage.Row(y);
            for (int x = 0; x < w; ++x) {
                if (cells[x] < 0)
                    continue;
                int slot = format.fallbackSlot;
                if (k == 0) {
                    auto it = slotOf.find(WinColor(pixels[x]));
                    if (it != slotOf.end())
                        slot = it->second;
                }
                const int32_t code = codeOf(slot);
                ++counts[{code, PartCodeOf(cells[x]).partNumber}];
                nameSlot.emplace(code, slot);
            }
        }
    }
    PartsList list;
    for (const auto& [key, quantity] : counts) {
        const int slot = nameSlot[key.first];
        list.items.push_back(
            {key.second, key.first, slot >= 0 && slot < table.Size() ? table[slot].Name : std::string(), quantity});
    }
    return list;
}

PartsList CountModelParts(const ModelExportInput& input, size_t fileIndex)
{
    const std::vector<ModelFilePlan> plans = ModelFilesForStyle(input.style);
    if (fileIndex >= plans.size())
        return {};
    StudGrid grid;
    const ModelFileFormat format = BuildModel(grid, input, plans[fileIndex].builder, plans[fileIndex].passes);
    return CountParts(grid, input, format);
}

std::string PartDescription(int32_t part)
{
    for (const PartBoxInfo& info : PartBoxes) {
        if (PartCodeOf(info.code).partNumber != part)
            continue;
        const bool brick = info.group == PartGroup::Bricks1 || info.group == PartGroup::Bricks2;
        return std::string(brick ? "Brick " : "Plate ") + std::to_string(std::min(info.width, info.length)) + " x " +
               std::to_string(std::max(info.width, info.length));
    }
    return {};
}

namespace {

// LDraw code -> BrickLink colour id, from the table shipped with the program.
const std::unordered_map<int32_t, int>& BrickLinkColors()
{
    static std::unordered_map<int32_t, int> ids;
    static std::once_flag once;
    std::call_once(once, [] {
        QFile file(QStringLiteral(":/bricklink-colours.csv"));
        if (!file.open(QIODevice::ReadOnly))
            return;
        bool header = true;
        while (!file.atEnd()) {
            const QList<QByteArray> fields = file.readLine().trimmed().split(',');
            if (header || fields.size() < 3) {
                header = false;
                continue;
            }
            bool codeOk = false, idOk = false;
            const int code = fields[0].toInt(&codeOk);
            const int id = fields[2].toInt(&idOk);
            if (codeOk && idOk)
                ids.emplace(code, id);
        }
    });
    return ids;
}

std::string CsvField(std::string text)
{
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

std::string SpacedName(std::string name)
{
    std::replace(name.begin(), name.end(), '_', ' ');
    return name;
}

} // namespace

std::optional<int> BrickLinkColorId(int32_t ldrawCode)
{
    const auto& ids = BrickLinkColors();
    auto it = ids.find(ldrawCode);
    if (it == ids.end())
        return std::nullopt;
    return it->second;
}

std::string PartsListCsv(const PartsList& list)
{
    std::string out = "Part,Color,Quantity,Colour name,Description\n";
    for (const PartCount& item : list.items) {
        out += std::to_string(item.part) + ',' + std::to_string(item.colorCode) + ',' + std::to_string(item.quantity) +
               ',' + CsvField(SpacedName(item.colorName)) + ',' + CsvField(PartDescription(item.part)) + '\n';
    }
    return out;
}

std::string WantedListXml(const PartsList& list, std::vector<std::string>& warnings)
{
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<INVENTORY>\n";
    std::map<int32_t, std::pair<std::string, int64_t>> missing; // code -> name, parts left out
    for (const PartCount& item : list.items) {
        const std::optional<int> color = BrickLinkColorId(item.colorCode);
        if (!color) {
            auto& [name, parts] = missing[item.colorCode];
            name = item.colorName;
            parts += item.quantity;
            continue;
        }
        out += "  <ITEM>\n    <ITEMTYPE>P</ITEMTYPE>\n    <ITEMID>" + std::to_string(item.part) +
               "</ITEMID>\n    <COLOR>" + std::to_string(*color) + "</COLOR>\n    <MINQTY>" +
               std::to_string(item.quantity) + "</MINQTY>\n  </ITEM>\n";
    }
    out += "</INVENTORY>\n";
    for (const auto& [code, entry] : missing) {
        const std::string name = entry.first.empty() ? std::string() : " (" + SpacedName(entry.first) + ")";
        warnings.push_back("LDraw colour " + std::to_string(code) + name + " has no BrickLink colour: " +
                           std::to_string(entry.second) + " parts are in the parts list but not in the wanted list");
    }
    return out;
}

void WritePartsList(const std::string& path, const PartsList& list)
{
    AtomicFile file(path);
    file.Write(PartsListCsv(list));
    file.Commit();
}

std::vector<std::string> WriteWantedList(const std::string& path, const PartsList& list)
{
    std::vector<std::string> warnings;
    const std::string xml = WantedListXml(list, warnings);
    AtomicFile file(path);
    file.Write(xml);
    file.Commit();
    return warnings;
}

std::string ListPathForModel(const std::string& listPath, const std::string& modelSuffix)
{
    if (modelSuffix.empty())
        return listPath;
    const std::string stem = ModelStem(listPath);
    const std::string extension = listPath.substr(stem.size());
    return stem + ModelStem(modelSuffix) + extension;
}

ModelListsOutcome WriteModelLists(const ModelExportInput& input, const std::string& csvPath, const std::string& xmlPath,
                                  bool extraFiles)
{
    ModelListsOutcome outcome;
    const std::vector<ModelFilePlan> plans = ModelFilesForStyle(input.style);
    const size_t files = extraFiles && (!csvPath.empty() || !xmlPath.empty()) ? plans.size() : 1;
    for (size_t i = 0; i < files && i < plans.size(); ++i) {
        const PartsList list = CountModelParts(input, i);
        if (i == 0)
            outcome.mainParts = list.Total();
        if (!csvPath.empty()) {
            const std::string path = ListPathForModel(csvPath, plans[i].suffix);
            WritePartsList(path, list);
            outcome.written.push_back(path);
        }
        if (!xmlPath.empty()) {
            const std::string path = ListPathForModel(xmlPath, plans[i].suffix);
            const std::string name = path.substr(path.find_last_of("/\\") + 1);
            for (const std::string& warning : WriteWantedList(path, list))
                outcome.warnings.push_back(name + ": " + warning);
            outcome.written.push_back(path);
        }
    }
    return outcome;
}

} // namespace tesselka

#include "ldraw/model_writer.h"

#include "common/atomic_file.h"

#include "common/bitmap32.h"
#include "common/error.h"
#include "common/version.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <unordered_map>

namespace tesselka {

namespace {

constexpr std::string_view LineEnd = "\r\n";

bool IsPathSeparator(char c)
{
    // Paths typed on either platform end up here; "\" never occurs in a file name we make.
    return c == '/' || c == '\\';
}

size_t FileNameStart(const std::string& path)
{
    size_t start = path.size();
    while (start > 0 && !IsPathSeparator(path[start - 1]))
        --start;
    return start;
}

void AppendInt(std::string& out, long long value)
{
    char buffer[24];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
}

int32_t CodeOrBlack(const ColorSlot& slot)
{
    return slot.Code < 0 ? 0 : slot.Code;
}

// Colour -> slot index for the part lines: the last slot on a panel holding the colour.
class SlotFinder
{
public:
    SlotFinder(const ColorTable& table, int fallback) : table_(table), fallback_(fallback)
    {
        for (int i = 0; i < table.Size(); ++i)
            if (table[i].OnPanel)
                slots_[table[i].Color] = i;
    }
    int32_t CodeFor(TColor color) const
    {
        auto it = slots_.find(color);
        return SlotCode(it == slots_.end() ? fallback_ : it->second);
    }
    // A slot without a code (no colour table was read) gives 0, Black, as the missing-table
    // message promises; -1 is no LDraw colour.
    int32_t SlotCode(int slot) const { return slot >= 0 && slot < table_.Size() ? CodeOrBlack(table_[slot]) : 0; }

private:
    const ColorTable& table_;
    int fallback_;
    std::unordered_map<TColor, int> slots_;
};

std::string_view MatrixText(PartOrientation orientation, bool studsOut)
{
    switch (orientation) {
    case PartOrientation::Along:
        return studsOut ? " 0 1 0 0 0 -1 -1 0 0" : " 0 0 1 0 1 0 -1 0 0";
    case PartOrientation::Side:
        return studsOut ? " 0 1 0 -1 0 0 0 0 1" : " 1 0 0 0 1 0 0 0 1";
    case PartOrientation::Upright:
        return " 0 1 0 -1 0 0 0 0 1";
    }
    return {};
}

int LiftOf(PartLift lift, const ExportPasses& passes)
{
    if (lift == PartLift::Pairs && passes.StackPairs)
        return 10; // a part over two rows is centred between them
    if (lift == PartLift::FourWide && passes.FourWidePass)
        return 30; // and over four rows, 1.5 rows below the top row's centre
    return 0;
}

void AppendPartLine(std::string& out, int32_t colorCode, int x, int y, int layer, int32_t code, bool twoLayerWall,
                    const ModelFileFormat& format)
{
    const PartCodeInfo info = PartCodeOf(code);
    out += "1 ";
    AppendInt(out, colorCode);
    int xText = 0;
    if (twoLayerWall)
        xText = layer == 0 ? info.frontX : info.backX;
    out += ' ';
    AppendInt(out, xText);
    out += ' ';
    AppendInt(out, (long long)y * format.rowPitch + LiftOf(info.lift, format.passes));
    out += ' ';
    AppendInt(out, -(20LL * x) - 10LL * (info.columns - 1));
    out += MatrixText(info.orientation, format.studsOut);
    out += ' ';
    AppendInt(out, info.partNumber);
    out += ".DAT";
    out += LineEnd;
}

// Text is handed on in pieces of about this size, so a huge mosaic never needs its whole
// model in memory.
constexpr size_t FlushSize = size_t(1) << 20;

struct BuilderFormat
{
    int pitchUp, pitchOut, layers, fallbackSlot;
};

BuilderFormat FormatOf(ModelBuilder builder)
{
    switch (builder) {
    case ModelBuilder::Plate:
    case ModelBuilder::Banded:
        return {8, 20, 1, 3};
    case ModelBuilder::DoublePlate:
        return {8, 40, 1, 3};
    case ModelBuilder::Brick:
        return {24, 20, 1, 3};
    case ModelBuilder::DoubleBrick:
        return {24, 40, 2, 13};
    }
    return {8, 20, 1, 3};
}

ExportPasses Passes(std::initializer_list<bool ExportPasses::*> on)
{
    ExportPasses passes;
    for (bool ExportPasses::*option : on)
        passes.*option = true;
    return passes;
}

} // namespace

std::string BuildModelHeader(const std::string& targetPath, const ModelExportInput& input)
{
    std::string h;
    h += "0 A Tesselka Mosaic";
    h += LineEnd;
    h += "0 Name: ";
    h += targetPath.substr(FileNameStart(targetPath));
    h += LineEnd;
    h += "0 Author: MLCad";
    h += LineEnd;
    h += "0 Unofficial Model";
    h += LineEnd;
    h += "0 Made with Tesselka - ";
    h += VersionText;
    h += " by ";
    h += CreditAuthor;
    h += " <";
    h += CreditContact;
    h += ">";
    h += LineEnd;
    auto metaLine = [&](std::string_view key, long long value) {
        h += "0 Tesselka ";
        h += key;
        h += " : ";
        AppendInt(h, value);
        h += LineEnd;
    };
    metaLine("Width", input.studImage.Width());
    metaLine("Height", input.studImage.Height());
    metaLine("OWidth", input.sourceWidth);
    metaLine("OHeight", input.sourceHeight);
    h += "0 Tesselka Style : ";
    h += input.style;
    h += LineEnd;
    // An entry that matches no slot repeats the previous entry's slot; before the first
    // match that is slot 0, or the first slot on a panel when slot 0 is on none, so that
    // every line names a palette colour. Without a colour table there is none: the parts
    // are then Black, and so is the line.
    const ColorTable& table = input.colorSlots;
    int slot = 0;
    while (slot + 1 < table.Size() && !table[slot].OnPanel)
        ++slot;
    if (!table[slot].OnPanel)
        slot = 0;
    for (int64_t entry : input.selectedColors) {
        if (entry < 0)
            continue;
        slot = table.SlotForColorOnPanel(TColor(entry), slot);
        h += "0 Tesselka Color : ";
        h += table[slot].Code < 0 ? std::string("Black") : table[slot].Name;
        h += " : ";
        AppendInt(h, CodeOrBlack(table[slot]));
        h += LineEnd;
    }
    h += "0 ROTATION CENTER 0 0 0 1 \"Custom\"";
    h += LineEnd;
    h += "0 ROTATION CONFIG 0 0";
    return h;
}

namespace {

// Appends the model to `out`, handing full pieces to `flush` when one is given.
void EmitModel(const std::string& targetPath, const StudGrid& grid, const ModelExportInput& input,
               const ModelFileFormat& format, std::string& out, const std::function<void(std::string&)>& flush)
{
    out += BuildModelHeader(targetPath, input);
    out += LineEnd;
    const SlotFinder finder(input.colorSlots, format.fallbackSlot);
    const int32_t fallbackCode = finder.SlotCode(format.fallbackSlot);
    const bool twoLayerWall = TwoLayerWallStyle(input.style);
    const Bitmap32& image = input.studImage;
    const int w = std::min(grid.Width(), image.Width());
    const int h = std::min(grid.Height(), image.Height());
    TColor lastColor = 0;
    int32_t lastCode = finder.CodeFor(0);
    for (int y = h - 1; y >= 0; --y) {
        const TColor32* pixels = image.Row(y);
        for (int x = 0; x < w; ++x) {
            for (int k = 0; k < grid.Layers(); ++k) {
                const int32_t code = grid.At(x, y, k);
                if (code < 0)
                    continue;
                int32_t colorCode = fallbackCode;
                if (k == 0) {
                    const TColor color = WinColor(pixels[x]);
                    if (color != lastColor) {
                        lastColor = color;
                        lastCode = finder.CodeFor(color);
                    }
                    colorCode = lastCode;
                }
                AppendPartLine(out, colorCode, x, y, k, code, twoLayerWall, format);
            }
        }
        out += "0 STEP";
        out += LineEnd;
        if (flush && out.size() >= FlushSize) {
            flush(out);
            out.clear();
        }
    }
}

} // namespace

std::string ModelFileText(const std::string& targetPath, const StudGrid& grid, const ModelExportInput& input,
                          const ModelFileFormat& format)
{
    std::string out;
    EmitModel(targetPath, grid, input, format, out, {});
    return out;
}

void WriteModelFile(const std::string& targetPath, const StudGrid& grid, const ModelExportInput& input,
                    const ModelFileFormat& format)
{
    AtomicFile file(targetPath);
    std::string out;
    out.reserve(FlushSize + 4096);
    EmitModel(targetPath, grid, input, format, out, [&file](std::string& piece) { file.Write(piece); });
    file.Write(out);
    file.Commit();
}

std::string ModelStem(const std::string& path)
{
    const size_t nameStart = FileNameStart(path);
    const size_t dot = path.rfind('.');
    // A leading dot names a hidden file rather than starting an extension.
    if (dot == std::string::npos || dot <= nameStart)
        return path;
    return path.substr(0, dot);
}

std::vector<ModelFilePlan> ModelFilesForStyle(std::string_view style)
{
    using E = ExportPasses;
    using B = ModelBuilder;
    switch (ModelOfStyle(style)) {
    case StyleModel::SinglePlatesUp:
        return {{"", B::Plate, {}},
                {"_1.ldr", B::Plate, Passes({&E::StackBricks})},
                {"_2.ldr", B::Banded, Passes({&E::BrickBandsOnly})},
                {"_3.ldr", B::Banded, {}}};
    case StyleModel::SinglePlatesOut:
        return {{"", B::Plate, {}},
                {"_1a.ldr", B::Plate, Passes({&E::StackPairs})},
                {"_2a.ldr", B::Banded, Passes({&E::StackPairs, &E::TwoWidePass, &E::PlateBandsOnly})},
                {"_3a.ldr", B::Banded, Passes({&E::StackPairs, &E::TwoWidePass})},
                {"_4a.ldr", B::Banded, Passes({&E::StackPairs, &E::FourWidePass, &E::PlateBandsOnly})},
                {"_5a.ldr", B::Banded, Passes({&E::StackPairs, &E::FourWidePass})}};
    case StyleModel::DoublePlates:
        return {{"", B::DoublePlate, {}}};
    case StyleModel::SingleBricks:
        return {{"", B::Brick, {}}};
    case StyleModel::DoubleBricks:
        return {{"", B::DoubleBrick, {}}};
    case StyleModel::None:
        break;
    }
    return {};
}

ModelFileFormat BuildModel(StudGrid& grid, const ModelExportInput& input, ModelBuilder builder,
                           const ExportPasses& passes)
{
    const ModelSource source{input.studImage, input.style, input.sizes};
    switch (builder) {
    case ModelBuilder::Plate:
        BuildPlateModel(grid, source, passes);
        break;
    case ModelBuilder::Banded:
        BuildBandedModel(grid, source, passes);
        break;
    case ModelBuilder::DoublePlate:
        BuildDoublePlateModel(grid, source, passes);
        break;
    case ModelBuilder::Brick:
        BuildBrickModel(grid, source, passes);
        break;
    case ModelBuilder::DoubleBrick:
        BuildDoubleBrickModel(grid, source, passes);
        break;
    }
    // Every builder fills the grid afresh from the stud image, cell for cell.
    Q_ASSERT(grid.Width() == input.studImage.Width() && grid.Height() == input.studImage.Height());
    const BuilderFormat f = FormatOf(builder);
    ModelFileFormat format;
    format.studsOut = StudsOutStyle(input.style);
    format.rowPitch = format.studsOut ? f.pitchOut : f.pitchUp;
    format.fallbackSlot = f.fallbackSlot;
    format.passes = passes;
    return format;
}

std::vector<std::string> ExportModelFiles(const ModelExportInput& input, const std::string& chosenPath,
                                          const std::function<bool(int, int)>& progress)
{
    const std::vector<ModelFilePlan> plans = ModelFilesForStyle(input.style);
    std::vector<std::string> written;
    if (plans.empty())
        return written;
    const std::string stem = ModelStem(chosenPath);
    StudGrid grid;
    for (const ModelFilePlan& plan : plans) {
        const std::string path = plan.suffix.empty() ? chosenPath : stem + plan.suffix;
        const ModelFileFormat format = BuildModel(grid, input, plan.builder, plan.passes);
        try {
            WriteModelFile(path, grid, input, format);
        } catch (const IoError& e) {
            if (written.empty())
                throw;
            // The files before it stay (each is whole); the user learns which ones.
            std::string text = path + ": " + e.what() + " (written before it:";
            for (const std::string& w : written)
                text += " " + w;
            throw IoError(text + ")");
        }
        written.push_back(path);
        if (progress && !progress(int(written.size()), int(plans.size())))
            break;
    }
    return written;
}

} // namespace tesselka

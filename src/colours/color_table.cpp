#include "colours/color_table.h"

#include "common/error.h"
#include "common/input_file.h"
#include "common/text.h"

#include <cerrno>
#include <filesystem>

namespace tesselka {

void ColorTable::Reset()
{
    slots_.resize(MinSlots);
    for (ColorSlot& slot : slots_) {
        slot.Name.clear();
        slot.Code = -1;
        slot.OnPanel = false;
    }
}

int ColorTable::PanelSlotForCode(int code) const
{
    int found = 0;
    for (int i = 0; i < Size(); ++i)
        if (slots_[size_t(i)].Code == code)
            found = i;
    return found;
}

int ColorTable::SlotForColorOnPanel(TColor color, int fallback, int limit) const
{
    int end = limit < 0 ? Size() : std::min(limit, Size());
    int found = fallback;
    for (int i = 0; i < end; ++i) {
        const ColorSlot& slot = slots_[size_t(i)];
        if (slot.Color == color && slot.OnPanel)
            found = i;
    }
    return found;
}

int ColorTable::SlotForCode(int code) const
{
    int found = -1;
    for (int i = 0; i < Size(); ++i)
        if (slots_[size_t(i)].Code == code)
            found = i;
    return found;
}

bool ColorTable::Fill(int index, std::string name, int32_t code, TColor color)
{
    if (index >= MaxSlots)
        return false;
    if (index >= Size())
        slots_.resize(size_t(index) + 1);
    ColorSlot& slot = slots_[size_t(index)];
    slot.Name = std::move(name);
    slot.Code = code;
    slot.Color = color;
    return true;
}

std::string CollapseSpaces(std::string_view line)
{
    std::string result;
    result.reserve(line.size());
    for (char c : line) {
        // Deleting one of every adjacent pair until none is left keeps one space per run.
        if (c == ' ' && !result.empty() && result.back() == ' ')
            continue;
        result.push_back(c);
    }
    return result;
}

namespace {

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The colour of a value text such as "#FF6A19": digits 1-2 red, 3-4 green, 5-6 blue,
// read as the hexadecimal number BBGGRR. Fewer than six digits give a shorter number
// (as the original conversion of the digit string would); any non-hex digit fails.
TColor ParseValue(const std::string& valueText)
{
    std::string digits = ReplaceAll(valueText, "#", "");
    std::string red = digits.substr(0, std::min<size_t>(2, digits.size()));
    std::string green = digits.size() > 2 ? digits.substr(2, 2) : std::string();
    std::string blue = digits.size() > 4 ? digits.substr(4, 2) : std::string();
    std::string number = blue + green + red;
    if (number.empty())
        throw Error(NotAnIntegerText("$" + number));
    TColor value = 0;
    for (char c : number) {
        int d = HexDigit(c);
        if (d < 0)
            throw Error(NotAnIntegerText("$" + number));
        value = value * 16 + TColor(d);
    }
    return value;
}

} // namespace

ColorTableReadResult ReadColorTable(std::string_view fileText, ColorTable& table)
{
    table.Reset();
    ColorTableReadResult result;
    size_t pos = 0;
    int j = 0;
    int lineNumber = 0;
    while (pos < fileText.size()) {
        ++lineNumber;
        size_t eol = fileText.find('\n', pos);
        std::string_view raw = fileText.substr(pos, eol == std::string_view::npos ? std::string_view::npos : eol - pos);
        pos = eol == std::string_view::npos ? fileText.size() : eol + 1;
        if (!raw.empty() && raw.back() == '\r')
            raw.remove_suffix(1);
        std::string line = CollapseSpaces(raw);
        if (line.find("0 !COLOUR") == std::string::npos)
            continue;
        if (j >= ColorTable::MaxSlots)
            break;
        try {
            std::string name = GetField(line, " ", 3);
            std::string codeText = GetField(line, " ", 5);
            std::string valueText = GetField(line, " ", 7);
            // The name goes into every model file and every tooltip; a file that is not a
            // real colour table could otherwise make each of them megabytes long.
            if (name.size() > MaxColorNameLength)
                throw Error("Line " + std::to_string(lineNumber) + ": the colour name is longer than " +
                            std::to_string(MaxColorNameLength) + " characters");
            if (codeText.size() > MaxNumberFieldLength || valueText.size() > MaxNumberFieldLength)
                throw Error("Line " + std::to_string(lineNumber) + ": the colour's code or value is longer than " +
                            std::to_string(MaxNumberFieldLength) + " characters");
            int code = StrToInt(codeText);
            TColor color = ParseValue(valueText);
            table.Fill(j, std::move(name), code, color);
        } catch (const Error& e) {
            result.error = e.what();
            return result;
        }
        ++j;
        result.linesRead = j;
    }
    return result;
}

std::optional<ColorTableReadResult> LoadColorTableFile(const std::string& path, ColorTable& table)
{
    std::optional<int> fd;
    try {
        fd = OpenRegularFileIfExists(path);
    } catch (...) {
        table.Reset();
        throw;
    }
    if (!fd) {
        table.Reset();
        return std::nullopt;
    }
    // A colour file is a few tens of kilobytes; anything beyond 16 MiB is not one.
    constexpr size_t Limit = 16 << 20;
    return ReadColorTable(
        ReadAllAndClose(*fd, path, Limit, path + " is too large for a colour table (more than 16 MB)"), table);
}

std::vector<std::string> ColorTablePlaces(const std::string& appDir)
{
    namespace fs = std::filesystem;
    const fs::path dir(appDir);
    return {(dir / "ldconfig.ldr").string(),
            (dir / TESSELKA_DATA_FROM_BIN / "ldconfig.ldr").lexically_normal().string()};
}

std::optional<std::string> FindColorTable(const std::string& appDir)
{
    for (const std::string& place : ColorTablePlaces(appDir)) {
        std::error_code ec;
        // Whatever stands there is the table: a folder in its place is said as it is.
        if (std::filesystem::exists(place, ec))
            return place;
    }
    return std::nullopt;
}

std::string MissingColorTableText(const std::vector<std::string>& places)
{
    auto folder = [&places](size_t i) {
        return i < places.size() ? std::filesystem::path(places[i]).parent_path().string() : std::string();
    };
    return "Can not find ldconfig.ldr.  Please make sure it is in the same directory as the program (" + folder(0) +
           ") or in the installed data folder (" + folder(1) +
           ")\n\r"
           "Your LDraw files will be all black with out this file.";
}

} // namespace tesselka

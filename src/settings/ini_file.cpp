#include "settings/ini_file.h"

#include "common/atomic_file.h"
#include "common/error.h"
#include "common/input_file.h"
#include "common/text.h"

#include <cerrno>
#include <cstdio>
#include <memory>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tesselka {

namespace {

constexpr size_t npos = std::string::npos;

bool EqualNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (x >= 'a' && x <= 'z')
            x = static_cast<unsigned char>(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z')
            y = static_cast<unsigned char>(y - 'a' + 'A');
        if (x != y)
            return false;
    }
    return true;
}

} // namespace

IniFile::IniFile(std::string_view text)
{
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == npos)
            end = text.size();
        Line line;
        line.text.assign(text.substr(start, end - start));
        if (line.text.size() <= MaxLineLength) {
            const std::string trimmed = Trim(line.text);
            const size_t close = trimmed.find(']');
            const size_t equals = trimmed.find('=');
            if (!trimmed.empty() && trimmed.front() == '[' && close != npos) {
                line.isSection = true;
                line.name = Trim(std::string_view(trimmed).substr(1, close - 1));
            } else if (!trimmed.empty() && trimmed.front() != ';' && equals != npos) {
                line.name = Trim(std::string_view(trimmed).substr(0, equals));
            }
        }
        lines_.push_back(std::move(line));
        // CR LF is one line end; a lone CR or LF is one too.
        if (end < text.size() && text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n')
            ++end;
        start = end + 1;
    }
}

IniFile IniFile::Load(const std::string& path)
{
    // A folder, a pipe or a device is not a settings file; a pipe is never even opened,
    // as that would wait for a writer.
    const std::optional<int> fd = OpenRegularFileIfExists(path);
    if (!fd)
        return IniFile();
    return IniFile(ReadAllAndClose(*fd, path, MaxFileSize, "Settings file too large (more than 1 MB)"));
}

size_t IniFile::FindSection(std::string_view section) const
{
    for (size_t i = 0; i < lines_.size(); ++i)
        if (lines_[i].isSection && EqualNoCase(lines_[i].name, section))
            return i;
    return npos;
}

size_t IniFile::SectionEnd(size_t header) const
{
    size_t i = header + 1;
    while (i < lines_.size() && !lines_[i].isSection)
        ++i;
    return i;
}

size_t IniFile::FindKey(size_t header, std::string_view key) const
{
    const size_t end = SectionEnd(header);
    for (size_t i = header + 1; i < end; ++i)
        if (!lines_[i].name.empty() && EqualNoCase(lines_[i].name, key))
            return i;
    return npos;
}

bool IniFile::HasSection(std::string_view section) const
{
    return FindSection(section) != npos;
}

std::optional<std::string> IniFile::Read(std::string_view section, std::string_view key) const
{
    const size_t header = FindSection(section);
    if (header == npos)
        return std::nullopt;
    const size_t at = FindKey(header, key);
    if (at == npos)
        return std::nullopt;
    const std::string& text = lines_[at].text;
    return Trim(std::string_view(text).substr(text.find('=') + 1));
}

void IniFile::Write(std::string_view section, std::string_view key, std::string_view value)
{
    Line line;
    line.name = std::string(key);
    line.text = line.name + "=";
    for (char c : value)
        line.text += (c == '\r' || c == '\n') ? ' ' : c;

    size_t header = FindSection(section);
    if (header == npos) {
        // A blank line before a new section keeps the file readable.
        if (!lines_.empty() && !Trim(lines_.back().text).empty())
            lines_.push_back(Line());
        Line head;
        head.name = std::string(section);
        head.text = "[" + head.name + "]";
        head.isSection = true;
        lines_.push_back(std::move(head));
        lines_.push_back(std::move(line));
        return;
    }
    const size_t at = FindKey(header, key);
    if (at != npos) {
        line.name = lines_[at].name; // the key keeps the spelling it has in the file
        line.text = line.name + line.text.substr(key.size());
        lines_[at] = std::move(line);
        return;
    }
    // After the section's last non-blank line, so the blank line before the next
    // section stays where it is.
    size_t insert = SectionEnd(header);
    while (insert > header + 1 && Trim(lines_[insert - 1].text).empty())
        --insert;
    lines_.insert(lines_.begin() + std::ptrdiff_t(insert), std::move(line));
}

std::string IniFile::Text() const
{
    std::string text;
    for (const Line& line : lines_) {
        text += line.text;
        text += "\r\n";
    }
    return text;
}

void IniFile::Save(const std::string& path) const
{
    // A read-only file is refused by the writer itself, with the file named.
    AtomicFile file(path);
    file.Write(Text());
    file.Commit();
}

} // namespace tesselka

#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tesselka {

// An INI text file held as its lines, so that writing one key keeps every other line of
// the file (other sections, comments, unknown keys) as it was. Section names and keys
// match without regard to case; the first section of a name and the first key of a
// name in it are the ones read and written.
//
// A settings file comes from outside and may be damaged or hostile: a file larger than
// MaxFileSize is refused, and a line longer than MaxLineLength is kept when the file is
// written back but never read as a section or a key.
class IniFile
{
public:
    static constexpr size_t MaxFileSize = size_t(1) << 20;
    static constexpr size_t MaxLineLength = size_t(64) << 10;

    IniFile() = default;
    // Parses `text` (CR LF, LF or CR line ends). Never fails: a line that is neither a
    // section header nor key=value is kept and ignored.
    explicit IniFile(std::string_view text);

    // Reads the file at `path`; a file that does not exist gives an empty IniFile.
    // Throws IoError when the file cannot be read, Error when it is too large.
    static IniFile Load(const std::string& path);

    bool HasSection(std::string_view section) const;
    // The value of `key` in `section`, with blanks around it removed; nullopt when the
    // section or the key is missing.
    std::optional<std::string> Read(std::string_view section, std::string_view key) const;
    // Overwrites the key where it stands, or adds it at the end of its section; a new
    // section goes at the end of the file. Line breaks in `value` become blanks, so a
    // value can never end its line early.
    void Write(std::string_view section, std::string_view key, std::string_view value);

    // The whole file, each line ended by CR LF.
    std::string Text() const;
    // Writes Text() to `path` through a temporary file, so a failure leaves the old file
    // whole. An existing file that the user has made read-only is not replaced: that
    // throws IoError("<path> is read-only").
    void Save(const std::string& path) const;

private:
    struct Line
    {
        std::string text;
        // For a section header its name, for key=value its key (both trimmed); empty for
        // other lines and for lines too long to read.
        std::string name;
        bool isSection = false;
    };

    // Index of the header line of `section`, or npos.
    size_t FindSection(std::string_view section) const;
    // Index one past the last line of the section whose header is at `header`.
    size_t SectionEnd(size_t header) const;
    size_t FindKey(size_t header, std::string_view key) const;

    std::vector<Line> lines_;
};

} // namespace tesselka

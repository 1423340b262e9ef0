#pragma once

// A project: one file that holds a mosaic in the making, so that work spread over
// several evenings survives closing the program. It is a ZIP container of
//   manifest.ini    format version, program version, picture name, stage
//   picture         the loaded picture file's bytes, unchanged
//   settings.ini    the three windows' sections, in the settings file's own format
//   studs.png       StudImage (stage 1 and 2), RGBA, so every bit of a pixel returns
//   studs-mix.png   MixStudImage (stage 1 and 2)
//   view.png        the dithered picture the view shows (stage 1)
//   undo.txt        UndoList, one line per edit (stage 2)
// A project comes from outside like any file: reading checks every size before it
// allocates and refuses, with a message, whatever it does not understand.

#include "common/bitmap32.h"
#include "common/step_progress.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tesselka {

// The file name extension of projects, and the filter of the project dialogs.
inline constexpr const char* ProjectExtension = "tesselka";
inline constexpr const char* ProjectFilter = "Tesselka project (*.tesselka)|*.tesselka";

// Whether `path` names a project by its extension (any case): what the window and the
// command line open as a project rather than as a picture.
bool IsProjectPath(std::string_view path);

struct Project
{
    // The format this program writes and the newest it reads.
    static constexpr int FormatVersion = 1;

    // 0 loaded (and toned), 1 dithered, 2 mosaic made (with its edits).
    int stage = 0;
    // The program that wrote the project ("Version 0.1.18"); informative only.
    std::string programVersion;
    // The name of the picture file, without folders; its extension chooses the decoder.
    std::string pictureName;
    std::string pictureBytes;
    // INI text with the sections TForm1, TForm2 and TForm3.
    std::string settings;
    Bitmap32 studImage;
    Bitmap32 mixStudImage;
    Bitmap32 view;
    std::vector<std::string> undoList;
};

// Limits of what a project may hold, checked before anything is allocated for it.
struct ProjectLimits
{
    static constexpr int MaxEntries = 16;
    static constexpr uint64_t MaxManifest = 64 << 10;
    static constexpr uint64_t MaxSettings = 1 << 20; // as a settings file
    static constexpr uint64_t MaxUndo = uint64_t(256) << 20;
    static constexpr uint64_t MaxGridPng = uint64_t(256) << 20;
    static constexpr uint64_t MaxPicture = (uint64_t(2) << 30) - 1;
    static constexpr int MaxPictureName = 255;
};

// The container's bytes. Throws tesselka::Error when a part cannot be encoded.
std::string EncodeProject(const Project& project);
// Writes EncodeProject's bytes to `path` through a temporary file, so a failure leaves
// an existing project whole. Throws tesselka::IoError with the file system's text.
void SaveProject(const Project& project, const std::string& path);

// Reads a project. Throws tesselka::IoError when the file cannot be read and
// tesselka::Error with the reason when it is not a project this version understands
// ("... made by a newer version ..." for a newer format). Nothing of a refused project
// is returned, so a caller's state stays as it was.
Project LoadProject(const std::string& path);
Project DecodeProject(std::string_view bytes);

// The project's picture, decoded as Load Image decodes the file it came from.
Bitmap32 DecodeProjectPicture(const Project& project);
// The same with the picture readers' progress: false, with `picture` untouched, when
// `progress` cancels.
bool DecodeProjectPicture(const Project& project, Bitmap32& picture, const StepProgress& progress);

} // namespace tesselka

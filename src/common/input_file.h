#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace tesselka {

// Files that come from outside (pictures, colour tables, models, settings) are opened
// only when they are plain files: a folder is reported as one, and a named pipe or a
// device is never opened at all, since opening or reading one can block for ever.

// The message for a path that names something other than a plain file: "X is a folder"
// or "X is not a regular file"; empty for a plain file or a path that does not exist.
std::string NotAFileText(const std::string& path);

// Opens `path` read-only (close-on-exec) and returns the descriptor. Throws
// tesselka::IoError with NotAFileText's message, or the standard text of the errno
// ("File not found", ...).
int OpenRegularFile(const std::string& path);

// Like OpenRegularFile, but a path that does not exist gives std::nullopt.
std::optional<int> OpenRegularFileIfExists(const std::string& path);

// The whole content of the descriptor `fd` (which it closes), at most `limit` bytes;
// a longer file throws tesselka::Error(tooLarge). Read errors throw IoError.
std::string ReadAllAndClose(int fd, const std::string& path, size_t limit, const std::string& tooLarge);

} // namespace tesselka

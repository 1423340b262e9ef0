#pragma once

#include <stdexcept>
#include <string>

namespace tesselka {

// The program's own failure: what() is the text the user sees, already in the
// program's wording ("File not found", "'x' is not a valid integer value", ...).
// Windows show it in the standard error box; the command line prints it.
class Error : public std::runtime_error
{
public:
    explicit Error(const std::string& message) : std::runtime_error(message) {}
};

// A file could not be opened, read or written. The message is the file system's text.
class IoError : public Error
{
public:
    using Error::Error;
};

// Raised for an I/O failure with errno `err` on `path`, using the standard texts.
[[noreturn]] void ThrowIoError(int err, const std::string& path);

// The standard text for errno `err` ("File not found", "File access denied", "Disk full",
// otherwise the C library's text for the cause, such as "File name too long").
std::string IoErrorText(int err);

} // namespace tesselka

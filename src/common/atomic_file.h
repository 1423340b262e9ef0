#pragma once

#include <string>
#include <string_view>

namespace tesselka {

// A file written under a temporary name in the target's folder and renamed over the
// target only by Commit, so a failure never leaves a half-written file under the target
// name; dropped (and removed) if it is destroyed before Commit. The rename stays within
// one file system, so readers see either the old file or the whole new one. An existing
// target keeps its permissions. Every failure throws tesselka::IoError with the
// standard text of its errno; `createError`, when given, replaces the text for a file
// that cannot be created at all.
class AtomicFile
{
public:
    explicit AtomicFile(const std::string& target, const std::string& createError = {});
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;
    ~AtomicFile();

    void Write(std::string_view bytes);
    void Commit();

private:
    [[noreturn]] void Fail(int err);

    std::string target_;
    std::string temp_;
    int fd_ = -1;
};

// Writes `bytes` to `path` through an AtomicFile. Throws tesselka::IoError: "Cannot
// create file %s" (the target's name) when no file can be created there, otherwise the
// file system's text; an existing target keeps its old content.
void WriteFileAtomically(const std::string& path, const void* bytes, size_t size);

} // namespace tesselka

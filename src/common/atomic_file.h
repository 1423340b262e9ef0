#pragma once

#include <string>
#include <string_view>

namespace tesselka {

// A file written so that its target shows either the old content or the whole new one.
//
// A plain target (or a new one) is written under no name at all where the file system
// allows it (O_TMPFILE), otherwise under a short hidden temporary name in the target's
// folder, and takes the target's name only in Commit; dropped without Commit, the new
// content vanishes. A process killed half-way leaves nothing behind in the first case.
// The rest follows what a user means by the name:
//  - a symbolic link is followed, and the file it points to is replaced;
//  - a device, a named pipe or a socket ("/dev/null", "/dev/stdout") is written to
//    directly, as there is nothing to replace; "-" is standard output;
//  - an existing file without write permission is refused ("X is read-only"), even for a
//    user whose rights would let the write through; a folder is refused ("X is a folder").
// An existing target keeps its permissions. Every other failure throws tesselka::IoError
// with the standard text of its errno; `createError`, when given, replaces the text for a
// file that cannot be created at all.
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
    void OpenTemporary(const std::string& createError);

    std::string target_;   // the name as given, for messages
    std::string final_;    // the file that is replaced: the target with its links followed
    std::string temp_;     // the temporary name, once there is one
    bool direct_ = false;  // written in place: a device, a pipe, standard output
    bool unnamed_ = false; // an O_TMPFILE file, linked in only by Commit
    int fd_ = -1;
};

// Writes `bytes` to `path` through an AtomicFile. Throws tesselka::IoError: "Cannot
// create file %s" (the target's name) when no file can be created there, otherwise the
// file system's text; an existing target keeps its old content.
void WriteFileAtomically(const std::string& path, const void* bytes, size_t size);

// For tests of full disks on any machine: from this call on, AtomicFile writes fail with
// ENOSPC ("Disk full") once `bytes` bytes have been written in all; a negative value
// turns this off.
void SimulateDiskFullAfter(long long bytes);

} // namespace tesselka

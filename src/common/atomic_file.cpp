#include "common/atomic_file.h"

#include "common/error.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tesselka {

AtomicFile::AtomicFile(const std::string& target, const std::string& createError)
    : target_(target), temp_(target + ".XXXXXX")
{
    fd_ = ::mkstemp(temp_.data());
    if (fd_ < 0) {
        if (!createError.empty())
            throw IoError(createError);
        ThrowIoError(errno, target_);
    }
    // mkstemp makes the file private: give it the mode the target has, or the one a
    // plain create would give.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    struct stat existing;
    const mode_t mode = ::stat(target_.c_str(), &existing) == 0 ? (existing.st_mode & 07777) : (0666 & ~mask);
    if (::fchmod(fd_, mode) != 0)
        Fail(errno);
}

AtomicFile::~AtomicFile()
{
    if (fd_ >= 0) {
        ::close(fd_);
        ::unlink(temp_.c_str());
    }
}

void AtomicFile::Write(std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd_, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            Fail(errno);
        }
        bytes.remove_prefix(size_t(n));
    }
}

void AtomicFile::Commit()
{
    // Data on disk before the name points at it; a file system without fsync (EINVAL)
    // has nothing to flush.
    if (::fsync(fd_) != 0 && errno != EINVAL)
        Fail(errno);
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0 || ::rename(temp_.c_str(), target_.c_str()) != 0) {
        const int err = errno;
        ::unlink(temp_.c_str());
        ThrowIoError(err, target_);
    }
}

void AtomicFile::Fail(int err)
{
    ::close(fd_);
    fd_ = -1;
    ::unlink(temp_.c_str());
    ThrowIoError(err, target_);
}

void WriteFileAtomically(const std::string& path, const void* bytes, size_t size)
{
    AtomicFile file(path, "Cannot create file " + path);
    file.Write(std::string_view(static_cast<const char*>(bytes), size));
    file.Commit();
}

} // namespace tesselka

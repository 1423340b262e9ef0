#include "common/input_file.h"

#include "common/error.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tesselka {

namespace {

std::string KindText(const std::string& path, mode_t mode)
{
    if (S_ISDIR(mode))
        return path + " is a folder";
    if (!S_ISREG(mode))
        return path + " is not a regular file";
    return {};
}

} // namespace

std::string NotAFileText(const std::string& path)
{
    struct stat info;
    if (::stat(path.c_str(), &info) != 0)
        return {};
    return KindText(path, info.st_mode);
}

std::optional<int> OpenRegularFileIfExists(const std::string& path)
{
    // Checked before the open, since opening a pipe waits for a writer; and again on
    // the open descriptor (without waiting), in case the name changed in between.
    struct stat info;
    if (::stat(path.c_str(), &info) != 0) {
        if (errno == ENOENT)
            return std::nullopt;
        ThrowIoError(errno, path);
    }
    if (std::string text = KindText(path, info.st_mode); !text.empty())
        throw IoError(text);
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        if (errno == ENOENT)
            return std::nullopt;
        ThrowIoError(errno, path);
    }
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        const int err = errno;
        ::close(fd);
        if (std::string text = KindText(path, info.st_mode); !text.empty())
            throw IoError(text);
        ThrowIoError(err, path);
    }
    // A plain file never blocks, but its readers expect an ordinary descriptor.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

int OpenRegularFile(const std::string& path)
{
    if (std::optional<int> fd = OpenRegularFileIfExists(path))
        return *fd;
    ThrowIoError(ENOENT, path);
}

std::string ReadAllAndClose(int fd, const std::string& path, size_t limit, const std::string& tooLarge)
{
    std::string bytes;
    char buffer[65536];
    while (true) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n == 0)
            break;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            const int err = errno;
            ::close(fd);
            ThrowIoError(err, path);
        }
        if (bytes.size() + size_t(n) > limit) {
            ::close(fd);
            throw Error(tooLarge);
        }
        bytes.append(buffer, size_t(n));
    }
    ::close(fd);
    return bytes;
}

} // namespace tesselka

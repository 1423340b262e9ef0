#include "common/atomic_file.h"

#include "common/error.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <random>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tesselka {

namespace {

std::atomic<long long> writeBudget{-1};

std::string Folder(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Follows a chain of symbolic links whose last one points at nothing yet: the file the
// user means is created where the last link points.
std::string FollowDanglingLinks(std::string path)
{
    for (int hops = 0; hops < 40; ++hops) {
        struct stat info;
        if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
            return path;
        char buffer[PATH_MAX];
        const ssize_t n = ::readlink(path.c_str(), buffer, sizeof buffer - 1);
        if (n <= 0)
            return path;
        const std::string to(buffer, size_t(n));
        path = to[0] == '/' ? to : Folder(path) + "/" + to;
    }
    ThrowIoError(ELOOP, path);
}

// Six letters for a temporary name; short, so that any valid target name stays valid.
std::string RandomSuffix()
{
    static thread_local std::mt19937 random{std::random_device{}()};
    static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::string suffix(6, 'x');
    for (char& c : suffix)
        c = letters[random() % (sizeof letters - 1)];
    return suffix;
}

} // namespace

void SimulateDiskFullAfter(long long bytes)
{
    writeBudget = bytes;
}

AtomicFile::AtomicFile(const std::string& target, const std::string& createError) : target_(target), final_(target)
{
    auto cannotCreate = [&](int err) {
        if (!createError.empty())
            throw IoError(createError);
        ThrowIoError(err, target_);
    };
    if (target == "-") {
        direct_ = true;
        fd_ = ::fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 0);
        if (fd_ < 0)
            ThrowIoError(errno, target_);
        return;
    }
    struct stat info;
    if (::stat(target.c_str(), &info) == 0) {
        if (S_ISDIR(info.st_mode))
            throw IoError(target + " is a folder");
        if (!S_ISREG(info.st_mode)) {
            // Nothing to replace: a device or a pipe takes the bytes as they come.
            direct_ = true;
            fd_ = ::open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
            if (fd_ < 0)
                ThrowIoError(errno, target_);
            return;
        }
        // The rename would succeed on a protected file too; the protection is honoured.
        if ((info.st_mode & 0222) == 0 || ::access(target.c_str(), W_OK) != 0)
            throw IoError(target + " is read-only");
        if (char* real = ::realpath(target.c_str(), nullptr)) {
            final_ = real;
            std::free(real);
        }
    } else if (errno == ENOENT) {
        final_ = FollowDanglingLinks(target);
    } else {
        cannotCreate(errno);
    }
    OpenTemporary(createError);
    // Give the new file the mode the target has, or the one a plain create would give.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    const mode_t mode = ::stat(final_.c_str(), &info) == 0 ? (info.st_mode & 07777) : (0666 & ~mask);
    if (::fchmod(fd_, mode) != 0)
        Fail(errno);
}

void AtomicFile::OpenTemporary(const std::string& createError)
{
    const std::string folder = Folder(final_);
#ifdef O_TMPFILE
    fd_ = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    if (fd_ >= 0) {
        unnamed_ = true;
        return;
    }
    // Only a file system (or kernel) without unnamed files falls back to a name.
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
        if (!createError.empty())
            throw IoError(createError);
        ThrowIoError(errno, target_);
    }
#endif
    temp_ = folder + "/.tesselka-XXXXXX";
    fd_ = ::mkostemp(temp_.data(), O_CLOEXEC);
    if (fd_ < 0) {
        temp_.clear();
        if (!createError.empty())
            throw IoError(createError);
        ThrowIoError(errno, target_);
    }
}

AtomicFile::~AtomicFile()
{
    if (fd_ >= 0) {
        ::close(fd_);
        if (!temp_.empty())
            ::unlink(temp_.c_str());
    }
}

void AtomicFile::Write(std::string_view bytes)
{
    while (!bytes.empty()) {
        size_t piece = bytes.size();
        const long long budget = writeBudget.load();
        if (budget >= 0 && size_t(budget) < piece)
            piece = size_t(budget);
        if (piece == 0)
            Fail(ENOSPC);
        const ssize_t n = ::write(fd_, bytes.data(), piece);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            Fail(errno);
        }
        if (budget >= 0)
            writeBudget -= n;
        bytes.remove_prefix(size_t(n));
    }
}

void AtomicFile::Commit()
{
    const int fd = fd_;
    if (direct_) {
        fd_ = -1;
        if (::close(fd) != 0 && errno != EINTR)
            ThrowIoError(errno, target_);
        return;
    }
    // Data on disk before the name points at it; a file system without fsync (EINVAL)
    // has nothing to flush.
    if (::fsync(fd) != 0 && errno != EINVAL)
        Fail(errno);
    if (unnamed_) {
        // An unnamed file gets a short name beside the target, which the rename then
        // moves over it: linkat cannot replace an existing name.
        const std::string self = "/proc/self/fd/" + std::to_string(fd);
        const std::string folder = Folder(final_);
        int err = EEXIST;
        for (int attempt = 0; attempt < 100 && err == EEXIST; ++attempt) {
            temp_ = folder + "/.tesselka-" + RandomSuffix();
            err = ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, temp_.c_str(), AT_SYMLINK_FOLLOW) == 0 ? 0 : errno;
        }
        if (err != 0) {
            temp_.clear();
            Fail(err);
        }
    }
    fd_ = -1;
    if (::close(fd) != 0 || ::rename(temp_.c_str(), final_.c_str()) != 0) {
        const int err = errno;
        ::unlink(temp_.c_str());
        ThrowIoError(err, target_);
    }
}

void AtomicFile::Fail(int err)
{
    ::close(fd_);
    fd_ = -1;
    if (!temp_.empty())
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

#include "common/error.h"

#include <cerrno>
#include <cstring>

namespace tesselka {

std::string IoErrorText(int err)
{
    switch (err) {
    case ENOENT:
    case ENOTDIR:
        return "File not found";
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
        return "File access denied";
    case ENOSPC:
    case EDQUOT:
        return "Disk full";
    default:
        // The C library's own words for the cause ("File name too long", ...), never a
        // bare number.
        return std::strerror(err);
    }
}

void ThrowIoError(int err, const std::string& path)
{
    (void)path;
    throw IoError(IoErrorText(err));
}

} // namespace tesselka

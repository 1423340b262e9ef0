#include "common/error.h"

#include <cerrno>
#include <cstdio>

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
        // Not string concatenation: GCC 12 warns falsely (-Wrestrict) on it when optimising.
        char text[32];
        std::snprintf(text, sizeof text, "I/O error %d", err);
        return text;
    }
}

void ThrowIoError(int err, const std::string& path)
{
    (void)path;
    throw IoError(IoErrorText(err));
}

} // namespace tesselka

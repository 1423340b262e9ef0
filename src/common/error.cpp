#include "common/error.h"

#include <cerrno>

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
        std::string text = "I/O error ";
        text += std::to_string(err); // not operator+: GCC 12 warns falsely (-Wrestrict) on it
        return text;
    }
}

void ThrowIoError(int err, const std::string& path)
{
    (void)path;
    throw IoError(IoErrorText(err));
}

} // namespace tesselka

#include "formats/picture_rows.h"

#include "formats/decoders.h"

#include <algorithm>
#include <cctype>

namespace tesselka {

std::unique_ptr<PictureRows> OpenPictureRows(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    const size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return nullptr;
    std::string ext = path.substr(dot + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    if (ext == "jpg" || ext == "jpeg")
        return detail::OpenJpegRows(path);
    if (ext == "png")
        return detail::OpenPngRows(path);
    return nullptr;
}

} // namespace tesselka

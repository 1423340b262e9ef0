// Project files: the container, its manifest, its grids and its undo list.
#include "common/error.h"
#include "image/grid_scale.h"
#include "project/project_file.h"

#include <cstdint>
#include <new>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    try {
        const tesselka::Project project =
            tesselka::DecodeProject(std::string_view(reinterpret_cast<const char*>(data), size));
        // What is accepted is within the limits, and a mosaic stage has its grid.
        if (project.stage < 0 || project.stage > 2 || project.studImage.Width() > tesselka::MaxMosaicWidth ||
            (project.stage >= 1 && project.studImage.Empty()) ||
            project.pictureBytes.size() > tesselka::ProjectLimits::MaxPicture)
            __builtin_trap();
        // And what is written again reads back the same.
        const tesselka::Project again = tesselka::DecodeProject(tesselka::EncodeProject(project));
        if (again.undoList != project.undoList || again.settings != project.settings ||
            again.pictureBytes != project.pictureBytes)
            __builtin_trap();
    } catch (const tesselka::Error&) {
    } catch (const std::bad_alloc&) {
    }
    return 0;
}

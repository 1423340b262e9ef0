#include "colours/color_table.h"
#include "common/error.h"
#include "ldraw/model_reader.h"

#include <cstdint>
#include <new>
#include <sstream>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const tesselka::ColorTable table = [] {
        tesselka::ColorTable t;
        t.Fill(0, "Black", 0, 0x1B2A34);
        t.Fill(1, "Red", 4, 0x0000B4);
        return t;
    }();
    tesselka::Bitmap32 studs, source;
    tesselka::TColor color = 0;
    tesselka::ModelReadTarget target{studs, source, color, [](const std::string&) {}, [](const std::string&) {}};
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    try {
        tesselka::ReadModel(in, table, target);
    } catch (const tesselka::Error&) {
    } catch (const std::bad_alloc&) {
    }
    return 0;
}

#include "colours/color_table.h"

#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    tesselka::ColorTable table;
    tesselka::ReadColorTable(std::string_view(reinterpret_cast<const char*>(data), size), table);
    // Whatever the text, the table keeps its fixed slots and never exceeds its maximum.
    if (table.Size() < tesselka::ColorTable::MinSlots || table.Size() > tesselka::ColorTable::MaxSlots)
        __builtin_trap();
    return 0;
}

#include "settings/ini_file.h"

#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    tesselka::IniFile ini(text);
    (void)ini.Read("TForm1", "NormPos");
    // Writing a section and reading it back gives the value written, whatever else the
    // file holds.
    ini.Write("TForm1", "Edit2_Text", "96");
    const tesselka::IniFile again(ini.Text());
    if (again.Read("TForm1", "Edit2_Text") != "96")
        __builtin_trap();
    return 0;
}

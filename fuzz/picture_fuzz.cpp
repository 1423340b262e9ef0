// Picture files of every kind: the first byte picks the extension (and so the decoder),
// the rest is the file's content.
#include "common/error.h"
#include "formats/picture_io.h"

#include <cstdint>
#include <cstdio>
#include <new>
#include <string>

#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const char* const extensions[] = {"jpg", "png", "gif", "bmp", "ico", "emf", "wmf", "dib"};
    if (size < 1)
        return 0;
    const std::string path =
        "/tmp/tesselka-fuzz-" + std::to_string(getpid()) + "." + extensions[data[0] % std::size(extensions)];
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return 0;
    std::fwrite(data + 1, 1, size - 1, file);
    std::fclose(file);
    try {
        tesselka::Bitmap32 picture = tesselka::LoadPicture(path);
        // Every decoder hands back an opaque picture within the size limits.
        if (!tesselka::Bitmap32::SizeAllowed(picture.Width(), picture.Height()))
            __builtin_trap();
        for (int y = 0; y < picture.Height(); ++y)
            for (int x = 0; x < picture.Width(); ++x)
                if ((picture.Pixel(x, y) >> 24) != 0xFF)
                    __builtin_trap();
    } catch (const tesselka::Error&) {
    } catch (const std::bad_alloc&) {
    }
    std::remove(path.c_str());
    return 0;
}

// Picture files of one kind: the build fixes the extension (TESSELKA_FUZZ_EXTENSION), and
// so the decoder; the input is the file's content.
#include "common/error.h"
#include "formats/picture_io.h"

#include <QGuiApplication>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>

#include <unistd.h>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    // Metafiles are drawn with Qt, which wants an application (without a display).
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string path = std::string(access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") +
                                    "/tesselka-fuzz-" + std::to_string(getpid()) + "." TESSELKA_FUZZ_EXTENSION;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return 0;
    if (size > 0) // an empty input comes with no buffer at all
        std::fwrite(data, 1, size, file);
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

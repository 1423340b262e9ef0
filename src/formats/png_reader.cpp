#include "common/error.h"
#include "formats/decoders.h"

#include <csetjmp>
#include <cstdio>

#include <png.h>

namespace tesselka::detail {

namespace {

struct PngReadError
{
    jmp_buf jump;
    char message[200] = {};
};

void PngReadErrorFn(png_structp png, png_const_charp message)
{
    auto* error = static_cast<PngReadError*>(png_get_error_ptr(png));
    std::snprintf(error->message, sizeof error->message, "%s", message);
    longjmp(error->jump, 1);
}

void PngReadWarningFn(png_structp, png_const_charp) {}

struct PngHeader
{
    png_uint_32 width = 0;
    png_uint_32 height = 0;
};

// Only trivially destructible objects live here: libpng's errors longjmp out of this
// frame. Phase 1 (target == nullptr) reads the header, so the size is checked before
// the pixels are allocated.
bool DecodePng(std::FILE* file, PngReadError& error, PngHeader& header, Bitmap32* target)
{
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &error, PngReadErrorFn, PngReadWarningFn);
    if (!png) {
        std::snprintf(error.message, sizeof error.message, "Out of memory");
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        std::snprintf(error.message, sizeof error.message, "Out of memory");
        return false;
    }
    // Changed after setjmp and used after the longjmp, hence volatile.
    png_bytepp volatile rows = nullptr;
    if (setjmp(error.jump)) {
        png_free(png, rows);
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_init_io(png, file);
    // The caller checks the size against the program's own limits with a clear message;
    // libpng's own default limit would otherwise answer first with a different text.
    png_set_user_limits(png, 0x7FFFFFFF, 0x7FFFFFFF);
    png_read_info(png, info);
    header.width = png_get_image_width(png, info);
    header.height = png_get_image_height(png, info);
    if (!target) {
        png_destroy_read_struct(&png, &info, nullptr);
        return true;
    }

    const int colorType = png_get_color_type(png, info);
    // Every colour type and depth becomes 8-bit B, G, R, A rows: palettes and low depths
    // are expanded, tRNS becomes alpha, 16-bit samples are scaled with rounding.
    png_set_expand(png);
    png_set_scale_16(png);
    if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA)
        png_set_gray_to_rgb(png);
    png_set_bgr(png);
    png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != png_size_t(header.width) * 4)
        png_error(png, "Unexpected row layout after conversion");

    rows = static_cast<png_bytepp>(png_malloc(png, sizeof(png_bytep) * header.height));
    for (png_uint_32 y = 0; y < header.height; ++y)
        rows[y] = reinterpret_cast<png_bytep>(target->Row(int(y)));
    png_read_image(png, rows);
    png_read_end(png, nullptr);
    png_free(png, rows);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

} // namespace

Bitmap32 ReadPng(const std::string& path)
{
    std::FILE* file = OpenForReading(path);
    PngReadError error;
    PngHeader header;
    if (!DecodePng(file, error, header, nullptr)) {
        std::fclose(file);
        throw Error(std::string("PNG: ") + error.message);
    }
    try {
        CheckPictureSize(header.width, header.height);
    } catch (...) {
        std::fclose(file);
        throw;
    }
    Bitmap32 picture(int(header.width), int(header.height));
    std::rewind(file);
    bool ok = DecodePng(file, error, header, &picture);
    std::fclose(file);
    if (!ok)
        throw Error(std::string("PNG: ") + error.message);
    // Transparent parts are drawn over white.
    for (int y = 0; y < picture.Height(); ++y) {
        TColor32* row = picture.Row(y);
        for (int x = 0; x < picture.Width(); ++x) {
            TColor32 c = row[x];
            unsigned a = c >> 24;
            if (a == 255)
                continue;
            auto over = [a](unsigned v) { return (v * a + 255 * (255 - a) + 127) / 255; };
            row[x] = 0xFF000000u | (over((c >> 16) & 0xFF) << 16) | (over((c >> 8) & 0xFF) << 8) | over(c & 0xFF);
        }
    }
    return picture;
}

} // namespace tesselka::detail

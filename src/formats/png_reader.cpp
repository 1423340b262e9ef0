#include "common/error.h"
#include "formats/decoders.h"

#include <algorithm>
#include <cerrno>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <string>

#include <png.h>

namespace tesselka::detail {

namespace {

struct PngReadError
{
    jmp_buf jump;
    char message[200] = {};
    bool cancelled = false;
};

void PngReadErrorFn(png_structp png, png_const_charp message)
{
    auto* error = static_cast<PngReadError*>(png_get_error_ptr(png));
    std::snprintf(error->message, sizeof error->message, "%s", message);
    longjmp(error->jump, 1);
}

void PngReadWarningFn(png_structp, png_const_charp) {}

// Text, comment and palette-suggestion chunks are never used, and a damaged one may claim
// up to 2 GB; no chunk is given more memory than this.
constexpr png_alloc_size_t MaxChunkBytes = png_alloc_size_t(8) << 20;

// The file as libpng reads it: up to `end`, after which an IEND chunk is served, so that
// a damaged ancillary chunk after the picture data is dropped instead of read. Running
// out of bytes before that is reported as truncation, not as a generic read error.
struct PngSource
{
    std::FILE* file = nullptr;
    long end = 0;
    long position = 0;
    bool cut = false;
};

void PngReadData(png_structp png, png_bytep data, png_size_t length)
{
    static const png_byte iend[12] = {0, 0, 0, 0, 'I', 'E', 'N', 'D', 0xAE, 0x42, 0x60, 0x82};
    auto* source = static_cast<PngSource*>(png_get_io_ptr(png));
    png_size_t fromFile = 0;
    if (source->position < source->end)
        fromFile = std::min<png_size_t>(length, png_size_t(source->end - source->position));
    if (fromFile > 0 && std::fread(data, 1, fromFile, source->file) != fromFile)
        png_error(png, "file is truncated");
    source->position += long(fromFile);
    if (fromFile == length)
        return;
    const long served = source->position - source->end;
    if (!source->cut || served + long(length - fromFile) > long(sizeof iend))
        png_error(png, "file is truncated");
    std::memcpy(data + fromFile, iend + served, length - fromFile);
    source->position += long(length - fromFile);
}

uint32_t BigEndian32(const unsigned char* p)
{
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}

// Walks the chunk headers before libpng reads anything. A chunk that claims more bytes
// than the file holds is refused by name, unless it is an ancillary one after the picture
// data, where the picture is whole and the file is simply cut at that chunk.
long CheckChunks(std::FILE* file, long size, bool& cut)
{
    cut = false;
    long at = 8;
    bool seenData = false;
    unsigned char head[8];
    static const unsigned char signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::rewind(file);
    if (std::fread(head, 1, 8, file) != 8 || std::memcmp(head, signature, 8) != 0)
        return size; // libpng names what is wrong
    while (at + 8 <= size) {
        if (std::fseek(file, at, SEEK_SET) != 0 || std::fread(head, 1, 8, file) != 8)
            break;
        const uint32_t length = BigEndian32(head);
        std::string type(reinterpret_cast<const char*>(head + 4), 4);
        if (type == "IEND")
            break;
        if (length > 0x7FFFFFFFu || long(length) > size - at - 12) {
            const bool ancillary = (head[4] & 0x20) != 0;
            if (ancillary && seenData) {
                cut = true;
                return at;
            }
            if (!ancillary) // the picture itself is cut off
                throw Error("PNG: file is truncated");
            for (char& c : type)
                if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')))
                    c = '?';
            throw Error("PNG: the " + type + " chunk claims " + std::to_string(length) +
                        " bytes, more than the file holds");
        }
        if (type == "IDAT")
            seenData = true;
        at += long(length) + 12;
    }
    return size;
}

// The reading's settings, then the header.
void StartReading(png_structp png, png_infop info, PngSource& source)
{
    png_set_read_fn(png, &source, PngReadData);
    // The caller checks the size against the program's own limits with a clear message;
    // libpng's own default limit would otherwise answer first with a different text.
    png_set_user_limits(png, 0x7FFFFFFF, 0x7FFFFFFF);
    png_set_chunk_malloc_max(png, MaxChunkBytes);
    png_set_chunk_cache_max(png, 256);
    // Chunks nobody reads are skipped as they stream past, never kept in memory.
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, 0);
    static const png_byte unused[] = "tEXt\0zTXt\0iTXt\0sPLT\0tIME\0pCAL\0sCAL\0hIST\0eXIf\0";
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, unused, int(sizeof unused / 5));
    png_read_info(png, info);
}

// Every colour type and depth becomes 8-bit B, G, R, A rows: palettes and low depths are
// expanded, tRNS becomes alpha, 16-bit samples are scaled with rounding. Returns the
// number of interlace passes.
int ConvertRows(png_structp png, png_infop info, png_uint_32 width)
{
    const int colorType = png_get_color_type(png, info);
    png_set_expand(png);
    png_set_scale_16(png);
    if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA)
        png_set_gray_to_rgb(png);
    png_set_bgr(png);
    png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
    const int passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != png_size_t(width) * 4)
        png_error(png, "Unexpected row layout after conversion");
    return passes;
}

// Transparent parts drawn over white.
void FlattenPixelsOnWhite(TColor32* pixels, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        const TColor32 c = pixels[i];
        const unsigned a = c >> 24;
        if (a == 255)
            continue;
        auto over = [a](unsigned v) { return (v * a + 255 * (255 - a) + 127) / 255; };
        pixels[i] = 0xFF000000u | (over((c >> 16) & 0xFF) << 16) | (over((c >> 8) & 0xFF) << 8) | over(c & 0xFF);
    }
}

struct PngHeader
{
    png_uint_32 width = 0;
    png_uint_32 height = 0;
};

// Only trivially destructible objects live here: libpng's errors longjmp out of this
// frame. Phase 1 (target == nullptr) reads the header, so the size is checked before
// the pixels are allocated.
bool DecodePng(PngSource& source, PngReadError& error, PngHeader& header, Bitmap32* target,
               const StepProgress& progress)
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
    if (setjmp(error.jump)) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    StartReading(png, info, source);
    header.width = png_get_image_width(png, info);
    header.height = png_get_image_height(png, info);
    if (!target) {
        png_destroy_read_struct(&png, &info, nullptr);
        return true;
    }

    const int passes = ConvertRows(png, info, header.width);

    // Row by row, each interlace pass over every row (libpng combines the passes in the
    // rows themselves), so that progress hears of bands of rows as they come.
    const int height = int(header.height);
    const int band = std::max(1, height / 100);
    for (int pass = 0; pass < passes; ++pass)
        for (int y = 0; y < height; ++y) {
            if (progress && y % band == 0 && !progress(pass * height + y, passes * height)) {
                error.cancelled = true;
                png_destroy_read_struct(&png, &info, nullptr);
                return false;
            }
            png_read_row(png, reinterpret_cast<png_bytep>(target->Row(y)), nullptr);
        }
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

} // namespace

Bitmap32 ReadPng(const std::string& path, const StepProgress& progress)
{
    std::FILE* file = OpenForReading(path);
    PngSource source;
    source.file = file;
    try {
        if (std::fseek(file, 0, SEEK_END) != 0 || (source.end = std::ftell(file)) < 0)
            ThrowIoError(errno, path);
        if (source.end == 0)
            throw Error("PNG: the file is empty");
        source.end = CheckChunks(file, source.end, source.cut);
    } catch (...) {
        std::fclose(file);
        throw;
    }
    std::rewind(file);
    PngReadError error;
    PngHeader header;
    if (!DecodePng(source, error, header, nullptr, progress)) {
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
    source.position = 0;
    bool ok = DecodePng(source, error, header, &picture, progress);
    std::fclose(file);
    if (!ok && error.cancelled)
        throw DecodeCancelled();
    if (!ok)
        throw Error(std::string("PNG: ") + error.message);
    FlattenPixelsOnWhite(picture.Bits(), size_t(picture.Width()) * size_t(picture.Height()));
    return picture;
}

} // namespace tesselka::detail

namespace tesselka::detail {

namespace {

// ReadPng's decoding spread over calls; libpng's errors longjmp to the setjmp of the call
// that is running, whose frame holds only trivially destructible objects.
class PngRows final : public PictureRows
{
public:
    explicit PngRows(std::FILE* file) { source_.file = file; }
    ~PngRows() override
    {
        if (png_)
            png_destroy_read_struct(&png_, &info_, nullptr);
        std::fclose(source_.file);
    }
    PngRows(const PngRows&) = delete;
    PngRows& operator=(const PngRows&) = delete;

    PngSource& Source() { return source_; }
    const char* Message() const { return error_.message; }
    bool Interlaced() const { return interlaced_; }

    // Reads the header; false (with the message) when it is damaged.
    bool Open()
    {
        png_ = png_create_read_struct(PNG_LIBPNG_VER_STRING, &error_, PngReadErrorFn, PngReadWarningFn);
        if (!png_ || !(info_ = png_create_info_struct(png_))) {
            std::snprintf(error_.message, sizeof error_.message, "Out of memory");
            return false;
        }
        if (setjmp(error_.jump))
            return Fail();
        StartReading(png_, info_, source_);
        width_ = int(std::min<png_uint_32>(png_get_image_width(png_, info_), 0x7FFFFFFF));
        height_ = int(std::min<png_uint_32>(png_get_image_height(png_, info_), 0x7FFFFFFF));
        headerWidth_ = png_get_image_width(png_, info_);
        headerHeight_ = png_get_image_height(png_, info_);
        interlaced_ = png_get_interlace_type(png_, info_) != PNG_INTERLACE_NONE;
        return true;
    }

    png_uint_32 HeaderWidth() const { return headerWidth_; }
    png_uint_32 HeaderHeight() const { return headerHeight_; }

    bool Start()
    {
        if (setjmp(error_.jump))
            return Fail();
        ConvertRows(png_, info_, headerWidth_);
        return true;
    }

    void Read(TColor32* rows, int count) override
    {
        if (count == 0)
            return;
        if (!png_ || !ReadRows(rows, count))
            throw Error(std::string("PNG: ") + error_.message);
        FlattenPixelsOnWhite(rows, size_t(count) * size_t(width_));
    }

private:
    bool Fail()
    {
        png_destroy_read_struct(&png_, &info_, nullptr);
        png_ = nullptr;
        info_ = nullptr;
        return false;
    }

    bool ReadRows(TColor32* rows, int count)
    {
        if (setjmp(error_.jump))
            return Fail();
        for (int i = 0; i < count; ++i)
            png_read_row(png_, reinterpret_cast<png_bytep>(rows + size_t(i) * size_t(width_)), nullptr);
        if ((rowsRead_ += count) == height_) {
            png_read_end(png_, nullptr);
            png_destroy_read_struct(&png_, &info_, nullptr);
            png_ = nullptr;
            info_ = nullptr;
        }
        return true;
    }

    PngSource source_;
    PngReadError error_;
    png_structp png_ = nullptr;
    png_infop info_ = nullptr;
    png_uint_32 headerWidth_ = 0;
    png_uint_32 headerHeight_ = 0;
    bool interlaced_ = false;
    int rowsRead_ = 0;
};

} // namespace

std::unique_ptr<PictureRows> OpenPngRows(const std::string& path)
{
    auto rows = std::make_unique<PngRows>(OpenForReading(path));
    // The checks of ReadPng, in its order.
    PngSource& source = rows->Source();
    if (std::fseek(source.file, 0, SEEK_END) != 0 || (source.end = std::ftell(source.file)) < 0)
        ThrowIoError(errno, path);
    if (source.end == 0)
        throw Error("PNG: the file is empty");
    source.end = CheckChunks(source.file, source.end, source.cut);
    std::rewind(source.file);
    if (!rows->Open())
        throw Error(std::string("PNG: ") + rows->Message());
    CheckPictureSize(rows->HeaderWidth(), rows->HeaderHeight());
    // Interlaced rows come in passes over the whole picture.
    if (rows->Interlaced())
        return nullptr;
    if (!rows->Start())
        throw Error(std::string("PNG: ") + rows->Message());
    return rows;
}

} // namespace tesselka::detail

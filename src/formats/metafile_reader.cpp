// Metafiles are drawings, not pixels: both kinds are turned into SVG by their Debian
// libraries (libemf2svg, libwmf) and rendered with Qt SVG onto white at the size the
// metafile itself states, converted at 96 pixels per inch like the screen it was made on.
#include "common/error.h"
#include "formats/decoders.h"

#include <emf2svg.h>
#include <uemf.h>
#include <uemf_safe.h>

#include <QRegularExpression>
#include <QString>

#include <libwmf/api.h>
#include <libwmf/svg.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iterator>

namespace tesselka::detail {

namespace {

// A metafile holds drawing commands; a real one above this size is far beyond what a
// mosaic needs, and the converters keep several copies of it in memory.
constexpr size_t MaxMetafileBytes = size_t(64) << 20;

constexpr double ScreenDpi = 96.0;

int32_t ReadInt32(const std::string& bytes, size_t at)
{
    uint32_t v = uint32_t(uint8_t(bytes[at])) | (uint32_t(uint8_t(bytes[at + 1])) << 8) |
                 (uint32_t(uint8_t(bytes[at + 2])) << 16) | (uint32_t(uint8_t(bytes[at + 3])) << 24);
    return int32_t(v);
}

// Rounds a size in pixels; a size that does not fit is passed on as too large.
long long PixelSize(double value)
{
    if (!(value < 1e12))
        return (long long)1e12;
    return std::max(0LL, std::llround(value));
}

struct EmfSize
{
    long long width = 0;
    long long height = 0;
};

// The picture size of an enhanced metafile: its frame (in 0.01 mm, both edges inside)
// at screen resolution, or the bounds in device pixels when the frame is empty.
EmfSize EmfPictureSize(const std::string& bytes)
{
    // EMR_HEADER: type 1, then the record size, bounds, frame, and " EMF" at offset 40.
    if (bytes.size() < 88 || ReadInt32(bytes, 0) != 1 || ReadInt32(bytes, 40) != 0x464D4520)
        throw Error("EMF: Not an enhanced metafile (the header record is missing)");
    const int64_t headerSize = ReadInt32(bytes, 4);
    if (headerSize < 88 || size_t(headerSize) > bytes.size())
        throw Error("EMF: Damaged header record");
    const double frameW = double(int64_t(ReadInt32(bytes, 32)) - ReadInt32(bytes, 24));
    const double frameH = double(int64_t(ReadInt32(bytes, 36)) - ReadInt32(bytes, 28));
    EmfSize size;
    if (frameW > 0 && frameH > 0) {
        size.width = PixelSize(frameW * ScreenDpi / 2540.0);
        size.height = PixelSize(frameH * ScreenDpi / 2540.0);
    }
    if (size.width <= 0 || size.height <= 0) {
        size.width = int64_t(ReadInt32(bytes, 16)) - ReadInt32(bytes, 8) + 1;
        size.height = int64_t(ReadInt32(bytes, 20)) - ReadInt32(bytes, 12) + 1;
    }
    if (size.width <= 0 || size.height <= 0)
        throw Error("EMF: The metafile has no size");
    return size;
}

void WriteInt32(std::string& bytes, size_t at, int32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + size_t(i)] = char(uint32_t(value) >> (8 * i));
}

// Record types the record library has no check for: escapes, colour-management and
// text-run records that the converter does not draw from either.
bool UncheckedRecord(int32_t type)
{
    static constexpr int32_t unchecked[] = {69,  96,  97,  102, 103, 105, 106, 107, 109,
                                            110, 111, 112, 113, 117, 119, 120, 121};
    return std::find(std::begin(unchecked), std::end(unchecked), type) != std::end(unchecked);
}

// The converter trusts the sizes and offsets inside the records it draws, so a damaged
// file could make it read past its buffer. Every record is checked first: its size must
// lie within the file, and the record library's own check must find its inner sizes
// and offsets sound. What follows the end-of-file record is dropped.
void CheckEmfRecords(std::string& bytes)
{
    constexpr int32_t EmrEof = 14;
    size_t at = 0;
    while (true) {
        if (bytes.size() - at < 8)
            throw Error("EMF: The metafile ends inside a record");
        const int32_t type = ReadInt32(bytes, at);
        const uint32_t size = uint32_t(ReadInt32(bytes, at + 4));
        if (size < 8 || size % 4 != 0 || size > bytes.size() - at || type < U_EMR_MIN || type > U_EMR_MAX)
            throw Error("EMF: Damaged record at byte " + std::to_string(at));
        if (UncheckedRecord(type)) {
            // Nothing here is drawn, and the record library cannot vouch for it (it
            // says so on standard error): it becomes an empty comment.
            if (size < 12)
                throw Error("EMF: Damaged record at byte " + std::to_string(at));
            WriteInt32(bytes, at, U_EMR_COMMENT);
            WriteInt32(bytes, at + 8, int32_t(size - 12));
        }
        if (!U_emf_record_safe(bytes.data() + at))
            throw Error("EMF: Damaged record at byte " + std::to_string(at));
        at += size;
        if (type == EmrEof)
            break;
    }
    bytes.resize(at);
}

const char* WmfErrorText(wmf_error_t err)
{
    switch (err) {
    case wmf_E_InsMem:
        return "Out of memory";
    case wmf_E_BadFile:
        return "The metafile could not be read";
    case wmf_E_BadFormat:
        return "The metafile is damaged or not a metafile";
    case wmf_E_EOF:
        return "Unexpected end of the metafile";
    case wmf_E_DeviceError:
        return "The drawing could not be converted";
    default:
        return "The metafile could not be drawn";
    }
}

// libwmf allocates what a bitmap record's header claims before it reads the pixels, so a
// file of 1.5 KB can ask for 12 GB. Its memory goes through this budget; a refusal makes
// libwmf give up with its out-of-memory error, which Check turns into our own message.
class WmfMemory
{
public:
    static constexpr size_t Budget = size_t(1) << 30;

    bool Refused() const { return refused_; }

    static void* Allocate(void* context, size_t size) { return Resize(context, nullptr, size); }
    static void* Resize(void* context, void* mem, size_t size)
    {
        auto& self = *static_cast<WmfMemory*>(context);
        const size_t old = mem ? Header(mem)->size : 0;
        if (size > Budget || self.used_ - old > Budget - size) {
            self.refused_ = true;
            return nullptr;
        }
        auto* block = static_cast<Block*>(std::realloc(mem ? Header(mem) : nullptr, sizeof(Block) + size));
        if (!block)
            return nullptr;
        self.used_ = self.used_ - old + size;
        block->size = size;
        return block + 1;
    }
    static void Free(void* context, void* mem)
    {
        if (!mem)
            return;
        static_cast<WmfMemory*>(context)->used_ -= Header(mem)->size;
        std::free(Header(mem));
    }

private:
    struct alignas(std::max_align_t) Block
    {
        size_t size;
    };
    static Block* Header(void* mem) { return static_cast<Block*>(mem) - 1; }

    size_t used_ = 0;
    bool refused_ = false;
};

// Holds the libwmf handle so that every way out releases it.
class WmfApi
{
public:
    WmfApi()
    {
        wmfAPI_Options options;
        std::memset(&options, 0, sizeof options);
        options.function = wmf_svg_function;
        options.context = &memory_;
        options.malloc = WmfMemory::Allocate;
        options.realloc = WmfMemory::Resize;
        options.free = WmfMemory::Free;
        const unsigned long flags = WMF_OPT_FUNCTION | WMF_OPT_IGNORE_NONFATAL | WMF_OPT_NO_ERROR | WMF_OPT_ALLOC;
        wmf_error_t err = wmf_api_create(&api_, flags, &options);
        if (err != wmf_E_None) {
            if (api_)
                wmf_api_destroy(api_);
            api_ = nullptr;
            throw Error(std::string("WMF: ") + WmfErrorText(err));
        }
    }
    ~WmfApi()
    {
        if (opened_)
            wmf_mem_close(api_);
        wmf_api_destroy(api_);
    }
    WmfApi(const WmfApi&) = delete;
    WmfApi& operator=(const WmfApi&) = delete;

    wmfAPI* get() const { return api_; }
    void Check(wmf_error_t err) const
    {
        if (memory_.Refused())
            throw Error("WMF: The metafile asks for more than 1 GB of memory");
        if (err != wmf_E_None || api_->err != wmf_E_None)
            throw Error(std::string("WMF: ") + WmfErrorText(err != wmf_E_None ? err : api_->err));
    }
    void Open(std::string& bytes)
    {
        Check(wmf_mem_open(api_, reinterpret_cast<unsigned char*>(bytes.data()), long(bytes.size())));
        opened_ = true;
    }

private:
    WmfMemory memory_;
    wmfAPI* api_ = nullptr;
    bool opened_ = false;
};

} // namespace

Bitmap32 ReadEmf(const std::string& path)
{
    std::string bytes = ReadWholeFile(path, MaxMetafileBytes, "EMF");
    const EmfSize size = EmfPictureSize(bytes);
    CheckPictureSize(size.width, size.height);
    CheckEmfRecords(bytes);

    generatorOptions options;
    std::memset(&options, 0, sizeof options);
    // No namespace prefix: with one, the converter closes some elements without it.
    char nameSpace[] = "";
    options.nameSpace = nameSpace;
    options.verbose = false;
    // EMF+ records (inside comment records) are not drawn: the converter's reader of them
    // overruns its buffer on damaged input, and the plain records that every such file
    // carries as well give the drawing.
    options.emfplus = false;
    options.svgDelimiter = true;
    options.imgWidth = double(size.width);
    options.imgHeight = double(size.height);
    char* svg = nullptr;
    size_t svgLength = 0;
    const int ok = emf2svg(bytes.data(), bytes.size(), &svg, &svgLength, &options);
    QByteArray svgText = svg ? QByteArray(svg, qsizetype(svgLength)) : QByteArray();
    std::free(svg);
    if (!ok || svgText.isEmpty())
        throw Error("EMF: The metafile is damaged and could not be drawn");
    return RenderSvg(svgText, int(size.width), int(size.height), "EMF");
}

namespace {

// The converter allocates a buffer of the largest record size the header states before
// reading a record; a header that claims more than the whole file is damaged, and could
// ask for gigabytes.
void CheckWmfHeader(const std::string& bytes)
{
    const size_t header = bytes.size() >= 4 && uint32_t(ReadInt32(bytes, 0)) == 0x9AC6CDD7u ? 22 : 0;
    if (bytes.size() < header + 18)
        throw Error("WMF: The metafile ends inside its header");
    const uint64_t largestRecord = uint64_t(uint32_t(ReadInt32(bytes, header + 12))) * 2;
    if (largestRecord > bytes.size())
        throw Error("WMF: Damaged header (it claims a record of " + std::to_string(largestRecord) +
                    " bytes, more than the file holds)");
}

} // namespace

Bitmap32 ReadWmf(const std::string& path)
{
    std::string bytes = ReadWholeFile(path, MaxMetafileBytes, "WMF");
    CheckWmfHeader(bytes);
    WmfApi api;
    api.Open(bytes);
    wmfD_Rect bbox;
    api.Check(wmf_scan(api.get(), 0, &bbox));
    unsigned int width = 0, height = 0;
    api.Check(wmf_display_size(api.get(), &width, &height, ScreenDpi, ScreenDpi));
    if (width == 0 || height == 0)
        throw Error("WMF: The metafile has no size");
    CheckPictureSize(width, height);

    wmf_svg_t* device = WMF_SVG_GetData(api.get());
    device->out = wmf_stream_create(api.get(), nullptr);
    if (!device->out)
        throw Error("WMF: Out of memory");
    // Bitmaps inside the metafile go into the SVG text, never into files beside it.
    device->flags |= WMF_SVG_INLINE_IMAGES;
    device->bbox = bbox;
    device->width = width;
    device->height = height;
    const wmf_error_t played = wmf_play(api.get(), 0, &bbox);
    char* svg = nullptr;
    unsigned long svgLength = 0;
    wmf_stream_destroy(api.get(), device->out, &svg, &svgLength);
    device->out = nullptr;
    // The text belongs to libwmf's memory, which goes with the handle.
    QByteArray svgText = svg ? QByteArray(svg, qsizetype(svgLength)) : QByteArray();
    api.Check(played);
    // libwmf gives a bitmap both its target rectangle and a matrix that places and
    // scales it again, so it would land far too large; the rectangle alone is right.
    svgText = QString::fromUtf8(svgText)
                  .replace(QRegularExpression(QStringLiteral("(<image\\b[^>]*?)\\s*transform=\"matrix\\([^\"]*\\)\"")),
                           QStringLiteral("\\1"))
                  .toUtf8();
    if (svgText.isEmpty())
        throw Error("WMF: The metafile could not be drawn");
    return RenderSvg(svgText, int(width), int(height), "WMF");
}

} // namespace tesselka::detail

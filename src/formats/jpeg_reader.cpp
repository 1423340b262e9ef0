#include "common/error.h"
#include "formats/decoders.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <jpeglib.h>
// jerror.h after jpeglib.h: it needs its types.
#include <jerror.h>

namespace tesselka::detail {

namespace {

struct JpegError
{
    jpeg_error_mgr manager; // first member: libjpeg hands us a pointer to it
    jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
    bool cancelled;
};

void JpegErrorExit(j_common_ptr cinfo)
{
    auto* error = reinterpret_cast<JpegError*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, error->message);
    longjmp(error->jump, 1);
}

// libjpeg reports a cut-off or corrupt stream only as a warning and fills the rest with
// grey; we refuse such a file instead of handing a half picture to the mosaic. Extra
// bytes between markers are harmless and common, so that warning alone is let through.
void JpegEmitMessage(j_common_ptr cinfo, int level)
{
    if (level < 0 && cinfo->err->msg_code != JWRN_EXTRANEOUS_DATA)
        JpegErrorExit(cinfo);
}

// Adobe writes CMYK inverted (0 = full ink); other writers store plain ink amounts.
inline uint8_t CmykChannel(unsigned ink, unsigned black, bool inverted)
{
    if (inverted)
        return uint8_t((ink * black + 127) / 255);
    return uint8_t(((255 - ink) * (255 - black) + 127) / 255);
}

// A row of C, M, Y, K samples as opaque colours.
void CmykToColors(const JSAMPLE* s, unsigned width, bool inverted, TColor32* row)
{
    for (unsigned x = 0; x < width; ++x, s += 4) {
        unsigned r = CmykChannel(s[0], s[3], inverted);
        unsigned g = CmykChannel(s[1], s[3], inverted);
        unsigned b = CmykChannel(s[2], s[3], inverted);
        row[x] = 0xFF000000u | (r << 16) | (g << 8) | b;
    }
}

struct JpegHeader
{
    int width = 0;
    int height = 0;
};

// Everything here is trivially destructible: libjpeg's errors longjmp out of this frame.
// Phase 1 reads the header only, so the size is checked before any pixel memory exists.
bool DecodeJpeg(std::FILE* file, JpegError& error, JpegHeader& header, Bitmap32* target, const StepProgress& progress)
{
    error.cancelled = false;
    jpeg_decompress_struct cinfo;
    cinfo.err = jpeg_std_error(&error.manager);
    error.manager.error_exit = JpegErrorExit;
    error.manager.emit_message = JpegEmitMessage;
    if (setjmp(error.jump)) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_stdio_src(&cinfo, file);
    jpeg_read_header(&cinfo, TRUE);
    header.width = int(cinfo.image_width);
    header.height = int(cinfo.image_height);
    if (!target) {
        jpeg_destroy_decompress(&cinfo);
        return true;
    }
    const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    // libjpeg-turbo writes B, G, R, A straight into our rows for every other kind.
    cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRA;
    jpeg_start_decompress(&cinfo);
    const bool inverted = cinfo.saw_Adobe_marker;
    JSAMPARRAY cmykRow = nullptr;
    if (cmyk)
        cmykRow =
            (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE, cinfo.output_width * 4, 1);
    // About a hundred reports, each after a band of whole rows.
    const int rows = int(cinfo.output_height);
    const int band = std::max(1, rows / 100);
    while (cinfo.output_scanline < cinfo.output_height) {
        const int y = int(cinfo.output_scanline);
        if (progress && y % band == 0 && !progress(y, rows)) {
            error.cancelled = true;
            jpeg_destroy_decompress(&cinfo);
            return false;
        }
        TColor32* row = target->Row(y);
        if (!cmyk) {
            JSAMPROW rows[1] = {reinterpret_cast<JSAMPROW>(row)};
            jpeg_read_scanlines(&cinfo, rows, 1);
            continue;
        }
        jpeg_read_scanlines(&cinfo, cmykRow, 1);
        CmykToColors(cmykRow[0], cinfo.output_width, inverted, row);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return true;
}

} // namespace

Bitmap32 ReadJpeg(const std::string& path, const StepProgress& progress)
{
    std::FILE* file = OpenForReading(path);
    JpegError error;
    JpegHeader header;
    if (!DecodeJpeg(file, error, header, nullptr, progress)) {
        std::fclose(file);
        throw Error(std::string("JPEG: ") + error.message);
    }
    try {
        CheckPictureSize(header.width, header.height);
    } catch (...) {
        std::fclose(file);
        throw;
    }
    Bitmap32 picture(header.width, header.height);
    std::rewind(file);
    bool ok = DecodeJpeg(file, error, header, &picture, progress);
    std::fclose(file);
    if (!ok && error.cancelled)
        throw DecodeCancelled();
    if (!ok)
        throw Error(std::string("JPEG: ") + error.message);
    // Opaque already: the BGRA output fills the fourth byte with 255, and the CMYK
    // conversion above sets it.
    return picture;
}

} // namespace tesselka::detail

namespace tesselka::detail {

namespace {

// ReadJpeg's decoding spread over calls: the header and the start in Open, rows in Read.
// libjpeg's errors longjmp to the setjmp of the call that is running, whose frame holds
// only trivially destructible objects.
class JpegRows final : public PictureRows
{
public:
    explicit JpegRows(std::FILE* file) : file_(file) {}
    ~JpegRows() override
    {
        if (live_)
            jpeg_destroy_decompress(&cinfo_);
        std::fclose(file_);
    }
    JpegRows(const JpegRows&) = delete;
    JpegRows& operator=(const JpegRows&) = delete;

    // False (with the message in error_) when the header is damaged.
    bool Open(bool decode)
    {
        cinfo_.err = jpeg_std_error(&error_.manager);
        error_.manager.error_exit = JpegErrorExit;
        error_.manager.emit_message = JpegEmitMessage;
        if (setjmp(error_.jump))
            return Fail();
        if (!live_) {
            jpeg_create_decompress(&cinfo_);
            live_ = true;
            jpeg_stdio_src(&cinfo_, file_);
            jpeg_read_header(&cinfo_, TRUE);
            width_ = int(cinfo_.image_width);
            height_ = int(cinfo_.image_height);
        }
        if (!decode)
            return true;
        cmyk_ = cinfo_.jpeg_color_space == JCS_CMYK || cinfo_.jpeg_color_space == JCS_YCCK;
        cinfo_.out_color_space = cmyk_ ? JCS_CMYK : JCS_EXT_BGRA;
        jpeg_start_decompress(&cinfo_);
        inverted_ = cinfo_.saw_Adobe_marker;
        if (cmyk_)
            cmykRow_ = (*cinfo_.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo_), JPOOL_IMAGE,
                                                   cinfo_.output_width * 4, 1);
        return true;
    }

    void Read(TColor32* rows, int count) override
    {
        if (count == 0)
            return;
        if (!live_ || !ReadRows(rows, count))
            throw Error(std::string("JPEG: ") + error_.message);
    }

    const char* Message() const { return error_.message; }

private:
    bool Fail()
    {
        jpeg_destroy_decompress(&cinfo_);
        live_ = false;
        return false;
    }

    bool ReadRows(TColor32* rows, int count)
    {
        if (setjmp(error_.jump))
            return Fail();
        for (int i = 0; i < count; ++i) {
            TColor32* row = rows + size_t(i) * size_t(width_);
            if (!cmyk_) {
                JSAMPROW target[1] = {reinterpret_cast<JSAMPROW>(row)};
                jpeg_read_scanlines(&cinfo_, target, 1);
            } else {
                jpeg_read_scanlines(&cinfo_, cmykRow_, 1);
                CmykToColors(cmykRow_[0], cinfo_.output_width, inverted_, row);
            }
        }
        if (cinfo_.output_scanline == cinfo_.output_height) {
            jpeg_finish_decompress(&cinfo_);
            jpeg_destroy_decompress(&cinfo_);
            live_ = false;
        }
        return true;
    }

    std::FILE* file_;
    JpegError error_;
    jpeg_decompress_struct cinfo_;
    bool live_ = false;
    bool cmyk_ = false;
    bool inverted_ = false;
    JSAMPARRAY cmykRow_ = nullptr;
};

} // namespace

std::unique_ptr<PictureRows> OpenJpegRows(const std::string& path)
{
    auto rows = std::make_unique<JpegRows>(OpenForReading(path));
    // The header, the size check and then the decoding, as ReadJpeg orders them.
    if (!rows->Open(false))
        throw Error(std::string("JPEG: ") + rows->Message());
    CheckPictureSize(rows->Width(), rows->Height());
    if (!rows->Open(true))
        throw Error(std::string("JPEG: ") + rows->Message());
    return rows;
}

} // namespace tesselka::detail

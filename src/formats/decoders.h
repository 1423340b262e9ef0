#pragma once

// The decoders behind LoadPicture, one per family of formats. Each reads the file at
// `path`, checks the picture's size against Bitmap32's limits before allocating, and
// throws tesselka::Error with the decoder's own message when the file is damaged.
// Every result is opaque: transparent parts are drawn over white, alpha is 255.

#include "common/bitmap32.h"
#include "common/step_progress.h"

#include <QByteArray>
#include <QImage>

#include <cstdio>
#include <string>

namespace tesselka::detail {

// These two report their rows to `progress` in bands and throw DecodeCancelled, with
// everything freed, when it cancels.
Bitmap32 ReadJpeg(const std::string& path, const StepProgress& progress = {});
Bitmap32 ReadPng(const std::string& path, const StepProgress& progress = {});
struct DecodeCancelled
{
};
// GIF (first frame), BMP and ICO (largest image) through Qt's readers; `format` is the
// reader's format name ("gif", "bmp", "ico"), never guessed from the content.
Bitmap32 ReadWithQt(const std::string& path, const char* format);
Bitmap32 ReadEmf(const std::string& path);
Bitmap32 ReadWmf(const std::string& path);

// Throws the size message when (width, height) may not become a Bitmap32.
void CheckPictureSize(long long width, long long height);
// Opens `path` for reading or throws the file system's text.
std::FILE* OpenForReading(const std::string& path);
// The whole file, at most `limit` bytes (a larger file is refused with `what` named).
std::string ReadWholeFile(const std::string& path, size_t limit, const char* what);
// An image of any format flattened over white into an opaque bitmap.
Bitmap32 FlattenOnWhite(const QImage& image);
// Renders SVG text onto a white bitmap of width x height pixels, the drawing scaled to
// fill it. `what` names the source format in messages.
Bitmap32 RenderSvg(const QByteArray& svg, int width, int height, const char* what);

} // namespace tesselka::detail

#include "formats/picture_rows.h"

#include <memory>

namespace tesselka::detail {

// The row readers behind OpenPictureRows; OpenPngRows gives nullptr for an interlaced file.
std::unique_ptr<PictureRows> OpenJpegRows(const std::string& path);
std::unique_ptr<PictureRows> OpenPngRows(const std::string& path);

} // namespace tesselka::detail

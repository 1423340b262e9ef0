#pragma once

#include "common/bitmap32.h"
#include "common/step_progress.h"
#include "formats/png_writer.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tesselka {

// Reads a picture file into a 32-bit bitmap of the picture's own size. The decoder is
// chosen by the file name's extension (case-insensitive): .bmp/.dib, .gif (first frame),
// .png, .jpg/.jpeg, .ico (largest image), .emf, .wmf (drawn onto white). Throws
// tesselka::Error: "Unknown picture file extension (.%s)", the decoder's own message for
// a damaged file ("JPEG: Premature end of JPEG file": a cut-off JPEG is refused, not
// filled with grey), "Picture too large: ..." for a picture above Bitmap32's limits of
// 400 megapixels and 131072 pixels a side (checked from the header, before the pixels
// are allocated), or the file system's text when the file cannot be read. Metafiles are
// drawn at the size they state, at 96 pixels per inch.
Bitmap32 LoadPicture(const std::string& path);
// The same with progress: JPEG and PNG files report bands of rows as they are decoded,
// the other formats the file as one step. Returns false, with `picture` untouched, when
// `progress` cancels.
bool LoadPicture(const std::string& path, Bitmap32& picture, const StepProgress& progress);

// Writes a 32-bit-per-pixel BMP file (bottom-up rows, BI_RGB) through a temporary file,
// as SavePng does.
void SaveBmp32(const Bitmap32& bitmap, const std::string& path);

} // namespace tesselka

#pragma once

#include "common/bitmap32.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tesselka {

// Called in the writing thread with the rows written so far and the picture's height;
// returning false stops the writing.
using PngProgress = std::function<bool(int done, int total)>;

struct PngWriterOptions
{
    // Compressing threads; 0 takes one per core.
    int threads = 0;
    // Rows per band (the unit compressed on one thread); 0 chooses about 2 MB of pixels.
    int bandRows = 0;
};

// A PNG encoder fed rows top to bottom, for pictures that are made a few rows at a time
// as well as for whole bitmaps. The file is 8-bit RGB (colour type 2, not interlaced):
// signature, IHDR, IDAT chunks, IEND. Rows are gathered into bands that are filtered
// and compressed on every core; the bands' deflate streams are joined at byte
// boundaries into the one zlib stream the format allows. The bytes reach `sink` in file
// order, always from the thread that calls the writer, as do the calls of `progress`.
// Exceptions from the sink or the compressor leave the writer unusable; the file's
// bytes written so far are then incomplete.
class PngWriter
{
public:
    using Sink = std::function<void(const uint8_t* bytes, size_t size)>;

    // Throws tesselka::Error for a size that no PNG or no Bitmap32 may have.
    PngWriter(int width, int height, Sink sink, PngProgress progress = {}, PngWriterOptions options = {});
    PngWriter(const PngWriter&) = delete;
    PngWriter& operator=(const PngWriter&) = delete;
    ~PngWriter();

    // Takes the next `count` rows; row i is at rows + i * stride (pixels, as in
    // Bitmap32), and only its red, green and blue bytes are read. The rows are copied
    // before the call returns. Returns false once `progress` has stopped the writing.
    bool AddRows(const TColor32* rows, ptrdiff_t stride, int count);
    // Writes what is left; every row must have been added. Returns false when
    // `progress` stopped the writing.
    bool Finish();

private:
    struct State;
    std::unique_ptr<State> state_;
};

// The PNG file of the bitmap's pixels. Throws tesselka::Error for an empty bitmap.
std::vector<uint8_t> EncodePng(const Bitmap32& bitmap, const PngWriterOptions& options = {});

// Writes the bitmap as PNG to `path`, replacing an existing file. The file is written
// under a temporary name first, so a failure never leaves a half-written picture under
// `path`. Returns false, leaving an existing file as it was, when `progress` stops the
// writing. Throws tesselka::IoError with the file system's text.
bool SavePng(const Bitmap32& bitmap, const std::string& path, const PngProgress& progress = {});

// Fills `count` rows from row `first` into `rows`, one after another, `width` pixels each.
using PngRowMaker = std::function<void(int first, int count, TColor32* rows)>;

// SavePng for a picture made a few rows at a time, so it never exists whole in memory.
bool SavePngRows(int width, int height, const PngRowMaker& makeRows, const std::string& path,
                 const PngProgress& progress = {});

// SavePng for rows that are added as they are made, from one thread: the picture never
// exists whole, and the file takes its name only when Finish succeeds (dropped before,
// nothing is left under `path`). Throws tesselka::IoError as SavePng does.
class PngFileWriter
{
public:
    PngFileWriter(int width, int height, const std::string& path);
    PngFileWriter(const PngFileWriter&) = delete;
    PngFileWriter& operator=(const PngFileWriter&) = delete;
    ~PngFileWriter();

    // The next `count` rows, `width` pixels each, one after another.
    void AddRows(const TColor32* rows, int count);
    void Finish();

private:
    struct State;
    std::unique_ptr<State> state_;
};

} // namespace tesselka

#pragma once

#include "common/tcolor.h"

#include <memory>
#include <string>

namespace tesselka {

// A picture read a few rows at a time, top row first, for work that never needs it whole.
// The rows are those LoadPicture gives for the same file, and a damaged file fails with
// the same message, though only when its reading reaches the damage.
class PictureRows
{
public:
    virtual ~PictureRows() = default;

    int Width() const { return width_; }
    int Height() const { return height_; }
    // The next `count` rows, Width() pixels each, one after another. Throws
    // tesselka::Error as LoadPicture does; the reader is of no further use then.
    virtual void Read(TColor32* rows, int count) = 0;

protected:
    int width_ = 0;
    int height_ = 0;
};

// The rows of the picture at `path` for the formats that can be decoded row by row: JPEG,
// and PNG that is not interlaced. nullptr for every other file, which LoadPicture reads
// whole. Throws what LoadPicture throws for a file it cannot open or whose header is
// damaged or too large.
std::unique_ptr<PictureRows> OpenPictureRows(const std::string& path);

} // namespace tesselka

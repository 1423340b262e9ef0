#pragma once

#include "common/bitmap32.h"

namespace tesselka {

// Pixels per stud of the exported mosaic picture.
inline constexpr int StudPicturePixels = 16;

// StudImage as a picture of 16 x 16 pixels per stud, without grid lines: pixel (x, y)
// has the colour of stud (x div 16, y div 16). Throws tesselka::Error when the picture
// would be larger than a bitmap may be.
Bitmap32 RenderStudPicture(const Bitmap32& studImage);

} // namespace tesselka

#include "mosaic/stud_picture.h"

#include <algorithm>
#include <cstring>

namespace tesselka {

Bitmap32 RenderStudPicture(const Bitmap32& studImage)
{
    constexpr int n = StudPicturePixels;
    Bitmap32 out(int(std::min<int64_t>(int64_t(studImage.Width()) * n, INT32_MAX)),
                 int(std::min<int64_t>(int64_t(studImage.Height()) * n, INT32_MAX)));
    for (int i = 0; i < studImage.Height(); ++i) {
        const TColor32* stud = studImage.Row(i);
        TColor32* first = out.Row(i * n);
        for (int j = 0; j < studImage.Width(); ++j)
            std::fill_n(first + j * n, n, stud[j] | 0xFF000000u);
        for (int y = 1; y < n; ++y)
            std::memcpy(out.Row(i * n + y), first, size_t(out.Width()) * sizeof(TColor32));
    }
    return out;
}

} // namespace tesselka

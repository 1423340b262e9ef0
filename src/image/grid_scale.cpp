#include "image/grid_scale.h"

#include "common/error.h"
#include "common/text.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace tesselka {

// The heights below depend on the ratio being rounded to double first and the rest
// being done with a 64-bit mantissa: a 4:3 picture gets 181 rows, not 180.
static_assert(std::numeric_limits<long double>::digits == 64,
              "grid heights need 80-bit extended arithmetic (64-bit mantissa)");

int ParseMosaicWidth(std::string_view text)
{
    const int width = StrToInt(text);
    if (width < 0 || width > MaxMosaicWidth)
        throw Error("The mosaic width must be between 0 and " + std::to_string(MaxMosaicWidth) + " studs (not " +
                    std::to_string(width) + ")");
    return width;
}

namespace {

// ceil of an extended value that is known to be finite and non-negative, or -1 when it
// would not make a bitmap side.
int64_t CeilSide(long double value)
{
    if (!(value >= 0) || value > (long double)Bitmap32::MaxSide)
        return -1;
    return int64_t(std::ceil(value));
}

std::string RatioText(double ratio)
{
    // Like printf's %.15g, but never with the locale's decimal separator.
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, ratio, std::chars_format::general, 15);
    return std::string(buffer, result.ptr);
}

} // namespace

std::optional<GridScaleResult> PlanGrid(int sourceWidth, int sourceHeight, int studsWide, int cellWidth, int cellHeight,
                                        bool mix)
{
    if (sourceHeight == 0)
        return std::nullopt;
    if (cellWidth <= 0 || cellHeight <= 0)
        throw Error("Invalid cell shape " + std::to_string(cellWidth) + " x " + std::to_string(cellHeight));
    if (studsWide < 0)
        throw Error("Invalid mosaic width " + std::to_string(studsWide));

    const double ratio = double(sourceWidth) / double(sourceHeight);
    const long double n = studsWide;
    const long double cell = (long double)cellWidth / (long double)cellHeight;
    const long double storedRatio = ratio;

    GridScaleResult result;
    result.ratio = ratio;
    result.width = studsWide;
    const int64_t plainHeight = CeilSide(n * cell / storedRatio);

    int64_t targetWidth = studsWide;
    int64_t targetHeight = plainHeight;
    if (mix) {
        targetWidth = CeilSide(n / cell);
        targetHeight = CeilSide(n / storedRatio);
    }
    // A source of width 0 has ratio 0: every division by it gives no usable height.
    if (plainHeight < 0 || targetWidth < 0 || targetHeight < 0 || !Bitmap32::SizeAllowed(targetWidth, targetHeight))
        throw Error("A mosaic " + std::to_string(studsWide) + " studs wide would be too tall for this picture (" +
                    std::to_string(sourceWidth) + " x " + std::to_string(sourceHeight) + " pixels)");
    result.height = int(plainHeight);
    result.label =
        "Wd=" + std::to_string(result.width) + " Ht=" + std::to_string(result.height) + " Ratio=" + RatioText(ratio);
    result.targetWidth = int(targetWidth);
    result.targetHeight = int(targetHeight);
    return result;
}

std::optional<GridScaleResult> ScaleToGrid(const Bitmap32& source, Bitmap32& target, int studsWide, int cellWidth,
                                           int cellHeight, bool mix)
{
    std::optional<GridScaleResult> result =
        PlanGrid(source.Width(), source.Height(), studsWide, cellWidth, cellHeight, mix);
    if (!result)
        return result;
    if (&source == &target) {
        const Bitmap32 copy(source);
        target.SetSize(result->targetWidth, result->targetHeight);
        target.StretchFrom(copy);
    } else {
        target.SetSize(result->targetWidth, result->targetHeight);
        target.StretchFrom(source);
    }
    return result;
}

} // namespace tesselka

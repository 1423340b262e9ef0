#pragma once

#include "common/bitmap32.h"

#include <cstddef>
#include <cstdint>

namespace tesselka {

// The eight tone settings of the tone box. All zero / false is neutral.
struct ToneSettings
{
    int brightness = 0; // -255..255, added to every channel
    int contrast = 0;   // -255..255, away from (or toward) 127
    int saturation = 0; // -255..255, distance from the pixel's mean
    int darkness = 0;   // -255..255
    int lightness = 0;  // -255..255
    int splitlight = 0; // 0..10 repetitions of the sine curve
    bool grayscale = false;
    bool invert = false;

    bool Neutral() const
    {
        return brightness == 0 && contrast == 0 && saturation == 0 && darkness == 0 && lightness == 0 &&
               splitlight == 0 && !grayscale && !invert;
    }
};

// 255 above 255, 0 below 0.
constexpr int ClampByte(int v)
{
    return v > 255 ? 255 : (v < 0 ? 0 : v);
}

// The adjusted picture: `result` gets the size of `source` and every pixel with the
// settings applied in their fixed order (contrast, lightness, darkness and brightness
// with one clamp; splitlight; grayscale or saturation; invert). Only red, green and
// blue are read; the result is opaque. `result`'s buffer is reused when large enough.
// Settings outside their ranges are clamped to them.
void AdjustTone(const Bitmap32& source, Bitmap32& result, const ToneSettings& settings);

// AdjustTone for pixels that arrive a few rows at a time: the tables are made once, then
// any run of pixels is adjusted exactly as AdjustTone adjusts it.
class ToneAdjuster
{
public:
    explicit ToneAdjuster(const ToneSettings& settings);

    // `count` pixels from `in` to `out` (which may be `in`).
    void Apply(const TColor32* in, TColor32* out, size_t count) const;

private:
    enum class Step { Opaque, Channels, Saturation, Grayscale };
    Step step_;
    int invertXor_;
    uint8_t channel_[256];
    // Grayscale: the weights times each adjusted channel value.
    int red30_[256], green59_[256], blue11_[256];
    // Saturation: the spread of every difference, the mean of every sum, the clamp (and
    // invert) of every result.
    int spread_[511];
    int mean_[766];
    uint8_t clampInvert_[1276];
};

// One channel through the contrast/lightness/darkness/brightness step and splitlight,
// exactly as AdjustTone computes it (for tables and checks).
int ToneChannel(int v, const ToneSettings& settings);

// The grayscale value of a pixel: (0.3 r + 0.59 g) + 0.11 b in extended precision,
// rounded to the nearest integer with halves to even.
int GrayValue(int r, int g, int b);

} // namespace tesselka

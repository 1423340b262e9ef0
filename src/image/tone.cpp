#include "image/tone.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <numbers>

namespace tesselka {

// Splitlight and grayscale are defined in 80-bit extended arithmetic; with a narrower
// long double a few grayscale halves and sine steps would round the other way.
static_assert(std::numeric_limits<long double>::digits == 64,
              "tone adjustments need 80-bit extended arithmetic (64-bit mantissa)");

namespace {

// One splitlight step: sin(v / 255 * pi / 2) * 255 in extended precision, in exactly
// that order, rounded to double and then to the nearest integer (halves to even).
int SplitlightStep(int v)
{
    long double x = (long double)v / 255.0L;
    x = x * std::numbers::pi_v<long double>;
    x = x / 2.0L;
    long double s = std::sin(x) * 255.0L;
    return int(std::nearbyint(double(s)));
}

ToneSettings Clamped(const ToneSettings& s)
{
    ToneSettings c = s;
    c.brightness = std::clamp(s.brightness, -255, 255);
    c.contrast = std::clamp(s.contrast, -255, 255);
    c.saturation = std::clamp(s.saturation, -255, 255);
    c.darkness = std::clamp(s.darkness, -255, 255);
    c.lightness = std::clamp(s.lightness, -255, 255);
    c.splitlight = std::clamp(s.splitlight, 0, 10);
    return c;
}

int ChannelOfClamped(int v, const ToneSettings& s)
{
    int contrastTerm = 0;
    if (s.contrast != 0) {
        const int t = (std::abs(127 - v) * s.contrast) / 255;
        contrastTerm = v > 127 ? t : -t;
    }
    const int lightnessTerm = s.lightness != 0 ? ((255 - v) * s.lightness) / 255 : 0;
    const int darknessTerm = s.darkness != 0 ? (-(s.darkness * v)) / 255 : 0;
    int out = ClampByte(v + contrastTerm + lightnessTerm + darknessTerm + s.brightness);
    for (int k = 0; k < s.splitlight; ++k)
        out = SplitlightStep(out);
    return out;
}

// The grayscale value from the exact sum 100 y = 30 r + 59 g + 11 b. The extended
// computation differs from the exact one by far less than 0.01, so it rounds the same
// way except on exact halves, where its own tiny error decides: those are marked -1 in
// this table and take the slow path.
struct GrayRounding
{
    int16_t value[30 * 255 + 59 * 255 + 11 * 255 + 1];
    GrayRounding()
    {
        for (int sum = 0; sum <= 100 * 255; ++sum) {
            const int whole = sum / 100, rest = sum % 100;
            value[sum] = int16_t(rest == 50 ? -1 : whole + (rest > 50));
        }
    }
};

// GrayValue for a pixel whose exact sum 100 y lies on a half: the extended result is
// compared with that half instead of calling the rounding function, which saves and
// restores the floating-point environment and would dominate the loop.
int GrayOfHalf(int r, int g, int b, int sum)
{
    long double y = 0.3L * (long double)r;
    y = y + 0.59L * (long double)g;
    y = y + 0.11L * (long double)b;
    const int whole = sum / 100;
    const long double half = (long double)whole + 0.5L;
    if (y > half)
        return whole + 1;
    if (y < half)
        return whole;
    return whole + (whole & 1);
}

const GrayRounding& GrayTable()
{
    static const GrayRounding table;
    return table;
}

inline TColor32 Pack(int r, int g, int b)
{
    return 0xFF000000u | (TColor32(r) << 16) | (TColor32(g) << 8) | TColor32(b);
}

} // namespace

int ToneChannel(int v, const ToneSettings& settings)
{
    return ChannelOfClamped(v, Clamped(settings));
}

int GrayValue(int r, int g, int b)
{
    // The weights are held in extended precision, every product and sum rounded to it.
    const long double wr = 0.3L, wg = 0.59L, wb = 0.11L;
    long double y = wr * (long double)r;
    y = y + wg * (long double)g;
    y = y + wb * (long double)b;
    return int(std::nearbyint(y));
}

ToneAdjuster::ToneAdjuster(const ToneSettings& settings)
{
    const ToneSettings s = Clamped(settings);
    invertXor_ = s.invert ? 0xFF : 0; // 255 - v for a byte
    if (s.Neutral()) {
        step_ = Step::Opaque;
        return;
    }
    // Every per-channel term depends on the channel value alone.
    for (int v = 0; v < 256; ++v)
        channel_[v] = uint8_t(ChannelOfClamped(v, s));
    if (s.grayscale) {
        // A pixel costs three lookups, two additions and the rounding lookup.
        step_ = Step::Grayscale;
        for (int v = 0; v < 256; ++v) {
            red30_[v] = 30 * channel_[v];
            green59_[v] = 59 * channel_[v];
            blue11_[v] = 11 * channel_[v];
        }
    } else if (s.saturation != 0) {
        // (d * (S + 255)) / 255 for every difference d = v - m in -255..255, the mean of
        // every channel sum, and the clamp of every possible result (-510..765), inverted
        // when asked.
        step_ = Step::Saturation;
        for (int d = -255; d <= 255; ++d)
            spread_[d + 255] = (d * (s.saturation + 255)) / 255;
        for (int sum = 0; sum < 766; ++sum)
            mean_[sum] = sum / 3;
        for (int v = -510; v <= 765; ++v)
            clampInvert_[v + 510] = uint8_t(ClampByte(v) ^ invertXor_);
    } else {
        // No colour step: invert folds into the table, and each pixel is three lookups.
        step_ = Step::Channels;
        for (int v = 0; v < 256; ++v)
            channel_[v] = uint8_t(channel_[v] ^ invertXor_);
    }
}

void ToneAdjuster::Apply(const TColor32* in, TColor32* out, size_t count) const
{
    switch (step_) {
    case Step::Opaque:
        for (size_t i = 0; i < count; ++i)
            out[i] = in[i] | 0xFF000000u;
        return;
    case Step::Grayscale: {
        const int16_t* rounding = GrayTable().value;
        for (size_t i = 0; i < count; ++i) {
            const TColor32 c = in[i];
            const unsigned r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
            const int sum = red30_[r] + green59_[g] + blue11_[b];
            int y = rounding[sum];
            if (y < 0) [[unlikely]]
                y = GrayOfHalf(channel_[r], channel_[g], channel_[b], sum);
            y ^= invertXor_;
            out[i] = Pack(y, y, y);
        }
        return;
    }
    case Step::Saturation: {
        const int* spreadAt = spread_ + 255;
        const uint8_t* finish = clampInvert_ + 510;
        for (size_t i = 0; i < count; ++i) {
            const TColor32 c = in[i];
            const int r = channel_[(c >> 16) & 0xFF], g = channel_[(c >> 8) & 0xFF], b = channel_[c & 0xFF];
            const int m = mean_[r + g + b];
            out[i] = Pack(finish[spreadAt[r - m] + m], finish[spreadAt[g - m] + m], finish[spreadAt[b - m] + m]);
        }
        return;
    }
    case Step::Channels:
        for (size_t i = 0; i < count; ++i) {
            const TColor32 c = in[i];
            out[i] = Pack(channel_[(c >> 16) & 0xFF], channel_[(c >> 8) & 0xFF], channel_[c & 0xFF]);
        }
        return;
    }
}

void AdjustTone(const Bitmap32& source, Bitmap32& result, const ToneSettings& settings)
{
    const size_t count = size_t(source.Width()) * size_t(source.Height());
    result.SetSize(source.Width(), source.Height());
    if (count == 0)
        return;
    ToneAdjuster(settings).Apply(source.Bits(), result.Bits(), count);
}

} // namespace tesselka

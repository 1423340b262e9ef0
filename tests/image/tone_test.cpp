#include "image/tone.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <numbers>

using namespace tesselka;

namespace {

// The adjustment written out pixel by pixel, term by term, without tables, as the
// yardstick for AdjustTone's tables and shortcuts.
TColor32 Reference(TColor32 pixel, const ToneSettings& s)
{
    int c[3] = {Red32(pixel), Green32(pixel), Blue32(pixel)};
    for (int& v : c) {
        int contrast = 0;
        if (s.contrast != 0) {
            int t = (std::abs(127 - v) * s.contrast) / 255;
            contrast = v > 127 ? t : -t;
        }
        int lightness = s.lightness != 0 ? ((255 - v) * s.lightness) / 255 : 0;
        int darkness = s.darkness != 0 ? (-(s.darkness * v)) / 255 : 0;
        v = ClampByte(v + contrast + lightness + darkness + s.brightness);
    }
    for (int k = 0; k < s.splitlight; ++k) {
        for (int& v : c) {
            long double x = (long double)v / 255;
            x = x * std::numbers::pi_v<long double>;
            x = x / 2;
            long double y = sinl(x);
            y = y * 255;
            v = int(std::nearbyint(double(y)));
        }
    }
    if (s.grayscale) {
        long double y = (0.3L * c[0] + 0.59L * c[1]) + 0.11L * c[2];
        c[0] = c[1] = c[2] = int(nearbyintl(y));
    } else if (s.saturation != 0) {
        int m = (c[0] + c[1] + c[2]) / 3;
        for (int& v : c)
            v = ClampByte(((v - m) * (s.saturation + 255)) / 255 + m);
    }
    if (s.invert)
        for (int& v : c)
            v = 255 - v;
    return Color32(c[0], c[1], c[2]);
}

// One pixel of every grey level 0..255 in each channel (r = v, g = 255 - v, b = v / 2),
// plus a random sample of colours, so each table entry is used.
Bitmap32 Probe()
{
    Bitmap32 bitmap(256, 5);
    std::srand(7);
    for (int x = 0; x < 256; ++x) {
        bitmap.SetPixel(x, 0, Color32(x, 255 - x, x / 2));
        for (int y = 1; y < 5; ++y)
            bitmap.SetPixel(x, y, Color32(std::rand() % 256, std::rand() % 256, std::rand() % 256));
    }
    return bitmap;
}

int One(int v, ToneSettings s)
{
    Bitmap32 in(1, 1), out;
    in.SetPixel(0, 0, Color32(v, v, v));
    AdjustTone(in, out, s);
    return Red32(out.Pixel(0, 0));
}

int GrayOf(int r, int g, int b)
{
    Bitmap32 in(1, 1), out;
    in.SetPixel(0, 0, Color32(r, g, b));
    ToneSettings s;
    s.grayscale = true;
    AdjustTone(in, out, s);
    return Red32(out.Pixel(0, 0));
}

} // namespace

TEST(AdjustTone, WorkedValues)
{
    ToneSettings contrast{.contrast = 255};
    EXPECT_EQ(One(0, contrast), 0);
    EXPECT_EQ(One(127, contrast), 127);
    EXPECT_EQ(One(128, contrast), 129);
    EXPECT_EQ(One(255, contrast), 255);
    ToneSettings flat{.contrast = -255};
    EXPECT_EQ(One(0, flat), 127);
    EXPECT_EQ(One(255, flat), 127);
    for (int v : {0, 1, 100, 127, 128, 200, 255}) {
        EXPECT_EQ(One(v, {.lightness = 255}), 255);
        EXPECT_EQ(One(v, {.lightness = -255}), ClampByte(2 * v - 255));
        EXPECT_EQ(One(v, {.darkness = 255}), 0);
        EXPECT_EQ(One(v, {.darkness = -255}), ClampByte(2 * v));
        EXPECT_EQ(One(v, {.invert = true}), 255 - v);
    }
    const int split[][2] = {{1, 2}, {64, 98}, {128, 181}, {192, 236}, {254, 255}, {0, 0}, {255, 255}};
    for (auto [in, out] : split)
        EXPECT_EQ(One(in, {.splitlight = 1}), out) << in;
    EXPECT_EQ(One(128, {.splitlight = 2}), 229);
    EXPECT_EQ(One(128, {.splitlight = 3}), 252);

    EXPECT_EQ(GrayOf(255, 0, 0), 76);
    EXPECT_EQ(GrayOf(0, 255, 0), 150);
    EXPECT_EQ(GrayOf(0, 0, 255), 28);
    EXPECT_EQ(GrayOf(255, 255, 255), 255);
    // Exact halves go to the even neighbour; 25 red lies just above 7.5 in extended.
    EXPECT_EQ(GrayOf(15, 0, 0), 4);
    EXPECT_EQ(GrayOf(35, 0, 0), 10);
    EXPECT_EQ(GrayOf(25, 0, 0), 8);
}

TEST(AdjustTone, EdgeCasesOfTheTerms)
{
    EXPECT_EQ(One(200, {.brightness = 100}), 255);
    EXPECT_EQ(One(50, {.brightness = -100}), 0);
    EXPECT_EQ(One(200, {.contrast = 100}), 228);
    EXPECT_EQ(One(20, {.contrast = 100}), 0);

    Bitmap32 in(1, 1), out;
    in.SetPixel(0, 0, Color32(200, 50, 80)); // mean 110
    AdjustTone(in, out, {.saturation = -255});
    EXPECT_EQ(out.Pixel(0, 0), Color32(110, 110, 110));
    AdjustTone(in, out, {.saturation = 255});
    EXPECT_EQ(out.Pixel(0, 0), Color32(255, 0, 50));
    // Grayscale wins over saturation; invert comes last.
    AdjustTone(in, out, {.saturation = 255, .grayscale = true, .invert = true});
    const int y = GrayValue(200, 50, 80);
    EXPECT_EQ(out.Pixel(0, 0), Color32(255 - y, 255 - y, 255 - y));
}

TEST(AdjustTone, NeutralCopiesAndEmptyStaysEmpty)
{
    Bitmap32 source = Probe();
    Bitmap32 result(3, 3);
    AdjustTone(source, result, ToneSettings{});
    EXPECT_EQ(result, source);

    AdjustTone(Bitmap32(), result, ToneSettings{.brightness = 5});
    EXPECT_TRUE(result.Empty());
    EXPECT_EQ(result.Width(), 0);

    // The fourth byte carries nothing: the result is opaque.
    Bitmap32 translucent(1, 1);
    translucent.SetPixel(0, 0, 0x00123456u);
    AdjustTone(translucent, result, ToneSettings{});
    EXPECT_EQ(result.Pixel(0, 0), 0xFF123456u);
}

TEST(AdjustTone, TablesMatchTheFormulasForEveryValue)
{
    const Bitmap32 source = Probe();
    const ToneSettings cases[] = {
        {.brightness = 37},
        {.brightness = -255, .contrast = 255},
        {.contrast = -90, .lightness = 40},
        {.contrast = 13, .darkness = -77, .lightness = -20},
        {.darkness = 255, .lightness = 255},
        {.brightness = -20, .contrast = 60, .darkness = 30, .lightness = 10, .splitlight = 1},
        {.splitlight = 10},
        {.saturation = 120},
        {.saturation = -200, .invert = true},
        {.brightness = 10, .contrast = -40, .saturation = 90, .darkness = 5, .lightness = -8, .splitlight = 2},
        {.brightness = 3,
         .contrast = 40,
         .saturation = 50,
         .darkness = -12,
         .lightness = 7,
         .splitlight = 4,
         .grayscale = true,
         .invert = true},
        {.invert = true},
        {.grayscale = true},
    };
    for (const ToneSettings& s : cases) {
        Bitmap32 result;
        AdjustTone(source, result, s);
        for (int y = 0; y < source.Height(); ++y)
            for (int x = 0; x < source.Width(); ++x)
                ASSERT_EQ(result.Pixel(x, y), Reference(source.Pixel(x, y), s))
                    << "pixel " << x << "," << y << " B" << s.brightness << " C" << s.contrast << " S" << s.saturation
                    << " D" << s.darkness << " L" << s.lightness << " K" << s.splitlight << " G" << s.grayscale << " I"
                    << s.invert;
    }
}

TEST(AdjustTone, GrayscaleMatchesExtendedArithmeticForEveryColour)
{
    // All 16.7 million colours: the fast integer path must agree with the extended
    // computation everywhere, including each exact half.
    Bitmap32 all(4096, 4096);
    for (int i = 0; i < 1 << 24; ++i)
        all.Bits()[i] = 0xFF000000u | TColor32(i);
    Bitmap32 result;
    AdjustTone(all, result, ToneSettings{.grayscale = true});
    for (int i = 0; i < 1 << 24; ++i) {
        const TColor32 c = all.Bits()[i];
        const long double y = (0.3L * Red32(c) + 0.59L * Green32(c)) + 0.11L * Blue32(c);
        const int want = int(nearbyintl(y));
        if (Red32(result.Bits()[i]) != want) {
            ADD_FAILURE() << "colour " << std::hex << (c & 0xFFFFFF) << std::dec << " gives " << Red32(result.Bits()[i])
                          << ", not " << want;
            break;
        }
    }
}

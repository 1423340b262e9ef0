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

TEST(AdjustTone, WorkedValuesAndEdges)
{
    EXPECT_EQ(One(0, {.contrast = 255}), 0);
    EXPECT_EQ(One(127, {.contrast = 255}), 127);
    EXPECT_EQ(One(128, {.contrast = 255}), 129);
    EXPECT_EQ(One(0, {.contrast = -255}), 127);
    EXPECT_EQ(One(255, {.contrast = -255}), 127);
    EXPECT_EQ(One(200, {.contrast = 100}), 228);
    EXPECT_EQ(One(20, {.contrast = 100}), 0);
    EXPECT_EQ(One(200, {.brightness = 100}), 255);
    EXPECT_EQ(One(50, {.brightness = -100}), 0);
    for (int v : {0, 100, 127, 128, 255}) {
        EXPECT_EQ(One(v, {.lightness = 255}), 255);
        EXPECT_EQ(One(v, {.lightness = -255}), ClampByte(2 * v - 255));
        EXPECT_EQ(One(v, {.darkness = 255}), 0);
        EXPECT_EQ(One(v, {.darkness = -255}), ClampByte(2 * v));
    }
    const int split[][2] = {{1, 2}, {64, 98}, {128, 181}, {192, 236}, {254, 255}, {0, 0}, {255, 255}};
    for (auto [in, out] : split)
        EXPECT_EQ(One(in, {.splitlight = 1}), out) << in;
    EXPECT_EQ(One(128, {.splitlight = 3}), 252);

    EXPECT_EQ(GrayOf(255, 0, 0), 76);
    EXPECT_EQ(GrayOf(0, 255, 0), 150);
    EXPECT_EQ(GrayOf(0, 0, 255), 28);
    EXPECT_EQ(GrayOf(255, 255, 255), 255);
    // Exact halves go to the even neighbour; 25 red lies just above 7.5 in extended.
    EXPECT_EQ(GrayOf(15, 0, 0), 4);
    EXPECT_EQ(GrayOf(35, 0, 0), 10);
    EXPECT_EQ(GrayOf(25, 0, 0), 8);

    Bitmap32 in(1, 1), out;
    in.SetPixel(0, 0, Color32(200, 50, 80)); // mean 110
    AdjustTone(in, out, {.saturation = -255});
    EXPECT_EQ(out.Pixel(0, 0), Color32(110, 110, 110));
    AdjustTone(in, out, {.saturation = 255});
    EXPECT_EQ(out.Pixel(0, 0), Color32(255, 0, 50));
    // Grayscale wins over saturation; invert comes last.
    AdjustTone(in, out, {.saturation = 255, .grayscale = true, .invert = true});
    EXPECT_EQ(out.Pixel(0, 0), Color32(255 - 98, 255 - 98, 255 - 98));
}

TEST(AdjustTone, NeutralCopiesOpaqueAndEmptyStaysEmpty)
{
    Bitmap32 source = Probe();
    source.Bits()[0] &= 0x00FFFFFFu; // the fourth byte carries nothing
    Bitmap32 result(3, 3);
    AdjustTone(source, result, ToneSettings{});
    source.Bits()[0] |= 0xFF000000u;
    EXPECT_EQ(result, source);
    AdjustTone(Bitmap32(), result, ToneSettings{.brightness = 5});
    EXPECT_EQ(result.Width(), 0);
}

TEST(AdjustTone, TablesMatchTheFormulasForEveryValue)
{
    const Bitmap32 source = Probe();
    // brightness, contrast, saturation, darkness, lightness, splitlight, grayscale, invert
    const ToneSettings cases[] = {
        {37, -255, 0, 0, 0, 0, false, false},   {0, 13, 0, -77, -20, 0, false, false},
        {0, -90, 0, 255, 255, 0, false, false}, {-20, 60, 0, 30, 10, 1, false, false},
        {0, 0, 0, 0, 0, 10, false, false},      {0, 0, -200, 0, 0, 0, false, true},
        {10, -40, 90, 5, -8, 2, false, false},  {3, 40, 50, -12, 7, 4, true, true},
        {0, 0, 0, 0, 0, 0, true, false},        {0, 0, 0, 0, 0, 0, false, true},
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

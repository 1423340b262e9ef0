#include "reduce/reduce_colors.h"

#include "common/error.h"
#include "reduce_test_util.h"

#include <gtest/gtest.h>

namespace tesselka {
namespace {

using test::PaletteOf;
using test::PictureOf;

std::string ErrorText(const std::function<void()>& f)
{
    try {
        f();
    } catch (const Error& e) {
        return e.what();
    }
    return {};
}

TEST(ReduceBitmapColors, BmpBytesOfASmallResult)
{
    // Two colours, 3 x 2: rows of 3 bytes padded to 4, bottom row first.
    Bitmap32 picture = PictureOf(3, {{10, 20, 30},
                                     {200, 100, 50},
                                     {200, 100, 50}, //
                                     {200, 100, 50},
                                     {10, 20, 30},
                                     {10, 20, 30}});
    IndexedBitmap result;
    ASSERT_TRUE(ReduceBitmapColors(picture, ReduceCustomPalette, DitherNearest, 8,
                                   PaletteOf({{10, 20, 30}, {200, 100, 50}}), result));
    std::vector<uint8_t> bmp = result.BmpBytes();
    ASSERT_EQ(bmp.size(), 14u + 40u + 1024u + 8u);
    const std::vector<uint8_t> headers = {
        'B', 'M', 0x3E, 0x04, 0,  0,   0,   0, 0, 0, 0x36, 0x04, 0, 0,       // size 1086, pixels at 1078
        40,  0,   0,    0,    3,  0,   0,   0, 2, 0, 0,    0,                // info size, width, height
        1,   0,   8,    0,                                                   // planes, bits
        0,   0,   0,    0,    0,  0,   0,   0, 0, 0, 0,    0,    0, 0, 0, 0, // compression, size, resolutions
        0,   1,   0,    0,    2,  0,   0,   0,                               // 256 used, 2 important
        30,  20,  10,   0,    50, 100, 200, 0,                               // blue, green, red, 0
    };
    EXPECT_EQ(std::vector<uint8_t>(bmp.begin(), bmp.begin() + long(headers.size())), headers);
    EXPECT_EQ(std::vector<uint8_t>(bmp.begin() + long(headers.size()), bmp.begin() + 1078),
              std::vector<uint8_t>(1078 - headers.size(), 0));
    const uint8_t* pixels = bmp.data() + 1078; // byte 3 of each row is padding
    EXPECT_EQ((std::vector<int>{pixels[0], pixels[1], pixels[2], pixels[4], pixels[5], pixels[6]}),
              (std::vector<int>{1, 0, 0, 0, 1, 1}));
}

TEST(ReduceBitmapColors, EmptyPicturesPalettesAndUnknownKinds)
{
    const ReductionPalette two = PaletteOf({{0, 0, 0}, {255, 255, 255}});
    IndexedBitmap result;
    for (Bitmap32 empty : {Bitmap32(5, 0), Bitmap32(0, 5)})
        EXPECT_EQ(ErrorText([&] { ReduceBitmapColors(empty, ReduceCustomPalette, DitherStucki, 8, two, result); }),
                  "Invalid image dimensions");
    EXPECT_FALSE(ErrorText([&] {
                     ReduceBitmapColors(PictureOf(1, {{1, 2, 3}}), ReduceOctree, DitherStucki, 8, two, result);
                 }).empty());

    // An empty palette, or a kind beyond the seven, leaves an empty result without error,
    // also when the result held a picture before.
    Bitmap32 picture = PictureOf(2, {{1, 2, 3}, {4, 5, 6}});
    for (DitherKind kind : {DitherStucki, DitherKind(7)}) {
        ASSERT_TRUE(ReduceBitmapColors(picture, ReduceCustomPalette, DitherStucki, 8, two, result));
        ASSERT_EQ(result.Width(), 2);
        const ReductionPalette palette = kind == DitherStucki ? ReductionPalette{} : two;
        EXPECT_TRUE(ReduceBitmapColors(picture, ReduceCustomPalette, kind, 8, palette, result));
        EXPECT_TRUE(result.Empty());
        EXPECT_TRUE(result.Palette.empty());
    }
}

TEST(ReduceBitmapColors, EveryKindMatchesThePerPixelPathAndIsRepeatable)
{
    const Bitmap32 photo = test::LoadPhoto();
    ASSERT_FALSE(photo.Empty());
    const ReductionPalette palette = PaletteOf({{0, 0, 0}, {255, 255, 255}, {200, 50, 0}, {0, 60, 160}, {90, 90, 90}});
    for (int kind = DitherNearest; kind <= DitherBurkes; ++kind) {
        IndexedBitmap first, reused;
        ASSERT_TRUE(ReduceBitmapColors(photo, ReduceCustomPalette, DitherKind(kind), 8, palette, first));
        ASSERT_EQ(first.Palette.size(), 5u);

        // The driver's row routines against the per-pixel virtual interface.
        TFastColorLookup lookup(palette);
        std::unique_ptr<TDitherEngine> engine = CreateDitherer(kind, photo.Width(), &lookup);
        std::vector<int> perPixel = test::RunVirtual(*engine, photo);
        std::vector<int> driver;
        for (int y = 0; y < first.Height(); ++y)
            for (int x = 0; x < first.Width(); ++x)
                driver.push_back(first.Index(x, y));
        EXPECT_EQ(driver, perPixel) << "kind " << kind;
        if (kind == DitherFloydSteinberg) {
            IndexedBitmap baseline;
            AllowAvxRowRoutine(false);
            ASSERT_TRUE(ReduceBitmapColors(photo, ReduceCustomPalette, DitherKind(kind), 8, palette, baseline));
            AllowAvxRowRoutine(true);
            EXPECT_EQ(first.BmpBytes(), baseline.BmpBytes()) << "without AVX";
        }

        // A smaller picture in between leaves stale indices in the reused buffer.
        ASSERT_TRUE(ReduceBitmapColors(PictureOf(3, {{9, 9, 9}, {250, 0, 0}, {0, 0, 250}}), ReduceCustomPalette,
                                       DitherKind(kind), 8, palette, reused));
        ASSERT_TRUE(ReduceBitmapColors(photo, ReduceCustomPalette, DitherKind(kind), 8, palette, reused));
        EXPECT_EQ(first.BmpBytes(), reused.BmpBytes()) << "kind " << kind;

        Bitmap32 shown;
        first.ToBitmap32(shown);
        ASSERT_EQ(shown.Width(), photo.Width());
        for (int y = 0; y < shown.Height(); y += 7)
            for (int x = 0; x < shown.Width(); x += 5) {
                const ReductionPalette::Entry& e = palette.entries[first.Index(x, y)];
                ASSERT_EQ(shown.Pixel(x, y), Color32(e.red, e.green, e.blue));
            }
    }
}

TEST(ReduceBitmapColors, NarrowPicturesMatchThePerPixelPath)
{
    // One to four columns: the row routines' kernel writes must stay in the margins.
    // 15 to 17: Floyd-Steinberg's running values trail its lookups by 16 pixels.
    const Bitmap32 photo = test::LoadPhoto();
    const ReductionPalette palette = PaletteOf({{0, 0, 0}, {255, 255, 255}, {200, 50, 0}, {90, 90, 90}});
    for (int width : {1, 2, 3, 4, 15, 16, 17}) {
        Bitmap32 strip(width, 40);
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < width; ++x)
                strip.SetPixel(x, y, photo.Pixel(100 + x, 3 * y));
        for (int kind = DitherNearest; kind <= DitherBurkes; ++kind)
            for (bool avx : {true, false}) {
                AllowAvxRowRoutine(avx);
                IndexedBitmap result;
                ASSERT_TRUE(ReduceBitmapColors(strip, ReduceCustomPalette, DitherKind(kind), 8, palette, result));
                AllowAvxRowRoutine(true);
                TFastColorLookup lookup(palette);
                std::unique_ptr<TDitherEngine> engine = CreateDitherer(kind, width, &lookup);
                std::vector<int> perPixel = test::RunVirtual(*engine, strip);
                std::vector<int> driver(result.Row(0), result.Row(0) + width * 40);
                EXPECT_EQ(driver, perPixel) << "kind " << kind << ", width " << width << (avx ? "" : ", without AVX");
            }
    }
}

TEST(ReduceBitmapColors, FixedPaletteModesAndProgress)
{
    IndexedBitmap result;
    ASSERT_TRUE(ReduceBitmapColors(PictureOf(1, {{255, 128, 47}}), ReduceWeb216, DitherNearest, 8, {}, result));
    ASSERT_EQ(result.Palette.size(), 216u);
    EXPECT_EQ(result.Index(0, 0), 36 * 5 + 6 * 2);
    EXPECT_EQ(result.Palette[36 * 5 + 6 * 2].green, 102);

    const Bitmap32 photo = test::LoadPhoto();
    int lastDone = 0;
    ASSERT_TRUE(ReduceBitmapColors(photo, ReduceCustomPalette, DitherBurkes, 8, test::AllPanelColours(), result,
                                   [&](int done, int total) {
                                       EXPECT_EQ(total, photo.Height());
                                       lastDone = done;
                                       return true;
                                   }));
    EXPECT_EQ(lastDone, photo.Height());
    EXPECT_FALSE(ReduceBitmapColors(photo, ReduceCustomPalette, DitherBurkes, 8, test::AllPanelColours(), result,
                                    [](int, int) { return false; }));
    EXPECT_TRUE(result.Empty());
}

} // namespace
} // namespace tesselka

namespace tesselka {
namespace {

// Sampling the grid from the indices must give the pixels of scaling the full-size
// picture in palette colours: the command line relies on it to skip that picture.
TEST(IndexedBitmap, StretchToEqualsTheFullPictureStretched)
{
    IndexedBitmap indices;
    indices.SetSize(37, 23);
    indices.Palette = {{10, 20, 30, 4}, {200, 100, 50, 4}, {0, 0, 0, 4}, {255, 255, 255, 4}};
    uint32_t seed = 12345;
    for (int y = 0; y < indices.Height(); ++y)
        for (int x = 0; x < indices.Width(); ++x) {
            seed = seed * 1103515245u + 12345u;
            indices.Row(y)[x] = uint8_t((seed >> 16) % 4);
        }
    Bitmap32 full;
    indices.ToBitmap32(full);
    for (auto [w, h] : {std::pair{5, 3}, std::pair{37, 23}, std::pair{80, 61}, std::pair{1, 1}, std::pair{36, 24}}) {
        Bitmap32 expected(w, h), actual(w, h);
        expected.StretchFrom(full);
        indices.StretchTo(actual);
        EXPECT_TRUE(actual == expected) << w << " x " << h;
    }
}

} // namespace
} // namespace tesselka

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
        'B',  'M',  0x3E, 0x04, 0,  0,   0,   0, 0, 0, 0x36, 0x04, 0, 0, // file header: size 1086, offset 1078
        40,   0,    0,    0,                                             // info header size
        3,    0,    0,    0,    2,  0,   0,   0,                         // width, height (bottom-up)
        1,    0,    8,    0,                                             // planes, bits
        0,    0,    0,    0,    0,  0,   0,   0,                         // no compression, image size 0
        0,    0,    0,    0,    0,  0,   0,   0,                         // resolutions
        0x00, 0x01, 0,    0,    2,  0,   0,   0,                         // 256 used, 2 important
        30,   20,   10,   0,    50, 100, 200, 0,                         // blue, green, red, 0
    };
    EXPECT_EQ(std::vector<uint8_t>(bmp.begin(), bmp.begin() + long(headers.size())), headers);
    for (size_t i = headers.size(); i < 14 + 40 + 1024; ++i)
        ASSERT_EQ(bmp[i], 0) << "colour table byte " << i;
    const uint8_t* pixels = bmp.data() + 1078;
    // Bottom row (1, 0, 0), then the top row (0, 1, 1); byte 3 of each row is padding.
    EXPECT_EQ((std::vector<int>{pixels[0], pixels[1], pixels[2]}), (std::vector<int>{1, 0, 0}));
    EXPECT_EQ((std::vector<int>{pixels[4], pixels[5], pixels[6]}), (std::vector<int>{0, 1, 1}));
}

TEST(ReduceBitmapColors, EmptyPicturesPalettesAndUnknownKinds)
{
    const ReductionPalette two = PaletteOf({{0, 0, 0}, {255, 255, 255}});
    IndexedBitmap result;
    Bitmap32 noRows(5, 0), noColumns(0, 5);
    EXPECT_EQ(ErrorText([&] { ReduceBitmapColors(noRows, ReduceCustomPalette, DitherStucki, 8, two, result); }),
              "Invalid image dimensions");
    EXPECT_EQ(ErrorText([&] { ReduceBitmapColors(noColumns, ReduceCustomPalette, DitherStucki, 8, two, result); }),
              "Invalid image dimensions");

    Bitmap32 picture = PictureOf(2, {{1, 2, 3}, {4, 5, 6}});
    ASSERT_TRUE(ReduceBitmapColors(picture, ReduceCustomPalette, DitherStucki, 8, two, result));
    EXPECT_EQ(result.Width(), 2);
    // An empty palette, then a kind beyond the seven, each leave an empty result.
    EXPECT_TRUE(ReduceBitmapColors(picture, ReduceCustomPalette, DitherStucki, 8, ReductionPalette{}, result));
    EXPECT_TRUE(result.Empty());
    EXPECT_EQ(result.Width(), 0);
    EXPECT_TRUE(result.Palette.empty());
    ASSERT_TRUE(ReduceBitmapColors(picture, ReduceCustomPalette, DitherStucki, 8, two, result));
    EXPECT_TRUE(ReduceBitmapColors(picture, ReduceCustomPalette, DitherKind(7), 8, two, result));
    EXPECT_TRUE(result.Empty());

    EXPECT_FALSE(ErrorText([&] { ReduceBitmapColors(picture, ReduceOctree, DitherStucki, 8, two, result); }).empty());
}

TEST(ReduceBitmapColors, PixelsAreIndicesOfTheCopiedPalette)
{
    Bitmap32 photo = test::LoadPhoto();
    ASSERT_FALSE(photo.Empty());
    const Bitmap32 before = photo;
    const ReductionPalette palette = PaletteOf({{0, 0, 0}, {255, 255, 255}, {200, 50, 0}, {0, 60, 160}, {90, 90, 90}});
    for (int kind = DitherNearest; kind <= DitherBurkes; ++kind) {
        IndexedBitmap result;
        ASSERT_TRUE(ReduceBitmapColors(photo, ReduceCustomPalette, DitherKind(kind), 8, palette, result));
        ASSERT_EQ(result.Width(), photo.Width());
        ASSERT_EQ(result.Height(), photo.Height());
        ASSERT_EQ(result.Palette.size(), 5u);
        std::vector<int> used(5, 0);
        for (int y = 0; y < result.Height(); ++y)
            for (int x = 0; x < result.Width(); ++x) {
                ASSERT_LT(result.Index(x, y), 5);
                ++used[result.Index(x, y)];
            }
        // Error diffusion mixes the dark blue in; nearest colour never reaches it.
        EXPECT_EQ(used[3] > 0, kind != DitherNearest) << "kind " << kind;
        for (int i : {0, 1, 2, 4})
            EXPECT_GT(used[size_t(i)], 0) << "kind " << kind << " colour " << i;

        Bitmap32 shown;
        result.ToBitmap32(shown);
        ASSERT_EQ(shown.Width(), photo.Width());
        for (int y = 0; y < shown.Height(); y += 7)
            for (int x = 0; x < shown.Width(); x += 5) {
                const ReductionPalette::Entry& e = palette.entries[result.Index(x, y)];
                ASSERT_EQ(shown.Pixel(x, y), Color32(e.red, e.green, e.blue));
            }
    }
    EXPECT_TRUE(photo == before);
}

TEST(ReduceBitmapColors, SameInputSameOutputAlsoWhenTheResultIsReused)
{
    Bitmap32 photo = test::LoadPhoto();
    const ReductionPalette palette = test::AllPanelColours();
    for (int kind = DitherNearest; kind <= DitherBurkes; ++kind) {
        IndexedBitmap first, reused;
        ASSERT_TRUE(ReduceBitmapColors(photo, ReduceCustomPalette, DitherKind(kind), 8, palette, first));
        // A smaller picture in between leaves the reused buffer holding stale indices.
        ASSERT_TRUE(ReduceBitmapColors(PictureOf(3, {{9, 9, 9}, {250, 0, 0}, {0, 0, 250}}), ReduceCustomPalette,
                                       DitherKind(kind), 8, palette, reused));
        ASSERT_TRUE(ReduceBitmapColors(photo, ReduceCustomPalette, DitherKind(kind), 8, palette, reused));
        EXPECT_EQ(first.BmpBytes(), reused.BmpBytes()) << "kind " << kind;
    }
}

TEST(ReduceBitmapColors, DriverGivesTheSameIndicesAsTheVirtualInterface)
{
    // The driver calls the ditherers without virtual dispatch; it must not change a pixel.
    Bitmap32 photo = test::LoadPhoto();
    const ReductionPalette palette = test::AllPanelColours();
    for (int kind = DitherNearest; kind <= DitherBurkes; ++kind) {
        IndexedBitmap result;
        ASSERT_TRUE(ReduceBitmapColors(photo, ReduceCustomPalette, DitherKind(kind), 8, palette, result));
        TFastColorLookup lookup(palette);
        std::unique_ptr<TDitherEngine> engine = CreateDitherer(kind, photo.Width(), &lookup);
        std::vector<int> expected = test::RunVirtual(*engine, photo);
        std::vector<int> actual;
        for (int y = 0; y < result.Height(); ++y)
            for (int x = 0; x < result.Width(); ++x)
                actual.push_back(result.Index(x, y));
        EXPECT_EQ(actual, expected) << "kind " << kind;
    }
}

TEST(ReduceBitmapColors, FixedPaletteModes)
{
    Bitmap32 picture = PictureOf(3, {{127, 127, 127}, {128, 128, 128}, {255, 128, 47}});
    IndexedBitmap result;
    ASSERT_TRUE(ReduceBitmapColors(picture, ReduceMonochrome, DitherNearest, 8, {}, result));
    EXPECT_EQ((std::vector<int>{result.Index(0, 0), result.Index(1, 0)}), (std::vector<int>{0, 1}));
    EXPECT_EQ(result.Palette.size(), 2u);

    ASSERT_TRUE(ReduceBitmapColors(picture, ReduceWeb216, DitherNearest, 8, {}, result));
    EXPECT_EQ(result.Palette.size(), 216u);
    int web = result.Index(2, 0);
    EXPECT_EQ(web, 36 * 5 + 6 * 2);
    EXPECT_EQ(result.Palette[size_t(web)].green, 102);

    ASSERT_TRUE(ReduceBitmapColors(picture, ReduceGray256, DitherNearest, 8, {}, result));
    EXPECT_EQ(result.Index(1, 0), 128);
    EXPECT_EQ(result.Palette[128].blue, 128);
}

TEST(ReduceBitmapColors, ProgressCanCancel)
{
    Bitmap32 photo = test::LoadPhoto();
    IndexedBitmap result;
    int calls = 0;
    int lastDone = 0;
    ASSERT_TRUE(ReduceBitmapColors(photo, ReduceCustomPalette, DitherBurkes, 8, test::AllPanelColours(), result,
                                   [&](int done, int total) {
                                       ++calls;
                                       lastDone = done;
                                       EXPECT_EQ(total, photo.Height());
                                       return true;
                                   }));
    EXPECT_GT(calls, 1);
    EXPECT_EQ(lastDone, photo.Height());
    EXPECT_FALSE(ReduceBitmapColors(photo, ReduceCustomPalette, DitherBurkes, 8, test::AllPanelColours(), result,
                                    [](int, int) { return false; }));
    EXPECT_TRUE(result.Empty());
}

} // namespace
} // namespace tesselka

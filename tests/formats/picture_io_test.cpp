#include "formats/picture_io.h"

#include "common/error.h"
#include "support/test_paths.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <zlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

using namespace tesselka;
using tesselka::test::DataFile;

namespace {

std::string Picture(const std::string& name)
{
    return DataFile("pictures/" + name);
}

struct Rgb
{
    int r, g, b;
};

Rgb At(const Bitmap32& bitmap, int x, int y)
{
    TColor32 c = bitmap.Pixel(x, y);
    return {Red32(c), Green32(c), Blue32(c)};
}

void ExpectRgb(const Bitmap32& bitmap, int x, int y, Rgb want, int tolerance = 0)
{
    Rgb got = At(bitmap, x, y);
    EXPECT_NEAR(got.r, want.r, tolerance) << "red at " << x << "," << y;
    EXPECT_NEAR(got.g, want.g, tolerance) << "green at " << x << "," << y;
    EXPECT_NEAR(got.b, want.b, tolerance) << "blue at " << x << "," << y;
    EXPECT_EQ(bitmap.Pixel(x, y) >> 24, 0xFFu) << "alpha at " << x << "," << y;
}

// The quadrant pictures: red, green / blue, white. Samples away from the edges, so the
// lossy formats only need a small tolerance.
void ExpectQuadrants(const Bitmap32& bitmap, int tolerance)
{
    const int w = bitmap.Width(), h = bitmap.Height();
    ExpectRgb(bitmap, w / 4, h / 4, {255, 0, 0}, tolerance);
    ExpectRgb(bitmap, 3 * w / 4, h / 4, {0, 255, 0}, tolerance);
    ExpectRgb(bitmap, w / 4, 3 * h / 4, {0, 0, 255}, tolerance);
    ExpectRgb(bitmap, 3 * w / 4, 3 * h / 4, {255, 255, 255}, tolerance);
}

std::string ErrorOf(const std::string& path)
{
    try {
        LoadPicture(path);
    } catch (const Error& e) {
        return e.what();
    }
    return "(no error)";
}

std::vector<uint8_t> ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

uint32_t Be32(const std::vector<uint8_t>& b, size_t at)
{
    return (uint32_t(b[at]) << 24) | (uint32_t(b[at + 1]) << 16) | (uint32_t(b[at + 2]) << 8) | b[at + 3];
}

Bitmap32 Sample(int w, int h)
{
    Bitmap32 bitmap(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            bitmap.SetPixel(x, y, Color32(x * 37 % 256, y * 53 % 256, (x * y + 11) % 256));
    return bitmap;
}

} // namespace

TEST(LoadPicture, JpegKinds)
{
    for (const char* name : {"rgb.jpg", "progressive.jpg", "cmyk.jpg"}) {
        SCOPED_TRACE(name);
        Bitmap32 picture = LoadPicture(Picture(name));
        ASSERT_EQ(picture.Width(), 32);
        ASSERT_EQ(picture.Height(), 24);
        ExpectQuadrants(picture, 12);
    }
    // Greyscale: the grey levels the file's maker gave red, green, blue and white.
    Bitmap32 gray = LoadPicture(Picture("gray.jpg"));
    ASSERT_EQ(gray.Width(), 32);
    ExpectRgb(gray, 8, 6, {54, 54, 54}, 3);
    ExpectRgb(gray, 24, 6, {182, 182, 182}, 3);
    ExpectRgb(gray, 8, 18, {18, 18, 18}, 3);
    ExpectRgb(gray, 24, 18, {255, 255, 255}, 3);
    // The extension decides, in any case.
    QTemporaryDir dir;
    std::string upper = dir.filePath("RGB.JPEG").toStdString();
    std::filesystem::copy_file(Picture("rgb.jpg"), upper);
    EXPECT_EQ(LoadPicture(upper), LoadPicture(Picture("rgb.jpg")));
}

TEST(LoadPicture, PngKindsAreExact)
{
    for (const char* name : {"rgb8.png", "palette.png", "interlaced.png"}) {
        SCOPED_TRACE(name);
        Bitmap32 picture = LoadPicture(Picture(name));
        ASSERT_EQ(picture.Width(), 8);
        ASSERT_EQ(picture.Height(), 6);
        ExpectQuadrants(picture, 0);
    }
    Bitmap32 gray1 = LoadPicture(Picture("gray1.png"));
    ExpectRgb(gray1, 0, 0, {0, 0, 0});
    ExpectRgb(gray1, 1, 0, {255, 255, 255});
    ExpectRgb(gray1, 7, 5, {0, 0, 0});

    // 16-bit samples scaled with rounding: v * 255 / 65535.
    Bitmap32 deep = LoadPicture(Picture("rgb16.png"));
    ASSERT_EQ(deep.Width(), 2);
    ExpectRgb(deep, 0, 0, {18, 128, 255});
    ExpectRgb(deep, 1, 0, {1, 127, 0});
}

TEST(LoadPicture, TransparencyIsDrawnOverWhite)
{
    Bitmap32 trns = LoadPicture(Picture("palette_trns.png"));
    ASSERT_EQ(trns.Width(), 3);
    ExpectRgb(trns, 0, 0, {255, 0, 0});
    ExpectRgb(trns, 1, 0, {255, 255, 255});
    ExpectRgb(trns, 2, 0, {127, 127, 127}); // black at alpha 128

    Bitmap32 grayAlpha = LoadPicture(Picture("gray_alpha.png"));
    ExpectRgb(grayAlpha, 0, 0, {100, 100, 100});
    ExpectRgb(grayAlpha, 1, 0, {255, 255, 255});

    Bitmap32 rgba = LoadPicture(Picture("rgba.png"));
    ExpectRgb(rgba, 0, 0, {10, 20, 30});
    ExpectRgb(rgba, 1, 0, {127, 127, 127});

    Bitmap32 gif = LoadPicture(Picture("transparent.gif"));
    ExpectRgb(gif, 1, 1, {255, 0, 0});
    ExpectRgb(gif, 6, 1, {255, 255, 255});
}

TEST(LoadPicture, GifBmpDibAndIcon)
{
    // The first frame of an animation (the second is all black).
    Bitmap32 gif = LoadPicture(Picture("animated.gif"));
    ASSERT_EQ(gif.Width(), 8);
    ExpectQuadrants(gif, 0);

    Bitmap32 bmp = LoadPicture(Picture("rgb24.bmp"));
    ASSERT_EQ(bmp.Height(), 6);
    ExpectQuadrants(bmp, 0);
    EXPECT_EQ(LoadPicture(Picture("rgb24.dib")), bmp);

    // The largest of 16 x 16 red, 48 x 48 blue and 32 x 32 green.
    Bitmap32 icon = LoadPicture(Picture("icon.ico"));
    ASSERT_EQ(icon.Width(), 48);
    ASSERT_EQ(icon.Height(), 48);
    ExpectRgb(icon, 24, 24, {0, 0, 255});
}

TEST(LoadPicture, MetafilesAreDrawnAtTheirOwnSize)
{
    // The size the metafile states, at 96 pixels per inch: both were written from a page
    // of 37.4 mm x 27.4 mm, 141 x 104 pixels (give or take the rounding of each format).
    struct Case
    {
        const char* name;
        int width, height;
    };
    for (Case c : {Case{"draw.emf", 141, 104}, Case{"draw.wmf", 141, 104}}) {
        SCOPED_TRACE(c.name);
        Bitmap32 picture = LoadPicture(Picture(c.name));
        EXPECT_NEAR(picture.Width(), c.width, 1);
        EXPECT_NEAR(picture.Height(), c.height, 1);
        const int w = picture.Width(), h = picture.Height();
        ExpectRgb(picture, w / 4, h / 2, {255, 0, 0});
        ExpectRgb(picture, 3 * w / 4, h / 2, {0, 0, 255});
    }
    // A bitmap inside a metafile lands on its own rectangle (here about x 17.8 to 53.2,
    // y 8.7 to 34.6 of 71 x 52), at the size the metafile gives it.
    for (const char* name : {"offset.emf", "offset.wmf"}) {
        SCOPED_TRACE(name);
        Bitmap32 picture = LoadPicture(Picture(name));
        ASSERT_NEAR(picture.Width(), 71, 1);
        ASSERT_NEAR(picture.Height(), 52, 1);
        ExpectRgb(picture, 5, 45, {255, 255, 0}, 8);
        ExpectRgb(picture, 65, 5, {255, 255, 0}, 8);
        ExpectRgb(picture, 26, 15, {255, 0, 0}, 8);
        ExpectRgb(picture, 45, 15, {0, 255, 0}, 8);
        ExpectRgb(picture, 26, 30, {0, 0, 255}, 8);
        ExpectRgb(picture, 45, 30, {255, 255, 255}, 8);
    }
}

TEST(LoadPicture, FailuresCarryTheDecodersMessage)
{
    EXPECT_EQ(ErrorOf(Picture("quad8.ppm")), "Unknown picture file extension (.ppm)");
    EXPECT_EQ(ErrorOf(Picture("README.md")), "Unknown picture file extension (.md)");
    EXPECT_EQ(ErrorOf("/no/such/folder/x.TIFF"), "Unknown picture file extension (.TIFF)");
    EXPECT_EQ(ErrorOf("/no/such/folder/noextension"), "Unknown picture file extension (.)");
    EXPECT_EQ(ErrorOf("/no/such/folder/x.png"), "File not found");

    EXPECT_EQ(ErrorOf(Picture("truncated.jpg")), "JPEG: Premature end of JPEG file");
    EXPECT_EQ(ErrorOf(Picture("badcrc.png")), "PNG: IDAT: CRC error");
    EXPECT_EQ(ErrorOf(Picture("empty.png")), "PNG: Read Error");
    EXPECT_EQ(ErrorOf(Picture("jpeg_in.png")), "PNG: Not a PNG file");

    // Every decoder refuses a zero-byte file instead of returning an empty picture.
    QTemporaryDir dir;
    for (const char* ext : {"jpg", "gif", "bmp", "ico", "emf", "wmf"}) {
        std::string path = dir.filePath(QStringLiteral("empty.") + ext).toStdString();
        std::ofstream(path).close();
        EXPECT_NE(ErrorOf(path), "(no error)") << ext;
    }
}

TEST(LoadPicture, HugeSizesAreRefusedBeforeDecoding)
{
    // A valid PNG header announcing 100000 x 100000 pixels (10 gigapixels), no data.
    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
    const uint8_t ihdr[13] = {0, 1, 0x86, 0xA0, 0, 1, 0x86, 0xA0, 8, 2, 0, 0, 0};
    png.insert(png.end(), ihdr, ihdr + 13);
    auto putCrc = [&png](size_t from) {
        uLong crc = crc32(0, png.data() + from, uInt(png.size() - from));
        for (int shift : {24, 16, 8, 0})
            png.push_back(uint8_t(crc >> shift));
    };
    putCrc(12);
    // An IDAT chunk of one byte: the header is all a decoder reads before allocating.
    const uint8_t idat[] = {0, 0, 0, 1, 'I', 'D', 'A', 'T', 0x78};
    png.insert(png.end(), idat, idat + sizeof idat);
    putCrc(png.size() - 5);
    QTemporaryDir dir;
    std::string path = dir.filePath("huge.png").toStdString();
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(png.data()), std::streamsize(png.size()));
    EXPECT_EQ(ErrorOf(path).rfind("Picture too large: 100000 x 100000 pixels", 0), 0u) << ErrorOf(path);

    // A JPEG frame header announcing 60000 x 60000 pixels.
    std::vector<uint8_t> jpeg = ReadBytes(Picture("rgb.jpg"));
    for (size_t i = 0; i + 8 < jpeg.size(); ++i) {
        if (jpeg[i] == 0xFF && (jpeg[i + 1] == 0xC0 || jpeg[i + 1] == 0xC2)) {
            jpeg[i + 5] = 0xEA, jpeg[i + 6] = 0x60, jpeg[i + 7] = 0xEA, jpeg[i + 8] = 0x60;
            break;
        }
    }
    std::string jpegPath = dir.filePath("huge.jpg").toStdString();
    std::ofstream(jpegPath, std::ios::binary)
        .write(reinterpret_cast<const char*>(jpeg.data()), std::streamsize(jpeg.size()));
    EXPECT_EQ(ErrorOf(jpegPath).rfind("Picture too large: 60000 x 60000 pixels", 0), 0u) << ErrorOf(jpegPath);
}

TEST(EncodePng, WritesExactlyTheFourPartsOfAnRgbPicture)
{
    Bitmap32 bitmap = Sample(5, 3);
    std::vector<uint8_t> bytes = EncodePng(bitmap);
    const uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    ASSERT_GT(bytes.size(), 8u + 25 + 12);
    EXPECT_TRUE(std::equal(signature, signature + 8, bytes.begin()));

    std::vector<std::string> chunks;
    std::vector<uint8_t> idat;
    for (size_t at = 8; at + 12 <= bytes.size();) {
        uint32_t length = Be32(bytes, at);
        std::string type(bytes.begin() + long(at) + 4, bytes.begin() + long(at) + 8);
        if (chunks.empty() || chunks.back() != type)
            chunks.push_back(type);
        if (type == "IHDR") {
            EXPECT_EQ(length, 13u);
            EXPECT_EQ(Be32(bytes, at + 8), 5u);
            EXPECT_EQ(Be32(bytes, at + 12), 3u);
            EXPECT_EQ(bytes[at + 16], 8); // bit depth
            EXPECT_EQ(bytes[at + 17], 2); // truecolour
            EXPECT_EQ(bytes[at + 18], 0); // compression
            EXPECT_EQ(bytes[at + 19], 0); // filter method
            EXPECT_EQ(bytes[at + 20], 0); // not interlaced
        }
        if (type == "IDAT")
            idat.insert(idat.end(), bytes.begin() + long(at) + 8, bytes.begin() + long(at) + 8 + length);
        at += 12 + length;
    }
    EXPECT_EQ(chunks, (std::vector<std::string>{"IHDR", "IDAT", "IEND"}));

    // The rows inflate to a filter byte and red, green, blue per pixel.
    std::vector<uint8_t> raw(3 * (1 + 5 * 3));
    uLongf rawSize = raw.size();
    ASSERT_EQ(uncompress(raw.data(), &rawSize, idat.data(), idat.size()), Z_OK);
    EXPECT_EQ(rawSize, raw.size());

    // And decode back to the same pixels, whatever the alpha byte held.
    Bitmap32 translucent = bitmap;
    translucent.SetPixel(0, 0, translucent.Pixel(0, 0) & 0x00FFFFFFu);
    QTemporaryDir dir;
    std::string path = dir.filePath("round.png").toStdString();
    SavePng(translucent, path);
    EXPECT_EQ(LoadPicture(path), bitmap);
    EXPECT_THROW(EncodePng(Bitmap32()), Error);
}

TEST(SaveBmp32, WritesBottomUpRowsThatReadBack)
{
    Bitmap32 bitmap = Sample(3, 2);
    QTemporaryDir dir;
    std::string path = dir.filePath("view.bmp").toStdString();
    SaveBmp32(bitmap, path);
    std::vector<uint8_t> bytes = ReadBytes(path);
    ASSERT_EQ(bytes.size(), 54u + 3 * 2 * 4);
    EXPECT_EQ(bytes[0], 'B');
    EXPECT_EQ(bytes[28], 32); // bits per pixel
    // The first stored row is the bottom one, as B, G, R, x.
    TColor32 bottomLeft = bitmap.Pixel(0, 1);
    EXPECT_EQ(bytes[54], Blue32(bottomLeft));
    EXPECT_EQ(bytes[55], Green32(bottomLeft));
    EXPECT_EQ(bytes[56], Red32(bottomLeft));
    EXPECT_EQ(LoadPicture(path), bitmap);
}

TEST(WriteFileAtomically, FailuresLeaveNoFileBehind)
{
    QTemporaryDir dir;
    const std::string target = dir.filePath("map.png").toStdString();
    WriteFileAtomically(target, "old", 3);
    WriteFileAtomically(target, "new!", 4);
    EXPECT_EQ(ReadBytes(target), (std::vector<uint8_t>{'n', 'e', 'w', '!'}));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path().toStdString()),
                            std::filesystem::directory_iterator()),
              1);

    // A folder that does not exist: nothing can be created.
    const std::string missing = dir.filePath("no/such/file.png").toStdString();
    try {
        WriteFileAtomically(missing, "x", 1);
        ADD_FAILURE() << "no error";
    } catch (const IoError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot create file " + missing);
    }

    // The target is a folder: the write succeeds but the final step fails; the error is
    // the file system's and no temporary file stays.
    const std::string folder = dir.filePath("folder.png").toStdString();
    std::filesystem::create_directory(folder);
    try {
        WriteFileAtomically(folder, "x", 1);
        ADD_FAILURE() << "no error";
    } catch (const IoError& e) {
        EXPECT_EQ(std::string(e.what()), "File access denied");
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path().toStdString()),
                            std::filesystem::directory_iterator()),
              2);
}

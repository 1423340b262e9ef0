#include "formats/picture_io.h"

#include "common/atomic_file.h"
#include "common/error.h"
#include "support/test_paths.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <zlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>

using namespace tesselka;

namespace {

std::string Picture(const std::string& name)
{
    return tesselka::test::DataFile("pictures/" + name);
}

// An opaque pixel of this colour, within `tolerance` per channel for lossy formats.
void ExpectRgb(const Bitmap32& bitmap, int x, int y, TColor32 want, int tolerance = 0)
{
    const TColor32 got = bitmap.Pixel(x, y);
    EXPECT_EQ(got >> 24, 0xFFu) << x << "," << y;
    for (int shift : {16, 8, 0})
        EXPECT_NEAR(int((got >> shift) & 0xFF), int((want >> shift) & 0xFF), tolerance)
            << std::hex << got << " at " << std::dec << x << "," << y;
}

// The quadrant pictures: red, green / blue, white, sampled away from the edges.
void ExpectQuadrants(const Bitmap32& b, int tolerance)
{
    const int w = b.Width(), h = b.Height();
    ExpectRgb(b, w / 4, h / 4, 0xFF0000, tolerance);
    ExpectRgb(b, 3 * w / 4, h / 4, 0x00FF00, tolerance);
    ExpectRgb(b, w / 4, 3 * h / 4, 0x0000FF, tolerance);
    ExpectRgb(b, 3 * w / 4, 3 * h / 4, 0xFFFFFF, tolerance);
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

} // namespace

TEST(LoadPicture, EveryFormatAndKind)
{
    for (const char* name : {"rgb.jpg", "progressive.jpg", "cmyk.jpg"}) {
        SCOPED_TRACE(name);
        Bitmap32 picture = LoadPicture(Picture(name));
        ASSERT_EQ(picture.Width(), 32);
        ASSERT_EQ(picture.Height(), 24);
        ExpectQuadrants(picture, 12);
    }
    Bitmap32 gray = LoadPicture(Picture("gray.jpg")); // the maker's grey levels
    ExpectRgb(gray, 8, 6, 0x363636, 3);
    ExpectRgb(gray, 8, 18, 0x121212, 3);

    // Lossless kinds are exact; the first frame of an animation (the second is black).
    for (const char* name : {"rgb8.png", "palette.png", "interlaced.png", "animated.gif", "rgb24.bmp", "rgb24.dib"}) {
        SCOPED_TRACE(name);
        Bitmap32 picture = LoadPicture(Picture(name));
        ASSERT_EQ(picture.Width(), 8);
        ASSERT_EQ(picture.Height(), 6);
        ExpectQuadrants(picture, 0);
    }
    Bitmap32 gray1 = LoadPicture(Picture("gray1.png"));
    ExpectRgb(gray1, 0, 0, 0x000000);
    ExpectRgb(gray1, 1, 0, 0xFFFFFF);
    // 16-bit samples scaled with rounding: v * 255 / 65535.
    Bitmap32 deep = LoadPicture(Picture("rgb16.png"));
    ExpectRgb(deep, 0, 0, 0x1280FF);
    ExpectRgb(deep, 1, 0, 0x017F00);
    // The largest of 16 x 16 red, 48 x 48 blue and 32 x 32 green.
    Bitmap32 icon = LoadPicture(Picture("icon.ico"));
    ASSERT_EQ(icon.Width(), 48);
    ExpectRgb(icon, 24, 24, 0x0000FF);

    // The extension decides, in any case.
    QTemporaryDir dir;
    const std::string upper = dir.filePath("RGB.JPEG").toStdString();
    std::filesystem::copy_file(Picture("rgb.jpg"), upper);
    EXPECT_EQ(LoadPicture(upper), LoadPicture(Picture("rgb.jpg")));
}

TEST(LoadPicture, TransparencyIsDrawnOverWhite)
{
    Bitmap32 trns = LoadPicture(Picture("palette_trns.png"));
    ExpectRgb(trns, 0, 0, 0xFF0000);
    ExpectRgb(trns, 1, 0, 0xFFFFFF);
    ExpectRgb(trns, 2, 0, 0x7F7F7F); // black at alpha 128
    Bitmap32 grayAlpha = LoadPicture(Picture("gray_alpha.png"));
    ExpectRgb(grayAlpha, 0, 0, 0x646464);
    ExpectRgb(grayAlpha, 1, 0, 0xFFFFFF);
    Bitmap32 rgba = LoadPicture(Picture("rgba.png"));
    ExpectRgb(rgba, 0, 0, 0x0A141E);
    ExpectRgb(rgba, 1, 0, 0x7F7F7F);
    Bitmap32 gif = LoadPicture(Picture("transparent.gif"));
    ExpectRgb(gif, 1, 1, 0xFF0000);
    ExpectRgb(gif, 6, 1, 0xFFFFFF);
}

TEST(LoadPicture, MetafilesAreDrawnAtTheirOwnSize)
{
    // Both were written from a page of 37.4 mm x 27.4 mm: 141 x 104 pixels at 96 per inch.
    for (const char* name : {"draw.emf", "draw.wmf"}) {
        SCOPED_TRACE(name);
        Bitmap32 picture = LoadPicture(Picture(name));
        EXPECT_NEAR(picture.Width(), 141, 1);
        EXPECT_NEAR(picture.Height(), 104, 1);
        ExpectRgb(picture, picture.Width() / 4, picture.Height() / 2, 0xFF0000);
        ExpectRgb(picture, 3 * picture.Width() / 4, picture.Height() / 2, 0x0000FF);
    }
    // A bitmap inside a metafile lands on its own rectangle (about x 17.8 to 53.2 and
    // y 8.7 to 34.6 of 71 x 52) on the yellow page.
    for (const char* name : {"offset.emf", "offset.wmf"}) {
        SCOPED_TRACE(name);
        Bitmap32 picture = LoadPicture(Picture(name));
        ASSERT_NEAR(picture.Width(), 71, 1);
        ExpectRgb(picture, 5, 45, 0xFFFF00, 8);
        ExpectRgb(picture, 26, 15, 0xFF0000, 8);
        ExpectRgb(picture, 45, 15, 0x00FF00, 8);
        ExpectRgb(picture, 26, 30, 0x0000FF, 8);
    }
}

TEST(LoadPicture, FailuresCarryTheDecodersMessage)
{
    EXPECT_EQ(ErrorOf(Picture("quad8.ppm")), "Unknown picture file extension (.ppm)");
    EXPECT_EQ(ErrorOf("/no/such/folder.d/noextension"), "Unknown picture file extension (.)");
    EXPECT_EQ(ErrorOf("/no/such/folder/x.png"), "File not found");
    EXPECT_EQ(ErrorOf(Picture("truncated.jpg")), "JPEG: Premature end of JPEG file");
    EXPECT_EQ(ErrorOf(Picture("badcrc.png")), "PNG: IDAT: CRC error");
    EXPECT_EQ(ErrorOf(Picture("empty.png")), "PNG: the file is empty");
    EXPECT_EQ(ErrorOf(Picture("jpeg_in.png")), "PNG: Not a PNG file");

    // Every decoder refuses a zero-byte file instead of returning an empty picture.
    QTemporaryDir dir;
    for (const char* ext : {"jpg", "gif", "bmp", "ico", "emf", "wmf"}) {
        const std::string path = dir.filePath(QStringLiteral("empty.") + ext).toStdString();
        std::ofstream(path).close();
        EXPECT_NE(ErrorOf(path), "(no error)") << ext;
    }

    // A valid PNG header announcing 100000 x 100000 pixels, refused before decoding.
    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G',  '\r', '\n', 0x1A, '\n', 0,    0, 0, 13, 'I', 'H', 'D',
                                'R',  0,   1,   0x86, 0xA0, 0,    1,    0x86, 0xA0, 8, 2, 0,  0,   0};
    auto putCrc = [&png](size_t from) {
        const uLong crc = crc32(0, png.data() + from, uInt(png.size() - from));
        for (int shift : {24, 16, 8, 0})
            png.push_back(uint8_t(crc >> shift));
    };
    putCrc(12);
    png.insert(png.end(), {0, 0, 0, 1, 'I', 'D', 'A', 'T', 0x78});
    putCrc(png.size() - 5);
    const std::string huge = dir.filePath("huge.png").toStdString();
    std::ofstream(huge, std::ios::binary).write(reinterpret_cast<const char*>(png.data()), std::streamsize(png.size()));
    EXPECT_EQ(ErrorOf(huge).rfind("Picture too large: 100000 x 100000 pixels", 0), 0u) << ErrorOf(huge);
}

TEST(LoadPicture, DamagedMetafileRecordsAreRefusedBeforeDrawing)
{
    // A record whose size reaches past the end of the file, and a comment record whose
    // inner size does, would make the converter read past its buffer.
    std::vector<uint8_t> emf = ReadBytes(Picture("draw.emf"));
    ASSERT_GT(emf.size(), 200u);
    const uint32_t headerSize = emf[4] | (emf[5] << 8) | (emf[6] << 16) | (uint32_t(emf[7]) << 24);
    QTemporaryDir dir;
    auto withChange = [&](size_t at, uint32_t value) {
        std::vector<uint8_t> bytes = emf;
        for (int i = 0; i < 4; ++i)
            bytes[at + size_t(i)] = uint8_t(value >> (8 * i));
        const std::string path = dir.filePath("damaged.emf").toStdString();
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        return ErrorOf(path);
    };
    EXPECT_EQ(withChange(headerSize + 4, 0x7FFFFFF0), "EMF: Damaged record at byte " + std::to_string(headerSize));
    EXPECT_EQ(withChange(headerSize + 4, 6), "EMF: Damaged record at byte " + std::to_string(headerSize));
    // The fuzzer's find: an EMF+ comment that overran the converter's buffer; the record
    // check refuses it.
    std::vector<uint8_t> found = ReadBytes(tesselka::test::DataFile("../../fuzz/corpus/fuzz_emf/emfplus_overrun"));
    ASSERT_GT(found.size(), 100u);
    const std::string path = dir.filePath("found.emf").toStdString();
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(found.data()), std::streamsize(found.size()));
    EXPECT_EQ(ErrorOf(path), "EMF: Damaged record at byte 864");
}

TEST(SavePictures, PngHasFourPartsAndBmpBottomUpRows)
{
    Bitmap32 bitmap(5, 3);
    for (int i = 0; i < 15; ++i)
        bitmap.Bits()[i] = Color32(i * 37 % 256, i * 53 % 256, i * 11);
    const std::vector<uint8_t> bytes = EncodePng(bitmap);
    const uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    ASSERT_GT(bytes.size(), 45u);
    EXPECT_TRUE(std::equal(signature, signature + 8, bytes.begin()));
    std::vector<std::string> chunks;
    for (size_t at = 8; at + 12 <= bytes.size(); at += 12 + Be32(bytes, at)) {
        const std::string type(bytes.begin() + long(at) + 4, bytes.begin() + long(at) + 8);
        if (chunks.empty() || chunks.back() != type)
            chunks.push_back(type);
    }
    EXPECT_EQ(chunks, (std::vector<std::string>{"IHDR", "IDAT", "IEND"}));
    EXPECT_EQ(Be32(bytes, 16), 5u);
    EXPECT_EQ(Be32(bytes, 20), 3u);
    // Depth 8, truecolour, compression 0, filter method 0, not interlaced.
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 24, bytes.begin() + 29), (std::vector<uint8_t>{8, 2, 0, 0, 0}));
    EXPECT_THROW(EncodePng(Bitmap32()), Error);

    // Both read back to the same pixels, whatever the fourth byte held.
    Bitmap32 translucent = bitmap;
    translucent.Bits()[0] &= 0x00FFFFFFu;
    QTemporaryDir dir;
    const std::string png = dir.filePath("round.png").toStdString(), bmp = dir.filePath("view.bmp").toStdString();
    SavePng(translucent, png);
    EXPECT_EQ(LoadPicture(png), bitmap);
    SaveBmp32(bitmap, bmp);
    const std::vector<uint8_t> bmpBytes = ReadBytes(bmp);
    ASSERT_EQ(bmpBytes.size(), 54u + 15 * 4);
    EXPECT_EQ(bmpBytes[28], 32);                         // bits per pixel
    EXPECT_EQ(bmpBytes[54], Blue32(bitmap.Pixel(0, 2))); // the bottom row comes first
    EXPECT_EQ(LoadPicture(bmp), bitmap);
}

TEST(WriteFileAtomically, FailuresLeaveNoFileBehind)
{
    QTemporaryDir dir;
    auto entries = [&dir] {
        const std::filesystem::directory_iterator begin(dir.path().toStdString());
        return std::distance(begin, std::filesystem::directory_iterator());
    };
    const std::string target = dir.filePath("map.png").toStdString();
    WriteFileAtomically(target, "old", 3);
    WriteFileAtomically(target, "new!", 4);
    EXPECT_EQ(ReadBytes(target), (std::vector<uint8_t>{'n', 'e', 'w', '!'}));

    const std::string missing = dir.filePath("no/such/file.png").toStdString();
    try {
        WriteFileAtomically(missing, "x", 1);
        ADD_FAILURE() << "no error";
    } catch (const IoError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot create file " + missing);
    }
    // The target is a folder: refused before anything is written.
    const std::string folder = dir.filePath("folder.png").toStdString();
    std::filesystem::create_directory(folder);
    try {
        WriteFileAtomically(folder, "x", 1);
        ADD_FAILURE() << "no error";
    } catch (const IoError& e) {
        EXPECT_EQ(std::string(e.what()), folder + " is a folder");
    }
    EXPECT_EQ(entries(), 2);
}

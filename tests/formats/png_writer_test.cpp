#include "formats/png_writer.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QTemporaryDir>

#include <png.h>
#include <zlib.h>

#include <fstream>
#include <iterator>

using namespace tesselka;

namespace {

enum class Content {
    Dithered, // a few colours in noise: compresses best unfiltered
    Columns,  // every row like the one above, give or take: compresses best with Up
    Ramps,    // steady steps along each row, a different step on every row: Sub
    Flat,
};

Bitmap32 MakePicture(int width, int height, Content content)
{
    static const TColor32 few[] = {0xFFC91A09, 0xFF0055BF, 0xFFF2CD37, 0xFF05131D, 0xFFFFFFFF};
    Bitmap32 b(width, height);
    uint32_t state = uint32_t(width * 7919 + height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            state = state * 1664525u + 1013904223u;
            TColor32 c = 0xFF6B5A4Du;
            if (content == Content::Dithered)
                c = few[(state >> 24) % 5];
            else if (content == Content::Columns)
                c = Color32((x * x * 7 / 5 + y) & 255, (x * 13 % 256) ^ (y & 3), (x * 91 % 253 + y / 8) & 255);
            else if (content == Content::Ramps)
                c = Color32(x * (y % 7 + 1) & 255, x * (y % 5 + 2) & 255, (x + y * 5) & 255);
            // The fourth byte is not part of the file.
            b.SetPixel(x, y, (c & 0x00FFFFFFu) | ((state & 1) ? 0xFF000000u : 0u));
        }
    return b;
}

// The pixels as libpng reads them, the adler-32 and the chunk CRCs checked, as 0xFFRRGGBB.
std::vector<TColor32> DecodeWithLibpng(const std::vector<uint8_t>& file, int& width, int& height)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, file.data(), file.size()))
        return {};
    image.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr))
        return {};
    width = int(image.width);
    height = int(image.height);
    std::vector<TColor32> pixels(rgb.size() / 3);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = Color32(rgb[3 * i], rgb[3 * i + 1], rgb[3 * i + 2]);
    return pixels;
}

// The IDAT data as one zlib stream; inflating it whole checks that the bands' streams
// join into one with the right checksum and nothing after it.
std::vector<uint8_t> Inflate(const std::vector<uint8_t>& file, size_t expected)
{
    std::vector<uint8_t> stream;
    for (size_t at = 8; at + 12 <= file.size();) {
        const size_t length =
            (size_t(file[at]) << 24) | (size_t(file[at + 1]) << 16) | (size_t(file[at + 2]) << 8) | file[at + 3];
        if (std::equal(file.begin() + long(at) + 4, file.begin() + long(at) + 8, "IDAT"))
            stream.insert(stream.end(), file.begin() + long(at) + 8, file.begin() + long(at + 8 + length));
        at += 12 + length;
    }
    std::vector<uint8_t> out(expected + 1);
    uLongf size = uLongf(out.size());
    if (uncompress(out.data(), &size, stream.data(), uLong(stream.size())) != Z_OK)
        return {};
    out.resize(size);
    return out;
}

std::vector<TColor32> Opaque(const Bitmap32& b)
{
    std::vector<TColor32> pixels(b.Bits(), b.Bits() + size_t(b.Width()) * size_t(b.Height()));
    for (TColor32& p : pixels)
        p |= 0xFF000000u;
    return pixels;
}

} // namespace

// Every picture is read back by libpng and by Qt, for one thread and several, bands of a
// few rows (so that many band boundaries fall inside the picture) and the default bands.
TEST(PngWriter, PicturesReadBackExactly)
{
    struct Case
    {
        int width, height;
        Content content;
        int bandRows;
    };
    const Case cases[] = {
        {1, 1, Content::Dithered, 0},
        {1, 301, Content::Columns, 7},
        {301, 1, Content::Dithered, 0},
        {997, 13, Content::Dithered, 4},
        {997, 13, Content::Columns, 4},
        {997, 13, Content::Ramps, 4},
        {33, 64, Content::Flat, 16},
        {2, 5, Content::Ramps, 1},
        {3, 200, Content::Dithered, 1},
        // Default bands of about 2 MB: three bands, the last one short.
        {1201, 1300, Content::Columns, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height << ", content " << int(c.content)
                                        << ", bands of " << c.bandRows);
        const Bitmap32 picture = MakePicture(c.width, c.height, c.content);
        const std::vector<uint8_t> one = EncodePng(picture, {.threads = 1, .bandRows = c.bandRows});
        // Each band's filter and deflate depend on its rows alone, so the threads cannot
        // change a byte.
        EXPECT_EQ(EncodePng(picture, {.threads = 3, .bandRows = c.bandRows}), one);

        const size_t filtered = size_t(c.height) * (size_t(c.width) * 3 + 1);
        EXPECT_EQ(Inflate(one, filtered).size(), filtered);
        int w = 0, h = 0;
        EXPECT_EQ(DecodeWithLibpng(one, w, h), Opaque(picture));
        EXPECT_EQ(w, c.width);
        EXPECT_EQ(h, c.height);
        const QImage qt = QImage::fromData(one.data(), int(one.size()), "PNG");
        ASSERT_FALSE(qt.isNull());
        EXPECT_EQ(Opaque(Bitmap32::FromImage(qt)), Opaque(picture));
    }
}

// Rows fed a few at a time make the same file as the whole bitmap; progress counts the
// rows in order, and stopping it leaves the old file and no temporary one.
TEST(PngWriter, RowsInPiecesProgressAndStopping)
{
    const Bitmap32 picture = MakePicture(640, 97, Content::Ramps);
    const PngWriterOptions options{.threads = 2, .bandRows = 10};
    std::vector<uint8_t> pieces;
    std::vector<int> done;
    PngWriter writer(
        picture.Width(), picture.Height(),
        [&pieces](const uint8_t* bytes, size_t size) { pieces.insert(pieces.end(), bytes, bytes + size); },
        [&done](int rows, int total) {
            EXPECT_EQ(total, 97);
            done.push_back(rows);
            return true;
        },
        options);
    for (int y = 0; y < picture.Height(); y += 3)
        ASSERT_TRUE(writer.AddRows(picture.Row(y), picture.Width(), std::min(3, picture.Height() - y)));
    EXPECT_THROW(writer.AddRows(picture.Row(0), picture.Width(), 1), std::invalid_argument);
    ASSERT_TRUE(writer.Finish());
    EXPECT_EQ(pieces, EncodePng(picture, options));
    std::vector<int> expected;
    for (int rows = 10; rows < 97; rows += 10)
        expected.push_back(rows);
    expected.push_back(97);
    EXPECT_EQ(done, expected);

    QTemporaryDir dir;
    const std::string path = dir.filePath("kept.png").toStdString();
    std::ofstream(path) << "old";
    const Bitmap32 large = MakePicture(1500, 1500, Content::Dithered); // several default bands
    int calls = 0;
    EXPECT_FALSE(SavePng(large, path, [&calls](int, int) { return ++calls < 1; }));
    EXPECT_EQ(calls, 1);
    std::ifstream in(path);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "old");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"kept.png"});
}

// Every file of every style must be buildable: checked by reading the files back with the
// parts' real dimensions.
#include "ldraw/model_writer.h"

#include "model_checker.h"
#include "test_mosaics.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <random>

using namespace tesselka;
using namespace tesselka::test;

namespace {

const char* const Styles[] = {"1x Plates - studs up",  "2x Plates - studs up",  "1x Bricks - studs up",
                              "2x Bricks - studs up",  "1x Plates - studs out", "2x Plates - studs out",
                              "1x Bricks - studs out", "2x Bricks - studs out"};

std::string ReadAll(const std::string& path)
{
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll().toStdString();
}

// Exports every style with `sizes` and checks every file written. Returns the part count
// of each file, by file name, for reports.
void ExpectSound(const std::string& what, const Bitmap32& image, const ColorTable& table,
                 const SelectedColorArray& selected, const PartSizes& sizes)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string chosen = dir.filePath(QStringLiteral("model.ldr")).toStdString();
    for (const char* style : Styles) {
        const ModelExportInput input{image, table, selected, image.Width(), image.Height(), style, sizes};
        const std::vector<std::string> files = ExportModelFiles(input, chosen);
        ASSERT_FALSE(files.empty()) << style;
        for (const std::string& path : files) {
            const int fallback = table[std::string(style) == "2x Bricks - studs up" ? 13 : 3].Code;
            const ModelCheck check = CheckModel(ReadAll(path), style, image, table, fallback);
            EXPECT_TRUE(check.Sound()) << what << ", " << style << ", " << path.substr(path.rfind('/') + 1) << ": "
                                       << check.problem;
            EXPECT_GT(check.parts, 0);
        }
    }
}

PartSizes RandomSizes(std::mt19937& random)
{
    PartSizes sizes;
    for (const PartBoxInfo& info : PartBoxes)
        sizes.Set(info.box, random() % 2 == 0);
    return sizes;
}

} // namespace

TEST(ModelSoundness, CraftedGrids)
{
    const ColorTable table = CraftedTable();
    SelectedColorArray selected;
    selected.fill(-1);
    const char* cycle = "KRWBGb";
    const std::vector<std::pair<std::string, Bitmap32>> grids = {
        {"single colour", MakeImage(37, 13, [](int, int) { return 'W'; })},
        {"black", MakeImage(25, 9, [](int, int) { return 'K'; })},
        {"checkerboard", MakeImage(12, 7, [](int x, int y) { return (x + y) % 2 ? 'K' : 'W'; })},
        {"horizontal stripes", MakeImage(30, 11, [](int, int y) { return y % 3 ? 'B' : 'b'; })},
        {"vertical stripes", MakeImage(29, 10, [&](int x, int) { return cycle[(x / 5) % 6]; })},
        {"width 1", MakeImage(1, 17, [](int, int y) { return y < 9 ? 'R' : 'G'; })},
        {"height 1", MakeImage(41, 1, [](int x, int) { return x < 20 ? 'G' : 'K'; })},
        {"blocks", MakeImage(33, 14, [&](int x, int y) { return cycle[(x / 7 + y / 5) % 6]; })},
    };
    for (const auto& [name, image] : grids) {
        SCOPED_TRACE(name);
        ExpectSound(name, image, table, selected, PartSizes());
        ExpectSound(name, image, table, selected, PartSizes::All());
    }
}

TEST(ModelSoundness, DitheredPhotos)
{
    SelectedColorArray selected;
    const ColorTable table = PaletteTable(selected);
    std::mt19937 random(6);
    for (const char* photo : {"astronaut.png", "chelsea.png", "coffee.png"}) {
        SCOPED_TRACE(photo);
        const Bitmap32 image = DitheredPhoto(photo, table);
        ExpectSound(photo, image, table, selected, PartSizes::All());
        ExpectSound(photo, image, table, selected, RandomSizes(random));
    }
}

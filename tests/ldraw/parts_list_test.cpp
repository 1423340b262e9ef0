// Parts lists against the models: every style of real photos is written, the files are
// read back line by line and counted here, and the CSV and the XML wanted list must say
// the same.
#include "ldraw/parts_list.h"

#include "test_mosaics.h"

#include <QFile>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <map>

using namespace tesselka;
using namespace tesselka::test;

namespace {

using Counts = std::map<std::pair<int, int>, long long>; // (colour, part) -> quantity

QByteArray ReadAll(const std::string& path)
{
    QFile file(QString::fromStdString(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// (LDraw colour code, part number) of every part line of a model file.
Counts CountModelLines(const QByteArray& model)
{
    Counts counts;
    for (const QByteArray& line : model.split('\n')) {
        const QList<QByteArray> f = line.trimmed().split(' ');
        if (f.size() == 15 && f[0] == "1" && f[14].endsWith(".DAT"))
            ++counts[{f[1].toInt(), f[14].chopped(4).toInt()}];
    }
    return counts;
}

// LDraw code -> BrickLink id, as the data file shipped with the program gives them.
std::map<int, int> BrickLinkIds()
{
    std::map<int, int> ids;
    const QList<QByteArray> lines = ReadAll(PROGRAM_DATA "/bricklink-colours.csv").split('\n');
    for (const QByteArray& line : lines.mid(1))
        if (const QList<QByteArray> f = line.trimmed().split(','); f.size() == 4)
            ids[f[0].toInt()] = f[2].toInt();
    return ids;
}

// The CSV's entries; fails on a wrong header, a short line or entries out of order.
Counts ParseCsv(const QByteArray& csv)
{
    Counts counts;
    QList<QByteArray> lines = csv.split('\n');
    EXPECT_EQ(lines.value(0), "Part,Color,Quantity,Colour name,Description");
    EXPECT_TRUE(lines.last().isEmpty());
    std::pair<int, int> previous{-1000, -1};
    for (const QByteArray& line : lines.mid(1, lines.size() - 2)) {
        const QList<QByteArray> f = line.split(',');
        EXPECT_EQ(f.size(), 5) << line.toStdString();
        if (f.size() < 5)
            continue;
        const std::pair<int, int> key{f[1].toInt(), f[0].toInt()};
        EXPECT_LT(previous, key) << "sorted by colour, then part";
        previous = key;
        EXPECT_FALSE(f[3].isEmpty());
        EXPECT_TRUE(f[4].startsWith("Plate ") || f[4].startsWith("Brick ")) << line.toStdString();
        counts[key] += f[2].toLongLong();
    }
    return counts;
}

// The wanted list's items by (BrickLink colour, part); fails on anything malformed.
Counts ParseWantedList(const QByteArray& xml)
{
    Counts counts;
    QXmlStreamReader reader(xml);
    EXPECT_TRUE(reader.readNextStartElement());
    EXPECT_EQ(reader.name(), QStringLiteral("INVENTORY"));
    while (reader.readNextStartElement()) {
        EXPECT_EQ(reader.name(), QStringLiteral("ITEM"));
        std::map<QString, QString> fields;
        while (reader.readNextStartElement())
            fields[reader.name().toString()] = reader.readElementText();
        EXPECT_EQ(fields.size(), 4u);
        EXPECT_EQ(fields[QStringLiteral("ITEMTYPE")], QStringLiteral("P"));
        bool ok[3] = {};
        const int part = fields[QStringLiteral("ITEMID")].toInt(&ok[0]);
        const int color = fields[QStringLiteral("COLOR")].toInt(&ok[1]);
        const long long quantity = fields[QStringLiteral("MINQTY")].toLongLong(&ok[2]);
        EXPECT_TRUE(ok[0] && ok[1] && ok[2] && quantity > 0);
        EXPECT_EQ(counts.count({color, part}), 0u) << "one item per part and colour";
        counts[{color, part}] = quantity;
    }
    EXPECT_FALSE(reader.hasError()) << reader.errorString().toStdString();
    return counts;
}

const char* const Styles[] = {"1x Plates - studs up",  "2x Plates - studs up",  "1x Bricks - studs up",
                              "2x Bricks - studs up",  "1x Plates - studs out", "2x Plates - studs out",
                              "1x Bricks - studs out", "2x Bricks - studs out"};

} // namespace

TEST(PartsList, MatchesEveryModelFileOfEveryStyle)
{
    SelectedColorArray selected;
    const ColorTable table = PaletteTable(selected, PROGRAM_DATA "/ldconfig.ldr"); // the shipped table
    const std::map<int, int> brickLink = BrickLinkIds();
    ASSERT_EQ(brickLink.size(), 41u);
    QTemporaryDir dir;
    const std::string chosen = dir.filePath(QStringLiteral("model.ldr")).toStdString();
    const std::string csvPath = dir.filePath(QStringLiteral("parts.csv")).toStdString();
    const std::string xmlPath = dir.filePath(QStringLiteral("wanted.xml")).toStdString();
    for (const char* photo : {"astronaut.png", "chelsea.png", "coffee.png"}) {
        const Bitmap32 image = DitheredPhoto(photo, table);
        for (const PartSizes& sizes : {PartSizes(), PartSizes::All()}) {
            for (const char* style : Styles) {
                const ModelExportInput input{image, table, selected, image.Width(), image.Height(), style, sizes};
                const std::vector<std::string> files = ExportModelFiles(input, chosen);
                ASSERT_FALSE(files.empty());
                for (size_t i = 0; i < files.size(); ++i) {
                    SCOPED_TRACE(std::string(photo) + ", " + style + ", " + files[i].substr(files[i].rfind('/')));
                    const Counts model = CountModelLines(ReadAll(files[i]));
                    ASSERT_FALSE(model.empty());
                    const PartsList list = CountModelParts(input, i);
                    WritePartsList(csvPath, list);
                    const std::vector<std::string> warnings = WriteWantedList(xmlPath, list);
                    EXPECT_TRUE(warnings.empty()) << warnings.front();

                    EXPECT_EQ(ParseCsv(ReadAll(csvPath)), model);
                    Counts expected;
                    long long parts = 0;
                    for (const auto& [key, quantity] : model) {
                        expected[{brickLink.at(key.first), key.second}] += quantity;
                        parts += quantity;
                    }
                    EXPECT_EQ(ParseWantedList(ReadAll(xmlPath)), expected);
                    EXPECT_EQ(list.Total(), parts);
                }
            }
        }
    }
}

TEST(PartsList, ColourWithoutBrickLinkIdIsListedAndNamedButNeverGivenAnId)
{
    // 'b' has LDraw code 73, which has no BrickLink colour in the table; 'R' is red (5).
    const ColorTable table = CraftedTable();
    SelectedColorArray selected;
    selected.fill(-1);
    const Bitmap32 image = CraftedImage({"RRbbb", "bbRRR"});
    const ModelExportInput input{image, table, selected, 5, 2, "1x Bricks - studs out", PartSizes::All()};
    const PartsList list = CountModelParts(input);
    const Counts csv = ParseCsv(QByteArray::fromStdString(PartsListCsv(list)));
    EXPECT_EQ(csv, (Counts{{{4, 3004}, 1}, {{4, 3622}, 1}, {{73, 3004}, 1}, {{73, 3622}, 1}}));

    std::vector<std::string> warnings;
    const Counts xml = ParseWantedList(QByteArray::fromStdString(WantedListXml(list, warnings)));
    EXPECT_EQ(xml, (Counts{{{5, 3004}, 1}, {{5, 3622}, 1}}));
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find("LDraw colour 73"), std::string::npos) << warnings[0];
    EXPECT_NE(warnings[0].find("2 parts"), std::string::npos) << warnings[0];

    // Lists for the extra files sit beside the chosen list, named like the models.
    EXPECT_EQ(ListPathForModel("/a/parts.csv", ""), "/a/parts.csv");
    EXPECT_EQ(ListPathForModel("/a/parts.csv", "_2a.ldr"), "/a/parts_2a.csv");
    EXPECT_EQ(ListPathForModel("/a.b/wanted", "_1.ldr"), "/a.b/wanted_1");
}

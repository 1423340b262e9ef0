#include "project/project_file.h"

#include "common/error.h"
#include "formats/picture_io.h"
#include "support/files.h"
#include "support/test_paths.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <zlib.h>

#include <functional>

using namespace tesselka;
using tesselka::test::ReadFile;

namespace {

Bitmap32 Pattern(int w, int h, uint32_t seed)
{
    Bitmap32 b(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            b.SetPixel(x, y, (uint32_t(x * 2654435761u + y * 40503u) ^ seed) | (x % 3 ? 0xFF000000u : 0));
    return b;
}

Project Sample(int stage)
{
    Project p;
    p.stage = stage;
    p.pictureName = "friends.jpg";
    p.pictureBytes = ReadFile(test::DataFile("photos/friends_by_Aitzol_Berasategi.jpg"));
    p.settings = "[TForm1]\r\nEdit2_Text=24\r\n[TForm2]\r\n[TForm3]\r\n";
    if (stage >= 1) {
        p.studImage = Pattern(24, 17, 1);
        p.mixStudImage = Pattern(60, 7, 2);
    }
    if (stage == 1)
        p.view = Pattern(97, 65, 3);
    if (stage == 2)
        p.undoList = {"pen\t12\t3\t255\t0", "fill\t0\t0\t16777215\t-1"};
    return p;
}

// A ZIP written byte by byte, so that a test can make it lie about what it holds.
struct RawEntry
{
    std::string name;
    std::string data; // what the entry inflates to
    bool deflate = false;
    int64_t declaredSize = -1; // the size the headers claim; -1: the true one
};

void Put16(std::string& s, uint32_t v)
{
    s += char(v & 0xFF);
    s += char((v >> 8) & 0xFF);
}
void Put32(std::string& s, uint32_t v)
{
    Put16(s, v & 0xFFFF);
    Put16(s, v >> 16);
}

std::string RawDeflate(const std::string& data)
{
    z_stream z{};
    deflateInit2(&z, 9, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&z, uLong(data.size())), '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    z.avail_in = uInt(data.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = uInt(out.size());
    deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

std::string RawZip(const std::vector<RawEntry>& entries)
{
    std::string zip, central;
    for (const RawEntry& e : entries) {
        const std::string stored = e.deflate ? RawDeflate(e.data) : e.data;
        const uint32_t crc = uint32_t(crc32(0, reinterpret_cast<const Bytef*>(e.data.data()), uInt(e.data.size())));
        const uint32_t size = uint32_t(e.declaredSize < 0 ? int64_t(e.data.size()) : e.declaredSize);
        auto header = [&](std::string& s, bool isCentral) {
            Put32(s, isCentral ? 0x02014b50 : 0x04034b50);
            if (isCentral)
                Put16(s, 20);
            Put16(s, 20);
            Put16(s, 0);
            Put16(s, e.deflate ? 8 : 0);
            Put32(s, 0x00210000); // 1980-01-01
            Put32(s, crc);
            Put32(s, uint32_t(stored.size()));
            Put32(s, size);
            Put16(s, uint32_t(e.name.size()));
            Put16(s, 0);
        };
        const uint32_t offset = uint32_t(zip.size());
        header(zip, false);
        zip += e.name + stored;
        header(central, true);
        Put16(central, 0); // comment
        Put16(central, 0); // disk
        Put16(central, 0); // internal attributes
        Put32(central, 0); // external attributes
        Put32(central, offset);
        central += e.name;
    }
    const uint32_t centralOffset = uint32_t(zip.size());
    zip += central;
    Put32(zip, 0x06054b50);
    Put32(zip, 0);
    Put16(zip, uint32_t(entries.size()));
    Put16(zip, uint32_t(entries.size()));
    Put32(zip, uint32_t(central.size()));
    Put32(zip, centralOffset);
    Put16(zip, 0);
    return zip;
}

std::string Manifest(const std::string& format = "1", const std::string& stage = "0",
                     const std::string& picture = "a.png")
{
    return "[Tesselka project]\nFormat=" + format + "\nProgram=Version 0.1.18\nPicture=" + picture +
           "\nStage=" + stage + "\n";
}

std::vector<RawEntry> Stage0(const std::string& manifest = Manifest())
{
    return {{"manifest.ini", manifest}, {"picture", "png bytes"}, {"settings.ini", "[TForm1]\n"}};
}

} // namespace

// Every stage comes back bit for bit, through the file as well as through memory, and
// the picture decodes as the file it came from.
TEST(ProjectFile, RoundTripAtEachStage)
{
    QTemporaryDir dir;
    for (int stage = 0; stage <= 2; ++stage) {
        const Project saved = Sample(stage);
        const std::string path = dir.filePath(QStringLiteral("p%1.tesselka").arg(stage)).toStdString();
        SaveProject(saved, path);
        for (const Project& read : {LoadProject(path), DecodeProject(EncodeProject(saved))}) {
            EXPECT_EQ(read.stage, stage);
            EXPECT_EQ(read.programVersion, "Version 0.1.18");
            EXPECT_EQ(read.pictureName, saved.pictureName);
            EXPECT_EQ(read.pictureBytes, saved.pictureBytes);
            EXPECT_EQ(read.settings, saved.settings);
            EXPECT_TRUE(read.studImage == saved.studImage) << stage;
            EXPECT_TRUE(read.mixStudImage == saved.mixStudImage) << stage;
            EXPECT_TRUE(read.view == saved.view) << stage;
            EXPECT_EQ(read.undoList, saved.undoList);
        }
    }
    EXPECT_TRUE(DecodeProjectPicture(Sample(0)) ==
                LoadPicture(test::DataFile("photos/friends_by_Aitzol_Berasategi.jpg")));
}

TEST(ProjectFile, RefusesHostileAndDamagedContainers)
{
    const std::string bomb(8 << 20, '\0');
    const std::string valid = EncodeProject(Sample(2));
    const struct
    {
        const char* what;
        std::function<std::string()> bytes;
        const char* message;
    } cases[] = {
        {"not a zip", [] { return std::string("PK not really"); }, "not a project"},
        {"cut short", [&] { return valid.substr(0, valid.size() / 2); }, "not a project"},
        {"newer format", [] { return RawZip(Stage0(Manifest("2"))); }, "made by a newer version"},
        {"format zero", [] { return RawZip(Stage0(Manifest("0"))); }, "format 0"},
        {"no manifest",
         [] {
             return RawZip({{"picture", "x"}, {"settings.ini", ""}});
         },
         "manifest.ini is missing"},
        {"no settings",
         [] {
             return RawZip({{"manifest.ini", Manifest()}, {"picture", "x"}});
         },
         "settings.ini is missing"},
        {"dithered without grid", [] { return RawZip(Stage0(Manifest("1", "1"))); }, "studs.png is missing"},
        {"stage 3", [] { return RawZip(Stage0(Manifest("1", "3"))); }, "stage 3"},
        {"format not a number", [] { return RawZip(Stage0(Manifest("1x"))); }, "Format is not a number"},
        {"parent folder in an entry name",
         [] {
             auto e = Stage0();
             e.push_back({"../../etc/cron.d/x", "boom"});
             return RawZip(e);
         },
         "points outside"},
        {"absolute entry name",
         [] {
             auto e = Stage0();
             e.push_back({"/tmp/x", "boom"});
             return RawZip(e);
         },
         "points outside"},
        {"picture name with folders", [] { return RawZip(Stage0(Manifest("1", "0", "../x.png"))); }, "picture name"},
        {"picture name of no picture kind", [] { return RawZip(Stage0(Manifest("1", "0", "x.exe"))); }, "picture name"},
        {"unknown entry",
         [] {
             auto e = Stage0();
             e.push_back({"macro.js", ""});
             return RawZip(e);
         },
         "does not know"},
        {"entry twice",
         [] {
             auto e = Stage0();
             e.push_back({"picture", "y"});
             return RawZip(e);
         },
         "not a project"},
        {"too many entries",
         [] {
             std::vector<RawEntry> e;
             for (int i = 0; i < 40; ++i)
                 e.push_back({"e" + std::to_string(i), ""});
             return RawZip(e);
         },
         "40 entries"},
        {"huge declared entry",
         [] {
             auto e = Stage0();
             e[2].declaredSize = int64_t(3) << 30;
             return RawZip(e);
         },
         "settings.ini is too large"},
        {"bomb that inflates past its declared size",
         [&] {
             auto e = Stage0();
             e[2] = {"settings.ini", bomb, true, 100};
             return RawZip(e);
         },
         "settings.ini"},
        {"damaged undo line",
         [] {
             Project p = Sample(2);
             p.undoList.push_back("pen\tx\t1\t2\t3");
             return EncodeProject(p);
         },
         "undo.txt line 3"},
        {"grid wider than a mosaic",
         [] {
             Project p = Sample(1);
             p.studImage = Pattern(4001, 1, 0);
             return EncodeProject(p);
         },
         "studs.png has a size"},
        {"grid that is no PNG",
         [] {
             auto e = Stage0(Manifest("1", "1"));
             e.push_back({"studs.png", "\x89PNG but no more"});
             e.push_back({"studs-mix.png", ""});
             e.push_back({"view.png", ""});
             return RawZip(e);
         },
         "studs.png"},
    };
    for (const auto& c : cases) {
        try {
            DecodeProject(c.bytes());
            ADD_FAILURE() << c.what << ": accepted";
        } catch (const Error& e) {
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << c.what << ": " << e.what();
        }
    }
}

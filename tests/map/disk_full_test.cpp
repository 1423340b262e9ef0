// A disk that fills up half-way through a save, for every writer: the error says "Disk
// full" and names the file, the previous files are still whole, and nothing temporary is
// left. The disk is simulated: the writers fail after a set number of bytes.
#include "common/atomic_file.h"
#include "common/error.h"
#include "formats/picture_io.h"
#include "ldraw/model_writer.h"
#include "map/map_colors.h"
#include "map/map_files.h"
#include "map_test_support.h"
#include "settings/ini_file.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>

using namespace tesselka;
using namespace tesselka::test;

namespace {

std::map<std::string, std::string> Folder(const std::string& dir)
{
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        std::ifstream in(entry.path(), std::ios::binary);
        files[entry.path().filename().string()] = std::string(std::istreambuf_iterator<char>(in), {});
    }
    return files;
}

} // namespace

TEST(DiskFull, EveryWriterReportsItAndKeepsThePreviousFiles)
{
    ColorTable table = MapTestTable();
    const SelectedColorArray palette = Palette({MapRedColor, MapBlueColor});
    Bitmap32 panelSheet, totalsSheet;
    QStringList totalsList;
    // Two versions of everything: the first is saved whole, the second meets the full disk.
    auto studs = [](int version) {
        Bitmap32 b(12, 12);
        b.Clear(version == 0 ? MapRedColor : MapBlueColor);
        return b;
    };

    struct Case
    {
        const char* what;
        std::function<void(const std::string& dir, int version)> save;
        std::string fits;                 // the file of the second save that still fits (or none)
        std::string message;              // the error, after the folder's name
        std::vector<std::string> renewed; // files the second save may leave new (the rest stay old)
    };
    const std::vector<Case> cases = {
        {"picture",
         [&](const std::string& dir, int version) { SavePng(studs(version), dir + "/studs.png"); },
         "",
         "Disk full",
         {}},
        {"settings",
         [](const std::string& dir, int version) {
             IniFile ini;
             ini.Write("TForm1", "Edit2_Text", std::string(5000, char('a' + version)));
             ini.Save(dir + "/Tesselka.ini");
         },
         "",
         "Disk full",
         {}},
        {"map",
         [&](const std::string& dir, int version) {
             const Bitmap32 image = studs(version);
             MapOptions options;
             options.panelSize = "6x6";
             MapJob job{image,   table,      palette,     2,         "1x Bricks - studs out", 5, 5,
                        options, panelSheet, totalsSheet, totalsList};
             SaveMap(job, dir + "/map");
         },
         "map_1-1.png",
         "/map_total.png: Disk full (no file of the map was changed)",
         {}},
        {"model",
         [&](const std::string& dir, int version) {
             const Bitmap32 image = studs(version);
             const ModelExportInput input{image, table, palette, 120, 120, "1x Plates - studs up", PartSizes::All()};
             ExportModelFiles(input, dir + "/wall.ldr");
         },
         "wall.ldr",
         "/wall_1.ldr: Disk full (written before it: ",
         {"wall.ldr"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir tmp;
        const std::string dir = tmp.path().toStdString();
        c.save(dir, 0);
        const auto before = Folder(dir);
        SimulateDiskFullAfter(c.fits.empty() ? 20 : (long long)before.at(c.fits).size() + 20);
        std::string message;
        try {
            c.save(dir, 1);
        } catch (const IoError& e) {
            message = e.what();
        }
        SimulateDiskFullAfter(-1);
        if (c.message == "Disk full")
            EXPECT_EQ(message, "Disk full");
        else
            EXPECT_EQ(message.rfind(dir + c.message, 0), 0u) << message;
        const auto after = Folder(dir);
        ASSERT_EQ(after.size(), before.size()); // nothing temporary, nothing lost
        for (const auto& [name, bytes] : before)
            if (std::find(c.renewed.begin(), c.renewed.end(), name) == c.renewed.end())
                EXPECT_EQ(after.at(name), bytes) << name;
            else
                EXPECT_NE(after.at(name), bytes) << name;
    }
}

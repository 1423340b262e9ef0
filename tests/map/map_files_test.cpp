// Saving the map: file names, picture layout and the totals text.
#include "common/error.h"
#include "formats/picture_io.h"
#include "map/map_colors.h"
#include "map/map_files.h"
#include "map/totals_sheet.h"
#include "map_test_support.h"
#include "support/files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tesselka;
using namespace tesselka::test;

namespace {

struct MapState
{
    ColorTable table = MapTestTable();
    SelectedColorArray palette = Palette({MapRedColor, MapBlueColor});
    Bitmap32 panelSheet, totalsSheet;
    QStringList totalsList;

    MapJob Job(const Bitmap32& studs, const char* size, const std::string& style = "1x Bricks - studs out")
    {
        MapOptions options;
        options.panelSize = size;
        return MapJob{studs, table, palette, 2, style, 5, 5, options, panelSheet, totalsSheet, totalsList};
    }
};

} // namespace

TEST(MapFiles, BaseNames)
{
    EXPECT_EQ(MapBaseName("/tmp/x/map.png"), "/tmp/x/map");
    EXPECT_EQ(MapBaseName("/tmp/x/a.png.b.png"), "/tmp/x/a");
    EXPECT_EQ(MapBaseName("/tmp/x/a.pngs"), "/tmp/x/a");
    // The save dialog appends its default extension to a name typed without one.
    EXPECT_EQ(MapBaseName("/tmp/x/map.ldr"), "/tmp/x/map");
    EXPECT_EQ(MapBaseName("/tmp/x/map"), "/tmp/x/map");
    EXPECT_EQ(MapBaseName("/tmp/x.d/map"), "/tmp/x.d/map");
    EXPECT_EQ(MapBaseName("/tmp/.hidden"), "/tmp/.hidden");
    // A folder named like a picture is not where the name is cut.
    EXPECT_EQ(MapBaseName("/tmp/pics.png/map.png"), "/tmp/pics.png/map");
}

TEST(MapFiles, SavesEveryPanelTheTotalsAndTheText)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // 40 x 20 in 32-wide panels: 2 across, 1 down; red left, blue right of column 35.
    Bitmap32 studs(40, 20);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 40; ++x)
            studs.SetPixel(x, y, Color32(x < 35 ? MapRedColor : MapBlueColor));
    MapState state;
    MapJob job = state.Job(studs, "32x32");
    std::vector<std::pair<int, int>> progress;
    const std::string base = dir.filePath(QStringLiteral("map")).toStdString();
    SaveMap(job, base, [&](int done, int total) {
        progress.emplace_back(done, total);
        return true;
    });

    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files, QDir::Name),
              QStringList({"map.txt", "map_1-1.png", "map_1-2.png", "map_total.png"}));
    EXPECT_EQ(progress, (std::vector<std::pair<int, int>>{{1, 2}, {2, 2}}));
    EXPECT_EQ(ReadBytes(dir.filePath("map.txt")), QByteArray("Panel 1,1\tBright_Red\t4\t640\t255\r\n"
                                                             "Panel 1,1\tBlue\t12\t0\t16711680\r\n"
                                                             "Panel 1,2\tBright_Red\t4\t60\t255\r\n"
                                                             "Panel 1,2\tBlue\t12\t100\t16711680\r\n"
                                                             "TOTALS\tBright_Red\t4\t700\t255\r\n"
                                                             "TOTALS\tBlue\t12\t100\t16711680\r\n"));
    // The window's state after a save describes the last panel and the whole mosaic.
    EXPECT_EQ(state.table[4].Count, 700);
    EXPECT_EQ(state.totalsList.size(), 6);

    // Panel picture: sheet (8 x 15 + 32 = 152 high) at (5, 5), totals under it, footer.
    const Bitmap32 second = LoadPicture(dir.filePath("map_1-2.png").toStdString());
    ASSERT_EQ(second.Width(), 780);
    ASSERT_EQ(second.Height(), 20 * 15 + 32 + 98 + 40);
    // The picture holds the last panel's sheet (still in the window's state) and that
    // panel's totals, exactly as composed in memory.
    ColorTable panelCounts = MapTestTable();
    panelCounts[4].Count = 60;
    panelCounts[12].Count = 100;
    Bitmap32 panelTotals;
    QStringList unused;
    DrawTotalsSheet(panelCounts, state.palette, 2, 2, 1, panelTotals, unused);
    Bitmap32 expected;
    ComposePanelPicture(state.panelSheet, panelTotals, 1, 2, expected);
    EXPECT_EQ(second, expected);
    const int sheetH = 20 * 15 + 32;
    EXPECT_EQ(second.Pixel(5 + 16 + 2, 5 + 16 + 2), MapWhite);
    EXPECT_EQ(second.Pixel(5 + 10, sheetH + 15 + 5), Color32(MapRedColor));
    EXPECT_GT(CountOther(second, 175, sheetH + 98 + 25, 780, sheetH + 98 + 40), 0);

    const Bitmap32 total = LoadPicture(dir.filePath("map_total.png").toStdString());
    ASSERT_EQ(total.Width(), 780);
    ASSERT_EQ(total.Height(), 193);
    EXPECT_EQ(total.Pixel(5 + 10, 70 + 5), Color32(MapRedColor));
    EXPECT_GT(CountColor(total, 15, 20, 300, 65, MapBlack), 0);
}

TEST(MapFiles, CancelledProgressKeepsTheFilesSoFar)
{
    QTemporaryDir dir;
    MapState state;
    const Bitmap32 studs = Uniform(100, 10, MapRedColor);
    MapJob job = state.Job(studs, "48x48");
    SaveMap(job, dir.filePath("m").toStdString(), [](int done, int) { return done < 2; });
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList({"m_1-1.png"}));
}

TEST(MapFiles, SmallSheetsAreCutOffAtThePictureEdge)
{
    QTemporaryDir dir;
    MapState state;
    const Bitmap32 studs = Uniform(3, 3, MapRedColor);
    MapJob job = state.Job(studs, "6x6");
    SaveMap(job, dir.filePath("m").toStdString());
    const Bitmap32 picture = LoadPicture(dir.filePath("m_1-1.png").toStdString());
    EXPECT_EQ(picture.Width(), 780);
    EXPECT_EQ(picture.Height(), 882 + 98 + 40);
    EXPECT_EQ(state.panelSheet.Width(), 797);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 3);
}

TEST(MapFiles, UnwritableFolderStopsWithTheCreateMessage)
{
    QTemporaryDir dir;
    MapState state;
    const Bitmap32 studs = Uniform(3, 3, MapRedColor);
    MapJob job = state.Job(studs, "48x48");
    const std::string base = dir.filePath("missing/map").toStdString();
    try {
        SaveMap(job, base);
        FAIL() << "no error";
    } catch (const IoError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot create file " + base + "_1-1.png");
    }
}

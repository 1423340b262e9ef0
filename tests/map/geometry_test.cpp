// Panel arithmetic: sizes, counts, ranges and the texts built from them.
#include "common/error.h"
#include "common/styles.h"
#include "map/map_geometry.h"

#include <gtest/gtest.h>

#include <string>

using namespace tesselka;

namespace {

struct SizeRow
{
    const char* text;
    int studs, sub, scale;
};

} // namespace

TEST(MapGeometry, PanelSizeTextsAndRowsForEveryStyle)
{
    // Exact, case-sensitive: anything but the first three items is the large size.
    const SizeRow sizes[] = {{"6x6", 30, 6, 4},  {"8x8", 32, 8, 4}, {"32x32", 32, 32, 3}, {"48x48", 48, 48, 3},
                             {"6X6", 48, 48, 3}, {"", 48, 48, 3},   {" 8x8", 48, 48, 3},  {"64x64", 48, 48, 3}};
    for (const SizeRow& size : sizes) {
        for (std::string_view style : MosaicStyles) {
            const MapGeometry g = ComputeMapGeometry(size.text, style, 10, 10);
            EXPECT_EQ(g.PanelStuds, size.studs) << size.text;
            EXPECT_EQ(g.SubPanelStuds, size.sub) << size.text;
            EXPECT_EQ(g.SheetScale, size.scale) << size.text;
            int rows = size.studs;
            if (style.find("Plates - studs up") != std::string_view::npos)
                rows = 3 * size.studs;
            else if (style.starts_with("2x") && style.ends_with("studs out"))
                rows = size.studs / 2;
            EXPECT_EQ(g.PanelRows, rows) << size.text << " " << style;
        }
        EXPECT_EQ(ComputeMapGeometry(size.text, StudMixStyle, 1, 1).PanelRows, size.studs);
        // A style text that matches no phrase leaves the rows equal to the studs.
        EXPECT_EQ(ComputeMapGeometry(size.text, "whatever", 1, 1).PanelRows, size.studs);
    }
}

TEST(MapGeometry, PanelCountsAndRanges)
{
    const char* bricksOut = "1x Bricks - studs out";
    MapGeometry g = ComputeMapGeometry("48x48", bricksOut, 96, 96);
    EXPECT_EQ(g.PanelsAcross, 2);
    EXPECT_EQ(g.PanelsDown, 2);
    g = ComputeMapGeometry("32x32", bricksOut, 96, 96);
    EXPECT_EQ(g.PanelsAcross, 3);
    EXPECT_EQ(g.PanelsDown, 3);

    g = ComputeMapGeometry("6x6", bricksOut, 96, 96);
    EXPECT_EQ(g.PanelsAcross, 4);
    EXPECT_EQ(g.PanelsDown, 4);
    PanelRange last = g.Panel(3, 3);
    EXPECT_EQ(last.x0, 90);
    EXPECT_EQ(last.x1, 96);
    EXPECT_EQ(last.y0, 90);
    EXPECT_EQ(last.y1, 96);
    PanelRange inner = g.Panel(1, 2);
    EXPECT_EQ(inner.x0, 30);
    EXPECT_EQ(inner.x1, 60);
    EXPECT_EQ(inner.y0, 60);
    EXPECT_EQ(inner.y1, 90);

    g = ComputeMapGeometry("48x48", "1x Plates - studs up", 96, 96);
    EXPECT_EQ(g.PanelsAcross, 2);
    EXPECT_EQ(g.PanelsDown, 1);
    EXPECT_EQ(g.Panel(1, 0).y1, 96);

    g = ComputeMapGeometry("48x48", "2x Plates - studs out", 100, 50);
    EXPECT_EQ(g.PanelRows, 24);
    EXPECT_EQ(g.PanelsAcross, 3);
    EXPECT_EQ(g.PanelsDown, 3);
    EXPECT_EQ(g.Panel(2, 2).Width(), 4);
    EXPECT_EQ(g.Panel(2, 2).Height(), 2);

    // Smaller than one panel: exactly one, covering everything.
    g = ComputeMapGeometry("48x48", bricksOut, 7, 5);
    EXPECT_EQ(g.PanelCount(), 1);
    EXPECT_EQ(g.Panel(0, 0).Width(), 7);
    EXPECT_EQ(g.Panel(0, 0).Height(), 5);
    EXPECT_EQ(PanelLabel(0, 0), "Panel 1,1");
    EXPECT_EQ(PanelLabel(1, 2), "Panel 2,3");

    const PanelRange whole = g.Panel(-1, -1);
    EXPECT_EQ(whole.Width(), 7);
    EXPECT_EQ(whole.Height(), 5);

    // An empty mosaic has no panels rather than a division by its size.
    EXPECT_EQ(ComputeMapGeometry("6x6", bricksOut, 0, 0).PanelCount(), 0);
}

TEST(MapGeometry, AbsurdPanelCountIsRefusedBeforeAnyWork)
{
    // The bitmap limit allows 131072 cells across; with 6x6 panels in a studs-out 2x
    // style that would be millions of pages.
    EXPECT_THROW(ComputeMapGeometry("6x6", "2x Bricks - studs out", 131072, 3000), Error);
    EXPECT_NO_THROW(ComputeMapGeometry("48x48", "1x Bricks - studs out", 4800, 4800));
}

TEST(MapGeometry, SizeLineUnitsAndRows)
{
    EXPECT_EQ(MapSizeLine("1x Plates - studs up", 96, 120), "120 plates high x 96 studs wide");
    EXPECT_EQ(MapSizeLine("2x Bricks - studs out", 96, 60), "120 studs high x 96 studs wide");
    EXPECT_EQ(MapSizeLine("1x Bricks - studs up", 10, 20), "20 bricks high x 10 studs wide");
    EXPECT_EQ(MapSizeLine("1x Plates - studs out", 10, 20), "20 studs high x 10 studs wide");
    EXPECT_EQ(MapSizeLine("1x Plates - stud mix", 10, 20), "20 studs high x 10 studs wide");
}

TEST(MapGeometry, SubPanelNames)
{
    EXPECT_EQ(SubPanelName(0), "A");
    EXPECT_EQ(SubPanelName(25), "Z");
    EXPECT_EQ(SubPanelName(26), "AA");
    EXPECT_EQ(SubPanelName(27), "AB");
    EXPECT_EQ(SubPanelName(51), "AZ");
    EXPECT_EQ(SubPanelName(52), "BA");
    EXPECT_EQ(SubPanelName(701), "ZZ");
    EXPECT_EQ(SubPanelName(702), "[A");
}

// The composed printed map: pages, their pictures and footers, and the page frame.
#include "common/version.h"
#include "map/map_geometry.h"
#include "map_test_support.h"
#include "print/map_document.h"
#include "print/print_document.h"

#include <gtest/gtest.h>

using namespace tesselka;
using namespace tesselka::test;

namespace {

struct Printed
{
    ColorTable table = MapTestTable();
    SelectedColorArray palette = Palette({MapRedColor, MapBlueColor});
    Bitmap32 panelSheet, totalsSheet;
    QStringList totalsList;
    PrintDocument document{600, 600 * 8, 600 * 10}; // 8 x 10 inches printable

    void Compose(const Bitmap32& studs, const char* size)
    {
        MapOptions options;
        options.panelSize = size;
        MapJob job{studs,   table,      palette,     2,         "1x Bricks - studs out", 5, 5,
                   options, panelSheet, totalsSheet, totalsList};
        ComposeMapDocument(job, document);
    }

    QStringList Footers() const
    {
        QStringList footers;
        for (const PrintPage& page : document.Pages())
            footers << page.lines.back().text.section(FooterSeparator, 0, 0);
        return footers;
    }
};

} // namespace

TEST(PrintedMap, OnePanelGivesTwoPages)
{
    Printed p;
    p.Compose(Uniform(10, 10, MapRedColor), "48x48");
    ASSERT_EQ(p.document.Pages().size(), 2u);
    EXPECT_EQ(p.Footers(), QStringList({"Panel 1,1", "Total"}));
    EXPECT_TRUE(p.document.Preview);

    const PrintPage& panel = p.document.Pages()[0];
    ASSERT_EQ(panel.pictures.size(), 2u);
    // One sheet pixel per device pixel: 10 cells of 15 plus the border is 182 pixels.
    EXPECT_DOUBLE_EQ(panel.pictures[0].width, 182.0 / 600);
    EXPECT_DOUBLE_EQ(panel.pictures[0].left, 0.25);
    // Totals 96 device pixels and 0.35 inches above the page frame's bottom.
    EXPECT_DOUBLE_EQ(panel.pictures[1].top, 9.75 - 96.0 / 600 - 0.35);
    EXPECT_DOUBLE_EQ(panel.lines.back().top, 9.75 - 0.15);
    EXPECT_DOUBLE_EQ(panel.lines.back().right, 7.75);
    EXPECT_TRUE(panel.lines.back().text.endsWith(QString::fromLatin1(CreditContact)));
    EXPECT_TRUE(panel.lines.back().text.contains(QStringLiteral(" \u2022 Made with Tesselka Version 0.1.18 \u2022 ")));

    const PrintPage& last = p.document.Pages()[1];
    // The mosaic at 8 x 8 device pixels per cell, then title, style, panel size, size.
    EXPECT_DOUBLE_EQ(last.pictures[0].width, 80.0 / 600);
    QStringList texts;
    for (const PrintLine& line : last.lines)
        texts << line.text;
    EXPECT_EQ(texts.mid(0, 4), QStringList({"Mosaic Totals", "1x Bricks - studs out", "Panel size 48x48",
                                            "10 studs high x 10 studs wide"}));
    EXPECT_EQ(last.lines[0].font.sizePt, 48);
    EXPECT_DOUBLE_EQ(last.lines[3].top, 8.5);
}

TEST(PrintedMap, FootersFollowThePanelOrder)
{
    Printed p;
    // 3 panels across and 2 down.
    p.Compose(Uniform(70, 40, MapBlueColor), "32x32");
    EXPECT_EQ(p.Footers(),
              QStringList({"Panel 1,1", "Panel 1,2", "Panel 1,3", "Panel 2,1", "Panel 2,2", "Panel 2,3", "Total"}));
    EXPECT_EQ(p.totalsList.size(), 2 * 7);
    EXPECT_EQ(p.table[12].Count, 70 * 40);
}

// Dither Image in the real main window.
#include "reduce/reduce_colors.h"
#include "support/main_window.h"
#include "widgets/img_view32.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

#include <set>

namespace tesselka {
namespace {

class DitherStep : public ::testing::Test
{
protected:
    std::set<TColor> Colours(const Bitmap32& b) const
    {
        std::set<TColor> out;
        for (int y = 0; y < b.Height(); ++y)
            for (int x = 0; x < b.Width(); ++x)
                out.insert(WinColor(b.Pixel(x, y)));
        return out;
    }
    std::set<TColor> Selected() const
    {
        std::set<TColor> out;
        for (int i = 0; i < form.PaletteCount; ++i)
            out.insert(TColor(form.SelectedColors[size_t(i)]));
        return out;
    }
    int TickedBoxes() const
    {
        int n = 0;
        for (QCheckBox* box : form.PaletteBoxes)
            n += box->isChecked();
        return n;
    }

    test::MainWindow w;
    test::ScriptedPlatform& platform = w.platform;
    TForm1& form = w.form;
};

TEST_F(DitherStep, DithersTheStartPictureRightAfterStartUp)
{
    ASSERT_EQ(form.Stage, StagePicture);
    ASSERT_FALSE(form.WorkPicture.Empty());
    form.BitBtn2->click();

    EXPECT_EQ(form.Stage, StageDithered);
    EXPECT_TRUE(platform.messages.empty());
    EXPECT_EQ(form.DitherSettings.kind, DitherStucki); // dm2 is checked at start
    EXPECT_EQ(form.PaletteCount, TickedBoxes());
    EXPECT_EQ(form.SelectedColors[size_t(form.PaletteCount)], -1);

    // The view shows the full-size dithered picture, exactly the engine's result.
    IndexedBitmap expected;
    int n = 0;
    ASSERT_TRUE(
        ReduceBitmapColors(form.WorkPicture, ReduceCustomPalette, DitherStucki, 8, form.BuildPalette(n), expected));
    Bitmap32 expectedPicture;
    expected.ToBitmap32(expectedPicture);
    EXPECT_TRUE(form.image1->Bitmap() == expectedPicture);

    // The grids hold palette colours only: 96 studs wide, and 96 / (2 / 5) for the mix.
    EXPECT_EQ(form.StudImage.Width(), 96);
    EXPECT_EQ(form.MixStudImage.Width(), 240);
    std::set<TColor> palette = Selected();
    for (TColor c : Colours(form.StudImage))
        EXPECT_TRUE(palette.count(c)) << std::hex << c;
    for (TColor c : Colours(form.MixStudImage))
        EXPECT_TRUE(palette.count(c)) << std::hex << c;
    // The cell shape of the style is back after the mix pass.
    EXPECT_EQ(form.CellWidth, 5);
    EXPECT_EQ(form.CellHeight, 2);

    // A second run without changes gives the same grid.
    const Bitmap32 first = form.StudImage;
    form.BitBtn2->click();
    EXPECT_TRUE(form.StudImage == first);

    // The box beside the methods switches the step to perceptual matching.
    form.MatchBox->setCurrentIndex(1);
    form.BitBtn2->click();
    EXPECT_EQ(form.DitherSettings.matching, MatchPerceptual);
    ASSERT_TRUE(ReduceBitmapColors(form.WorkPicture, ReduceCustomPalette, DitherStucki, 8, form.BuildPalette(n),
                                   expected, {}, MatchPerceptual));
    expected.ToBitmap32(expectedPicture);
    EXPECT_TRUE(form.image1->Bitmap() == expectedPicture);
    EXPECT_FALSE(form.StudImage == first);
}

TEST_F(DitherStep, SingleColourPaletteGivesASingleColourGrid)
{
    form.BitBtn9->click(); // None
    form.PaletteBoxes[3]->setChecked(true);
    form.dm1->setChecked(true);
    form.BitBtn2->click();

    EXPECT_EQ(form.DitherSettings.kind, DitherFloydSteinberg);
    ASSERT_EQ(form.PaletteCount, 1);
    const std::set<TColor> only = {TColor(form.SelectedColors[0])};
    EXPECT_EQ(Colours(form.StudImage), only);
    EXPECT_EQ(Colours(form.image1->Bitmap()), only);
}

TEST_F(DitherStep, FailuresKeepWhatTheStepDidNotReach)
{
    form.BitBtn2->click();
    const Bitmap32 grid = form.StudImage;
    const Bitmap32 shown = form.image1->Bitmap();
    const Bitmap32 strip = form.PaletteStrip();
    const SelectedColorArray selected = form.SelectedColors;

    // An empty width box stops at the scaling: the grid, the view, the strip, the colour
    // list that goes with them and Stage stay; the dither settings hold the new values.
    form.Stage = StagePicture; // as after a tone change
    form.Edit2->setText(QString());
    form.dm7->setChecked(true);
    form.BitBtn9->click();
    form.PaletteBoxes[0]->setChecked(true);
    form.BitBtn2->click();
    EXPECT_EQ(platform.LastMessage(), QStringLiteral("'' is not a valid integer value"));
    EXPECT_EQ(form.Stage, StagePicture);
    EXPECT_TRUE(form.StudImage == grid);
    EXPECT_TRUE(form.image1->Bitmap() == shown);
    EXPECT_TRUE(form.PaletteStrip() == strip);
    EXPECT_EQ(form.DitherSettings.kind, DitherNearest);
    EXPECT_TRUE(form.SelectedColors == selected);

    // No box ticked: an empty picture, so the scaling (even without a width) leaves the
    // grid; the view empties and Stage still moves on.
    platform.messages.clear();
    form.BitBtn9->click();
    form.BitBtn2->click();
    EXPECT_TRUE(platform.messages.empty());
    EXPECT_EQ(form.PaletteCount, 0);
    EXPECT_EQ(form.Stage, StageDithered);
    EXPECT_TRUE(form.image1->Bitmap().Empty());
    EXPECT_TRUE(form.StudImage == grid);
}

// A very tall picture: the stud-mix grid, which "2x Bricks - studs out" does not show,
// would be too tall and is left out instead of refusing the style. In the stud-mix style
// both Make Mosaic (no grid to draw) and Dither Image (too tall) refuse with the reason,
// and leave every picture, the label and Stage as they were.
TEST_F(DitherStep, TallPictureNeedsOnlyTheGridsTheStyleShows)
{
    form.WorkPicture = Bitmap32(1, 1400);
    form.WorkPicture.Clear(0xFF808080u);
    form.Edit2->setText(QStringLiteral("100"));
    form.ComboBox1->setCurrentText(QStringLiteral("2x Bricks - studs out"));
    form.ComboBox1Change();
    form.BitBtn2->click();
    EXPECT_TRUE(platform.messages.empty()) << platform.LastMessage().toStdString();
    EXPECT_EQ(form.Stage, StageDithered);
    EXPECT_EQ(form.StudImage.Width(), 100);
    EXPECT_NEAR(form.StudImage.Height(), 70000, 1);
    EXPECT_TRUE(form.MixStudImage.Empty());

    const Bitmap32 grid = form.StudImage;
    const Bitmap32 shown = form.image1->Bitmap();
    const QString label = form.Label5->text();
    form.ComboBox1->setCurrentText(QStringLiteral("1x Plates - stud mix"));
    form.ComboBox1Change();
    form.dm7->setChecked(true);
    for (QPushButton* step : {form.BitBtn10, form.BitBtn2}) {
        SCOPED_TRACE(step->text().toStdString());
        platform.messages.clear();
        step->click();
        EXPECT_TRUE(platform.LastMessage().startsWith(QStringLiteral("A mosaic 100 studs wide would be too tall")))
            << platform.LastMessage().toStdString();
        EXPECT_EQ(form.Stage, StageDithered);
        EXPECT_TRUE(form.StudImage == grid);
        EXPECT_TRUE(form.MixStudImage.Empty());
        EXPECT_TRUE(form.image1->Bitmap() == shown);
        EXPECT_EQ(form.image1->LayerCount(), 0);
        EXPECT_EQ(form.Label5->text(), label);
    }
}

TEST_F(DitherStep, AutoDitherRunsOncePerChangedPaletteBox)
{
    form.CheckBox45->setChecked(true);
    const int before = TickedBoxes();
    ASSERT_LT(before, PaletteSize);
    const uint64_t revision = form.image1->Revision();
    form.BitBtn5->click(); // All: every box that was not ticked changes
    EXPECT_EQ(form.image1->Revision() - revision, uint64_t(PaletteSize - before));
    EXPECT_EQ(form.PaletteCount, PaletteSize);
    EXPECT_EQ(form.Stage, StageDithered);

    // Ticking a box that is already ticked changes nothing and does not dither.
    const uint64_t afterAll = form.image1->Revision();
    form.PaletteBoxes[0]->setChecked(true);
    EXPECT_EQ(form.image1->Revision(), afterAll);
    // A dither method click dithers once.
    form.dm6->setChecked(true);
    EXPECT_EQ(form.image1->Revision(), afterAll + 1);
    EXPECT_EQ(form.DitherSettings.kind, DitherBurkes);
}

} // namespace
} // namespace tesselka

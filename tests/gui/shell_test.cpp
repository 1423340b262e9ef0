#include "app/form1.h"
#include "support/scripted_platform.h"
#include "support/test_paths.h"
#include "widgets/color_panel.h"
#include "widgets/img_view32.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace tesselka;
using tesselka::test::ScriptedPlatform;

namespace {

class ShellTest : public ::testing::Test
{
protected:
    ScriptedPlatform platform;
    std::unique_ptr<TForm1> form;

    void Open(const QString& appDir = QCoreApplication::applicationDirPath())
    {
        form = std::make_unique<TForm1>(platform, appDir);
        form->show();
    }

    int Ticked() const
    {
        int n = 0;
        for (QCheckBox* box : form->PaletteBoxes)
            n += box->isChecked();
        return n;
    }

    void TypeStyle(const QString& text)
    {
        form->ComboBox1->lineEdit()->clear();
        QTest::keyClicks(form->ComboBox1->lineEdit(), text);
    }
};

} // namespace

TEST_F(ShellTest, CreationThenFirstShowing)
{
    form = std::make_unique<TForm1>(platform, QCoreApplication::applicationDirPath());
    EXPECT_EQ(form->Stage, StageCreated);
    EXPECT_EQ(form->DitherSettings.kind, DitherNearest);
    EXPECT_EQ(form->DitherSettings.reductionBits, 8);
    form->show();
    EXPECT_EQ(form->Stage, StagePicture);
    EXPECT_TRUE(platform.messages.empty());
    EXPECT_EQ(form->SourcePicture.Width(), 321);
    EXPECT_EQ(form->SourcePicture.Height(), 94);
    EXPECT_TRUE(form->SourcePicture == form->image1->Bitmap());
    EXPECT_TRUE(form->WorkPicture == form->SourcePicture);
    EXPECT_TRUE(form->windowTitle().startsWith(QStringLiteral("Tesselka ")));
    EXPECT_TRUE(form->windowTitle().endsWith(QStringLiteral("Version 0.1.18")));
    EXPECT_EQ(form->CellWidth, 5);
    EXPECT_EQ(form->CellHeight, 2);
    EXPECT_EQ(form->ComboBox1->count(), 8);
    EXPECT_EQ(form->Edit2->text(), QStringLiteral("96"));
    EXPECT_TRUE(form->dm2->isChecked());
    EXPECT_FALSE(form->Button3->isEnabled());
    EXPECT_FALSE(form->LayerOpacity->isEnabled());
    EXPECT_EQ(Ticked(), 7);
    EXPECT_EQ(form->PenColor, 0u);
}

TEST_F(ShellTest, PanelsTakeTheirColoursAndNamesFromTheTable)
{
    Open();
    ASSERT_TRUE(form->ColorTableRead);
    for (size_t i = 0; i < PaletteEntries.size(); ++i) {
        ColorPanel* panel = form->PalettePanels[i];
        EXPECT_EQ(panel->objectName(), QStringLiteral("Panel%1").arg(PaletteEntries[i].panel));
        // The shipped table lists the palette first, in panel order.
        EXPECT_EQ(panel->Color(), form->ColorSlots[int(i)].Color);
        EXPECT_TRUE(panel->toolTip().endsWith(QStringLiteral(" LDraw %1").arg(PaletteEntries[i].code)));
        EXPECT_TRUE(form->ColorSlots[form->ColorSlots.PanelSlotForCode(PaletteEntries[i].code)].OnPanel);
    }
    EXPECT_EQ(form->PalettePanels[0]->toolTip(), QStringLiteral("Red LDraw 4"));
    EXPECT_EQ(form->Panel42->toolTip(), QStringLiteral("Black LDraw 0"));
    EXPECT_EQ(form->PalettePanels[0]->Color(), RgbToColor(0xB4, 0x00, 0x00));
    EXPECT_EQ(form->Panel42->Color(), RgbToColor(0x1B, 0x2A, 0x34));
}

TEST_F(ShellTest, MissingColourTableInformsAndKeepsDesignedColours)
{
    QTemporaryDir empty;
    Open(empty.path());
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].kind, MessageKind::Information);
    EXPECT_EQ(platform.messages[0].text.toStdString(),
              MissingColorTableText(ColorTablePlaces(empty.path().toStdString())));
    EXPECT_FALSE(form->ColorTableRead);
    EXPECT_EQ(form->PalettePanels[0]->Color(), 204u);
    EXPECT_EQ(form->Stage, StagePicture);
    for (const ColorSlot& slot : form->ColorSlots)
        EXPECT_EQ(slot.Code, -1);
}

TEST_F(ShellTest, ReferenceColourTableRecoloursEveryPanelIncludingLateLines)
{
    QTemporaryDir dir;
    ASSERT_TRUE(QFile::copy(QString::fromStdString(test::ReferenceColorTable()), dir.filePath("ldconfig.ldr")));
    Open(dir.path());
    EXPECT_TRUE(platform.messages.empty());
    for (size_t i = 0; i < PaletteEntries.size(); ++i) {
        const ColorSlot& slot = form->ColorSlots[form->ColorSlots.SlotForCode(PaletteEntries[i].code)];
        EXPECT_EQ(form->PalettePanels[i]->Color(), slot.Color) << PaletteEntries[i].code;
        EXPECT_NE(form->PalettePanels[i]->toolTip(), QStringLiteral(" LDraw -1"));
    }
    // Code 21 is far down the reference table.
    EXPECT_EQ(form->PalettePanels[14]->toolTip(), QStringLiteral("Glow In Dark Opaque LDraw 21"));
    EXPECT_EQ(form->PalettePanels[14]->Color(), 0xB0FFE0u);
}

TEST_F(ShellTest, LowColourDepthWarns)
{
    platform.colorDepth = 16;
    Open();
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].kind, MessageKind::Warning);
    EXPECT_EQ(platform.messages[0].text,
              QStringLiteral("You are running in 16 bit color depth mode.\n\rTesselka needs to be run in 32 bit "
                             "color depth mode."));
    EXPECT_EQ(form->Stage, StagePicture);
}

TEST_F(ShellTest, StyleSetsTheCellShape)
{
    Open();
    const struct
    {
        const char* style;
        int height;
    } rows[] = {{"2x Bricks - studs out", 10}, {"1x Bricks - studs up", 6},   {"1x Plates - studs out", 5},
                {"2x Plates - studs up", 2},   {"2x Plates - studs out", 10}, {"1x Plates - stud mix", 2}};
    for (const auto& row : rows) {
        TypeStyle(QString::fromLatin1(row.style));
        EXPECT_EQ(form->CellWidth, 5);
        EXPECT_EQ(form->CellHeight, row.height) << row.style;
    }
    TypeStyle(QStringLiteral("2x Bricks - studs up"));
    ASSERT_EQ(form->CellHeight, 6);
    // Partial or unknown text keeps the height; the comparison is case-sensitive.
    TypeStyle(QStringLiteral("1x plates - studs up"));
    EXPECT_EQ(form->CellHeight, 6);
    EXPECT_EQ(form->CellWidth, 5);
    // Setting the text from the program runs no handler.
    form->ComboBox1->setCurrentText(QStringLiteral("1x Plates - studs out"));
    EXPECT_EQ(form->CellHeight, 6);
}

TEST_F(ShellTest, PaletteButtonsAndOrder)
{
    Open();
    form->BitBtn5->click();
    EXPECT_EQ(Ticked(), 41);
    form->BitBtn9->click();
    EXPECT_EQ(Ticked(), 0);
    form->BitBtn5->click();
    form->BitBtn12->click();
    EXPECT_EQ(Ticked(), 7);
    int n = 0;
    form->BuildPalette(n);
    ASSERT_EQ(n, 7);
    // Creation order: red (4), yellow (14), green (2), blue (1), black (0), grey (7), white (15).
    const int codes[7] = {4, 14, 2, 1, 0, 7, 15};
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(form->SelectedColors[size_t(i)],
                  int64_t(form->ColorSlots[form->ColorSlots.SlotForCode(codes[i])].Color))
            << i;
    EXPECT_EQ(form->SelectedColors[7], -1);

    // Ticking in another order does not change the order.
    form->BitBtn9->click();
    form->PaletteBoxes[40]->setChecked(true); // code 288
    form->PaletteBoxes[1]->setChecked(true);  // code 12
    form->BuildPalette(n);
    ASSERT_EQ(n, 2);
    EXPECT_EQ(form->SelectedColors[0], int64_t(form->ColorSlots[1].Color));
    EXPECT_EQ(form->SelectedColors[1], int64_t(form->ColorSlots[40].Color));

    form->BitBtn9->click();
    ReductionPalette empty = form->BuildPalette(n);
    EXPECT_EQ(n, 0);
    EXPECT_EQ(empty.Count(), 0);
    EXPECT_EQ(form->SelectedColors[0], -1);
}

TEST_F(ShellTest, PaletteStripPixelsAndStripClick)
{
    Open();
    int n = 0;
    form->BuildPalette(n);
    form->DrawPaletteStrip(3);
    const Bitmap32& strip = form->PaletteStrip();
    ASSERT_EQ(strip.Width(), 24);
    ASSERT_EQ(strip.Height(), 400);
    // The first three ticked colours: red, yellow, green.
    const TColor red = form->ColorSlots[form->ColorSlots.SlotForCode(4)].Color;
    const TColor yellow = form->ColorSlots[form->ColorSlots.SlotForCode(14)].Color;
    const TColor green = form->ColorSlots[form->ColorSlots.SlotForCode(2)].Color;
    EXPECT_EQ(WinColor(strip.Pixel(0, 0)), red);
    EXPECT_EQ(WinColor(strip.Pixel(11, 11)), red);
    EXPECT_EQ(WinColor(strip.Pixel(12, 0)), yellow);
    EXPECT_EQ(WinColor(strip.Pixel(0, 12)), green);
    QColor face = QApplication::palette().color(QPalette::Button);
    EXPECT_EQ(strip.Pixel(12, 12), Color32(face.red(), face.green(), face.blue()));
    EXPECT_EQ(form->Image2->pixmap().height(), 336);

    QTest::mouseClick(form->Image2, Qt::RightButton, {}, QPoint(14, 3));
    EXPECT_EQ(form->PenColor, yellow);
    EXPECT_EQ(form->Panel42->Color(), yellow);
}

TEST_F(ShellTest, PanelClickPicksThePenColourButTheBoxOnlyToggles)
{
    Open();
    ColorPanel* orange = form->PalettePanels[5];
    const TColor orangeColour = form->ColorSlots[form->ColorSlots.SlotForCode(25)].Color;
    ASSERT_EQ(orange->Color(), orangeColour);
    QTest::mouseClick(orange, Qt::LeftButton, {}, QPoint(11, 3));
    EXPECT_EQ(form->PenColor, orangeColour);
    EXPECT_EQ(form->Panel42->Color(), orangeColour);

    QCheckBox* redBox = form->PaletteBoxes[0];
    bool was = redBox->isChecked();
    QTest::mouseClick(redBox, Qt::LeftButton, {}, QPoint(7, 8));
    EXPECT_NE(redBox->isChecked(), was);
    EXPECT_EQ(form->PenColor, orangeColour);
}

TEST_F(ShellTest, WidthBoxTakesDigitsAndBackspaceOnly)
{
    Open();
    form->Edit2->setFocus();
    form->Edit2->end(false);
    QTest::keyClicks(form->Edit2, QStringLiteral("a -1.2"));
    EXPECT_EQ(form->Edit2->text(), QStringLiteral("9612"));
    QTest::keyClick(form->Edit2, Qt::Key_Backspace);
    EXPECT_EQ(form->Edit2->text(), QStringLiteral("961"));
    QApplication::clipboard()->setText(QStringLiteral("7x"));
    form->Edit2->paste();
    EXPECT_EQ(form->Edit2->text(), QStringLiteral("961"));
    QApplication::clipboard()->setText(QStringLiteral("7"));
    form->Edit2->paste();
    EXPECT_EQ(form->Edit2->text(), QStringLiteral("9617"));
}

TEST_F(ShellTest, CtrlZNeedsCtrlAlone)
{
    Open();
    form->UndoList << QStringLiteral("pen\t0\t0\t-1\t0");
    QTest::keyClick(form.get(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QTest::keyClick(form.get(), Qt::Key_Z, Qt::ControlModifier | Qt::AltModifier);
    QTest::keyClick(form.get(), Qt::Key_Z);
    EXPECT_EQ(form->UndoList.size(), 1);
}

TEST_F(ShellTest, ResizeSnapsToTheSmallestSizeAndTheViewFollows)
{
    Open();
    form->resize(500, 500);
    EXPECT_EQ(form->width(), 800);
    EXPECT_EQ(form->height(), 755);
    EXPECT_EQ(form->image1->geometry(), QRect(328, 8, 800 - 328 - 16, 755 - 8 - 39));
    form->resize(1200, 900);
    EXPECT_EQ(form->image1->geometry(), QRect(328, 8, 1200 - 328 - 16, 900 - 8 - 39));
}

TEST_F(ShellTest, AutoMosaicBringsAutoDither)
{
    Open();
    form->CheckBox46->setChecked(true);
    EXPECT_TRUE(form->CheckBox45->isChecked());
    EXPECT_EQ(form->CheckBox46->property("Tag").toInt(), 6969);
    EXPECT_EQ(form->Panel43->Tag, 600);
}

TEST_F(ShellTest, PictureSavesOfferPngAndLeaveLdrForModels)
{
    Open();
    form->StudImage = Bitmap32(2, 2);
    form->StudImage.Clear(clWhite32);
    form->Stage = StageDithered;
    for (QPushButton* save : {form->Button2, form->Button12}) {
        save->click(); // cancelled: no answer queued
        ASSERT_FALSE(platform.fileDialogsShown.empty());
        EXPECT_EQ(platform.fileDialogsShown.back().Filter, QStringLiteral("pngs (*.png)|*.png"));
        EXPECT_EQ(platform.fileDialogsShown.back().DefaultExt, QStringLiteral("png"));
        EXPECT_TRUE(platform.fileDialogsShown.back().OverwritePrompt);
        EXPECT_EQ(form->SaveDialog1.DefaultExt, QStringLiteral("ldr"));
    }
}

TEST_F(ShellTest, EveryControlHasATipAndGroupFramesPassAboveTheirControls)
{
    Open();
    for (QWidget* w : form->findChildren<QWidget*>()) {
        const QString name = w->objectName();
        const bool control = qobject_cast<QAbstractButton*>(w) || qobject_cast<QAbstractSlider*>(w) ||
                             qobject_cast<QLineEdit*>(w) || qobject_cast<QComboBox*>(w) ||
                             qobject_cast<ColorPanel*>(w) || qobject_cast<ImgView32*>(w);
        if (!control || name.isEmpty() || name.startsWith(QLatin1String("qt_")))
            continue;
        // A palette box shows its panel's colour name.
        EXPECT_FALSE(w->toolTip().isEmpty() && w->parentWidget()->toolTip().isEmpty()) << name.toStdString();
    }
    EXPECT_EQ(form->Button6->toolTip(), QStringLiteral("Reset Brightness to 0"));

    // Down the middle of each group, the first thing drawn is its frame, above the
    // group's first control.
    for (auto [box, first] :
         {std::pair<QWidget*, QWidget*>{form->GroupBox2, form->dm1}, {form->GroupBox3, form->CheckBox42}}) {
        const QImage shot = box->grab().toImage();
        const int x = shot.width() / 2;
        int line = 0;
        while (line < shot.height() && shot.pixel(x, line) == shot.pixel(x, 0))
            ++line;
        EXPECT_LT(line, first->y()) << box->objectName().toStdString();
    }
}

#include "mosaic/mosaic_renderer.h"
#include "support/main_window.h"
#include "widgets/color_panel.h"
#include "widgets/img_view32.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace tesselka;
using tesselka::test::ScriptedPlatform;

namespace {

constexpr TColor Red = 0x0000FF, Blue = 0xFF0000, Yellow = 0x00FFFF, Green = 0x00FF00;
const QString NoDither = QStringLiteral("I can not Make the Mosaic till you have pressed the \"Dither Image\" button.");

Bitmap32 Filled(int w, int h, TColor c)
{
    Bitmap32 b(w, h);
    b.Clear(Color32(c));
    return b;
}

class MosaicWindowTest : public ::testing::Test
{
protected:
    test::MainWindow w;
    ScriptedPlatform& platform = w.platform;
    TForm1* form = &w.form;

    // What the dither step leaves behind.
    void Dithered(const Bitmap32& studs)
    {
        form->StudImage = studs;
        form->Stage = StageDithered;
    }
    void Style(const char* style)
    {
        form->ComboBox1->setCurrentText(QString::fromLatin1(style));
        form->ComboBox1Change();
    }
    QWidget* Viewport() { return form->image1->viewport(); }
    TColor StudAt(int x, int y) { return TColor(form->StudImage.ColorAt(x, y)); }
    Bitmap32 FullRender()
    {
        MosaicRenderSettings s;
        s.cellWidth = form->CellWidth;
        s.cellHeight = form->CellHeight;
        s.scale = form->sbScale->value();
        s.grids = {form->CheckBox42->isChecked(), form->CheckBox43->isChecked(), form->CheckBox44->isChecked()};
        Bitmap32 view;
        RenderMosaicView(form->StudImage, s, view);
        return view;
    }
    void Press(QPoint p, Qt::KeyboardModifiers m = Qt::NoModifier)
    {
        QTest::mousePress(Viewport(), Qt::LeftButton, m, p);
    }
    void Move(QPoint p, Qt::KeyboardModifiers m = Qt::NoModifier)
    {
        QMouseEvent move(QEvent::MouseMove, p, Viewport()->mapToGlobal(p), Qt::NoButton, QApplication::mouseButtons(),
                         m);
        QApplication::sendEvent(Viewport(), &move);
    }
    void Release(QPoint p) { QTest::mouseRelease(Viewport(), Qt::LeftButton, Qt::NoModifier, p); }
};

} // namespace

TEST_F(MosaicWindowTest, BeforeDitherMakeMosaicAndExportRefuse)
{
    // Without an overlay the opacity slider only changes its label.
    form->LayerOpacity->setValue(50);
    EXPECT_EQ(form->Label12->text(), QStringLiteral("Opacity 50"));
    EXPECT_EQ(form->image1->LayerCount(), 0);

    const Bitmap32 before = form->image1->Bitmap();
    form->BitBtn10->click();
    ASSERT_FALSE(platform.messages.empty());
    EXPECT_EQ(platform.messages.front().kind, MessageKind::Information);
    EXPECT_EQ(platform.messages.front().text, NoDither);
    EXPECT_EQ(form->Stage, StagePicture);
    EXPECT_EQ(form->image1->Bitmap(), before);

    platform.messages.clear();
    form->Button12->click();
    EXPECT_EQ(platform.LastMessage(), NoDither);
    EXPECT_TRUE(platform.fileDialogsShown.empty());
}

TEST_F(MosaicWindowTest, MakeMosaicDrawsTheViewAndAnOverlayOfThePicture)
{
    Bitmap32 picture(2, 1); // left half red, right half blue once stretched
    picture.SetColorAt(0, 0, Red);
    picture.SetColorAt(1, 0, Blue);
    form->SourcePicture = picture;
    form->CheckBox42->setChecked(true); // before a mosaic exists: only the label
    Bitmap32 studs = Filled(4, 3, Yellow);
    studs.SetColorAt(1, 1, Green);
    Dithered(studs);

    form->BitBtn10->click();
    EXPECT_TRUE(platform.messages.empty());
    EXPECT_EQ(form->Stage, StageMosaic);
    EXPECT_EQ(form->ViewWidth, 20);
    EXPECT_EQ(form->ViewHeight, 6);
    EXPECT_EQ(form->image1->Bitmap(), FullRender());
    ASSERT_NE(form->OverlayLayer, nullptr);
    EXPECT_EQ(form->image1->LayerCount(), 1);
    EXPECT_TRUE(form->LayerOpacity->isEnabled());

    const Bitmap32& view = form->image1->Bitmap();
    // Opacity 0: the overlay exists but nothing of it shows.
    EXPECT_EQ(form->image1->Composed(), view);
    // Opacity 255: the picture covers the mosaic, stretched to its size.
    form->LayerOpacity->setValue(255);
    EXPECT_EQ(form->Label12->text(), QStringLiteral("Opacity 255"));
    EXPECT_EQ(form->image1->Composed(), [] {
        Bitmap32 b(20, 6);
        b.FillRect(0, 0, 10, 6, Color32(Red));
        b.FillRect(10, 0, 20, 6, Color32(Blue));
        return b;
    }());
    // Opacity 128: (layer * 128 + view * 127 + 127) / 255 per channel.
    form->LayerOpacity->setValue(128);
    const TColor32 shown = form->image1->ShownColorAt(6, 3); // green stud under red picture
    EXPECT_EQ(view.Pixel(6, 3), Color32(Green));
    EXPECT_EQ(shown, Color32(128, 127, 0));
}

TEST_F(MosaicWindowTest, ScaleAndGridChangesRedrawOnlyOnceAMosaicExists)
{
    form->SourcePicture = Filled(3, 3, Blue);
    Dithered(Filled(4, 3, Yellow));
    const Bitmap32 before = form->image1->Bitmap();
    form->sbScale->setValue(2);
    EXPECT_EQ(form->Label3->text(), QStringLiteral("Scale x2"));
    EXPECT_EQ(form->Stage, StageDithered);
    EXPECT_EQ(form->image1->Bitmap(), before);

    form->BitBtn10->click();
    form->LayerOpacity->setValue(100);
    form->sbScale->setValue(3);
    ASSERT_EQ(form->image1->LayerCount(), 1);
    EXPECT_EQ(form->OverlayLayer->Location, QRect(0, 0, 60, 18));
    EXPECT_EQ(form->OverlayLayer->MasterAlpha, 100);
    form->CheckBox44->setChecked(true);
    EXPECT_EQ(form->image1->Bitmap(), FullRender());
}

TEST_F(MosaicWindowTest, CtrlFillsAndUndoActsWithTheScaleInForce)
{
    Bitmap32 studs = Filled(6, 4, Yellow);
    studs.FillRect(3, 0, 4, 4, Color32(Blue)); // a wall splits the yellow
    Dithered(studs);
    form->BitBtn10->click();
    form->PenColor = Green;
    Press(QPoint(2, 1), Qt::ControlModifier);
    Release(QPoint(2, 1));
    EXPECT_EQ(form->UndoList, QStringList({"fill\t2\t1\t65280\t65535"}));
    EXPECT_EQ(StudAt(2, 3), Green);
    EXPECT_EQ(StudAt(4, 0), Yellow);
    form->Button3->click();
    EXPECT_EQ(form->StudImage, studs);
    EXPECT_FALSE(form->Button3->isEnabled());

    form->PenColor = Red;
    Press(QPoint(12, 0)); // scale 1: cell (2, 0)
    Release(QPoint(12, 0));
    form->sbScale->setValue(2);
    form->StudImage.SetColorAt(1, 0, Blue);
    form->Button3->click(); // (12, 0) now lies in cell (1, 0)
    EXPECT_EQ(StudAt(1, 0), Yellow);
    EXPECT_EQ(StudAt(2, 0), Red);
    EXPECT_EQ(form->image1->Bitmap(), FullRender());

    // An undo after a new picture (Stage 0) takes the edit back but cannot draw.
    Press(QPoint(1, 1));
    Release(QPoint(1, 1));
    ASSERT_EQ(StudAt(0, 0), Red);
    form->Stage = StagePicture;
    const Bitmap32 shown = form->image1->Bitmap();
    form->Button3->click();
    EXPECT_EQ(StudAt(0, 0), Yellow);
    EXPECT_EQ(platform.LastMessage(), NoDither);
    EXPECT_EQ(form->image1->Bitmap(), shown);
}

TEST_F(MosaicWindowTest, DropperTakesShownColoursButNotBlackRedOrWindowGrey)
{
    Style("1x Plates - studs out"); // cells of 5 x 5
    form->sbScale->setValue(2);     // 10 x 10
    Bitmap32 studs = Filled(10, 10, Yellow);
    studs.SetColorAt(1, 0, Blue);
    studs.SetColorAt(2, 0, 16118771);
    Dithered(studs);
    form->CheckBox42->setChecked(true);
    form->CheckBox43->setChecked(true);
    form->CheckBox44->setChecked(true);
    form->BitBtn10->click();
    form->PenColor = Green;
    auto pick = [&](QPoint p) {
        Press(p, Qt::AltModifier);
        Release(p);
        return form->PenColor;
    };
    EXPECT_EQ(pick(QPoint(5, 0)), Green);             // black top border of row 0
    EXPECT_EQ(pick(QPoint(5, 80)), Green);            // red line of row 8
    EXPECT_EQ(pick(QPoint(25, 5)), Green);            // (243, 243, 245)
    EXPECT_EQ(pick(QPoint(15, 5)), Blue);             // a cell
    EXPECT_EQ(form->Panel42->Color(), Blue);          //
    EXPECT_EQ(pick(QPoint(5, 10)), TColor(0xDDDDDD)); // the grey grid
    form->LayerOpacity->setValue(128);                // the start picture over it
    const TColor blended = WinColor(form->image1->ShownColorAt(55, 55));
    EXPECT_EQ(pick(QPoint(55, 55)), blended);
    EXPECT_TRUE(form->UndoList.isEmpty());
}

TEST_F(MosaicWindowTest, SpaceDragPansAndPaintsNothing)
{
    Style("1x Plates - studs out");
    Dithered(Filled(300, 300, Yellow)); // 1500 x 1500 pixels
    form->BitBtn10->click();
    form->image1->setFocus();
    QTest::keyPress(form->image1, Qt::Key_Space);
    EXPECT_EQ(form->ToolMode, 1);
    EXPECT_EQ(form->image1->ScreenCursor(), -21);
    Press(QPoint(100, 100));
    Move(QPoint(60, 70));
    EXPECT_EQ(form->Label13->text(), QStringLiteral("100 100 0 0 60 70"));
    EXPECT_EQ(form->image1->OffsetHorz(), 40);
    EXPECT_EQ(form->image1->OffsetVert(), 30);
    Release(QPoint(60, 70));
    QTest::keyRelease(form->image1, Qt::Key_Space);
    EXPECT_EQ(form->ToolMode, 0);
    EXPECT_EQ(form->image1->ScreenCursor(), 0);
    EXPECT_TRUE(form->UndoList.isEmpty());

    // Scrolled: a press lands on the picture point under the pointer.
    form->PenColor = Red;
    Press(QPoint(1, 1));
    Release(QPoint(1, 1));
    EXPECT_EQ(form->UndoList.last(), QStringLiteral("pen\t41\t31\t65535\t0"));
    EXPECT_EQ(StudAt(8, 6), Red);
}

TEST_F(MosaicWindowTest, CursorsAndDragsFollowStageAndModifiers)
{
    Press(QPoint(3, 3)); // Stage 0: a drag that must end with its release
    Release(QPoint(3, 3));
    Move(QPoint(3, 3));
    EXPECT_EQ(form->image1->ScreenCursor(), 0);
    Dithered(Filled(4, 4, Yellow));
    form->BitBtn10->click();
    Move(QPoint(3, 3)); // no button held: the pencil, and nothing painted
    EXPECT_EQ(form->image1->ScreenCursor(), 1);
    EXPECT_TRUE(form->UndoList.isEmpty());
    Move(QPoint(3, 3), Qt::AltModifier);
    EXPECT_EQ(form->image1->ScreenCursor(), 2);
    QTest::keyPress(form->image1, Qt::Key_Control, Qt::NoModifier);
    EXPECT_EQ(form->image1->ScreenCursor(), 3);
    QTest::keyRelease(form->image1, Qt::Key_Control, Qt::ControlModifier);
    EXPECT_EQ(form->image1->ScreenCursor(), 1);
}

TEST_F(MosaicWindowTest, SaveSixteenBySixteenWorksFromStageOne)
{
    QTemporaryDir dir;
    Bitmap32 studs = Filled(50, 40, Yellow);
    studs.SetColorAt(0, 0, Red);
    studs.SetColorAt(49, 39, Blue);
    Dithered(studs);
    const QString first = dir.filePath("a.png");
    platform.fileAnswers = {first, std::nullopt};
    form->Button12->click();
    ASSERT_TRUE(platform.messages.empty()) << platform.LastMessage().toStdString();
    EXPECT_EQ(platform.fileDialogsShown.at(0).Filter, QStringLiteral("pngs (*.png)|*.png"));
    // A bare name becomes a .png, not a PNG named .ldr; Make LDraw keeps its default.
    EXPECT_EQ(platform.fileDialogsShown.at(0).DefaultExt, QStringLiteral("png"));
    EXPECT_EQ(form->SaveDialog1.DefaultExt, QStringLiteral("ldr"));
    QImage png(first);
    ASSERT_EQ(png.size(), QSize(800, 640));
    EXPECT_FALSE(png.hasAlphaChannel());
    EXPECT_EQ(png.pixel(15, 15), QColor(255, 0, 0).rgb());
    EXPECT_EQ(png.pixel(16, 15), QColor(255, 255, 0).rgb());
    EXPECT_EQ(png.pixel(799, 639), QColor(0, 0, 255).rgb());

    QFile::remove(first);
    form->Button12->click(); // cancelled: nothing written
    EXPECT_EQ(platform.fileDialogsShown.size(), 2u);
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
}

TEST_F(MosaicWindowTest, StudMixOverlaysTheMixViewAndWritesThreeFiles)
{
    QTemporaryDir dir;
    const QString keptDir = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    Style("1x Plates - stud mix");
    form->CheckBox44->setChecked(true);
    Dithered(Filled(6, 11, Yellow));
    form->MixStudImage = Filled(15, 4, Blue);
    form->BitBtn10->click();
    QDir::setCurrent(keptDir);

    EXPECT_TRUE(platform.messages.empty());
    EXPECT_EQ(form->CellWidth, 5);
    EXPECT_EQ(form->CellHeight, 2);
    EXPECT_EQ(form->ViewWidth, 30);
    EXPECT_EQ(form->ViewHeight, 22);
    EXPECT_EQ(form->StudImage, Filled(6, 11, Yellow));
    // The main view's red row lines every 5 rows (its column lines need cells taller
    // than 2 pixels).
    EXPECT_EQ(form->image1->Bitmap().Pixel(2, 10), Color32(255, 0, 0));
    EXPECT_EQ(form->image1->Bitmap().Pixel(2, 8), Color32(Yellow));
    // The overlay is the mix view: cells of 2 x 5, red lines every 2 rows and 5 columns.
    ASSERT_NE(form->OverlayLayer, nullptr);
    const Bitmap32& mix = form->OverlayLayer->Bitmap;
    ASSERT_EQ(mix.Width(), 30);
    ASSERT_EQ(mix.Height(), 20);
    EXPECT_EQ(mix.Pixel(10, 2), Color32(255, 0, 0));
    EXPECT_EQ(mix.Pixel(8, 2), Color32(Blue));
    EXPECT_EQ(form->OverlayLayer->Location, QRect(0, 0, 30, 22));
    for (const char* name : {"mix coke test1.bmp", "mix coke test2.bmp", "mix coke original.bmp"})
        EXPECT_TRUE(QFile::exists(dir.filePath(QString::fromLatin1(name)))) << name;
    EXPECT_EQ(QImage(dir.filePath("mix coke original.bmp")).size(), QSize(6, 11));
    EXPECT_EQ(QImage(dir.filePath("mix coke test2.bmp")).size(), QSize(30, 20));
}

TEST_F(MosaicWindowTest, TooLargeViewIsRefusedAndNothingIsLeftToEdit)
{
    Dithered(Filled(4, 4, Yellow));
    form->BitBtn10->click();
    Style("2x Bricks - studs out"); // cells of 5 x 10
    form->StudImage = Filled(2000, 1000, Yellow);
    form->sbScale->setValue(8); // 80000 x 80000 pixels
    ASSERT_FALSE(platform.messages.empty());
    EXPECT_EQ(platform.messages.back().kind, MessageKind::Error);
    EXPECT_TRUE(platform.LastMessage().contains(QStringLiteral("megapixels"))) << platform.LastMessage().toStdString();
    EXPECT_EQ(form->Stage, StageDithered);
    EXPECT_TRUE(form->image1->Bitmap().Empty());
    EXPECT_EQ(form->OverlayLayer, nullptr);
    Press(QPoint(3, 3));
    Release(QPoint(3, 3));
    EXPECT_TRUE(form->UndoList.isEmpty());
}

TEST_F(MosaicWindowTest, DitherMakeMosaicPaintAndUndoThroughTheRealButtons)
{
    form->BitBtn2->click(); // the start picture, 96 studs wide
    ASSERT_EQ(form->Stage, StageDithered) << platform.LastMessage().toStdString();
    const Bitmap32 dithered = form->StudImage;
    form->CheckBox42->setChecked(true);
    form->BitBtn10->click();
    ASSERT_EQ(form->Stage, StageMosaic);
    EXPECT_EQ(form->ViewWidth, 96 * 5);
    EXPECT_EQ(form->image1->Bitmap(), FullRender());

    form->PenColor = 0x123456;                    // in no palette: every step is a change
    QTest::mouseMove(Viewport(), QPoint(20, 20)); // entering gives the view the focus
    form->image1->setFocus();
    Press(QPoint(3, 3));
    Move(QPoint(7, 3));
    Move(QPoint(8, 3)); // the same cell again: still one step and one line
    Release(QPoint(8, 3));
    Move(QPoint(12, 3)); // no button: nothing painted
    const QString old0 = QString::number(dithered.ColorAt(0, 1)), old1 = QString::number(dithered.ColorAt(1, 1));
    EXPECT_EQ(form->UndoList, QStringList({"pen\t3\t3\t" + old0 + "\t0", "pen\t7\t3\t" + old1 + "\t0",
                                           "pen\t8\t3\t" + QString::number(0x123456) + "\t0"}));
    EXPECT_EQ(StudAt(1, 1), TColor(0x123456));
    EXPECT_EQ(form->DragActive, 0);
    EXPECT_TRUE(form->Button3->isEnabled());
    EXPECT_EQ(form->image1->Bitmap(), FullRender());

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(form->UndoList.size(), 3);
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(form->StudImage, dithered);
    EXPECT_EQ(form->image1->Bitmap(), FullRender());
    EXPECT_FALSE(form->Button3->isEnabled());
}

// The mosaic view's zoom, and editing, undo and redo through it, in the real window.
#include "app/form1.h"
#include "mosaic/hand_edit.h"
#include "support/scripted_platform.h"
#include "widgets/img_view32.h"

#include <QApplication>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <cmath>

using namespace tesselka;
using tesselka::test::ScriptedPlatform;

namespace {

constexpr TColor Marker = 0x3366CC;
constexpr TColor Colours[] = {0x00FFFF, 0x00FF00, 0xFF0000, 0xFF00FF};

class ViewTest : public ::testing::Test
{
protected:
    ScriptedPlatform platform;
    std::unique_ptr<TForm1> form;

    void Open()
    {
        form = std::make_unique<TForm1>(platform, QCoreApplication::applicationDirPath());
        form->show();
    }
    // A 40 x 30 stud mosaic at scale 2 (cells of 10 x 4 pixels) in four colours.
    void MakeMosaic()
    {
        Bitmap32 studs(40, 30);
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 40; ++x)
                studs.SetColorAt(x, y, Colours[(x * 7 + y * 3) % 4]);
        form->StudImage = studs;
        form->Stage = StageDithered;
        form->sbScale->setValue(2);
        form->BitBtn10->click();
        ASSERT_EQ(form->Stage, StageMosaic);
    }
    ImgView32& View() { return *form->image1; }
    TColor StudAt(QPoint cell) { return TColor(form->StudImage.ColorAt(cell.x(), cell.y())); }
    // The cell under a client point, worked out from the zoom and scroll positions.
    QPoint CellUnder(QPoint p)
    {
        const double z = View().Zoom();
        return StudCellOf(int(std::floor((p.x() + View().OffsetHorz()) / z)),
                          int(std::floor((p.y() + View().OffsetVert()) / z)), {5, 2, 2});
    }
    void Click(QPoint p, Qt::KeyboardModifiers m = Qt::NoModifier)
    {
        QTest::mousePress(View().viewport(), Qt::LeftButton, m, p);
        QTest::mouseRelease(View().viewport(), Qt::LeftButton, m, p);
    }
    void Key(int key, Qt::KeyboardModifiers m)
    {
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus ? focus : form.get(), Qt::Key(key), m);
    }
    QRgb Painted(QPoint p) { return View().viewport()->grab().toImage().pixel(p); }
};

} // namespace

TEST_F(ViewTest, PaintingAndEditsHitTheCellUnderThePointerAtEveryZoom)
{
    for (double zoom : {0.5, 1.0, 3.0}) {
        SCOPED_TRACE(zoom);
        Open();
        MakeMosaic();
        View().SetZoom(zoom);
        View().Scroll(13, 7);
        const QPoint points[] = {{4, 3}, {57, 22}, {131, 45}, {190, 55}};
        for (QPoint p : points) {
            const QPoint cell = CellUnder(p);
            ASSERT_TRUE(form->StudImage.Contains(cell.x(), cell.y()));
            if (zoom >= 1) {
                EXPECT_EQ(Painted(p), Color32(StudAt(cell)) | 0xFF000000u);
            }
            // The dropper takes the cell's colour, the pen paints that cell.
            Click(p, Qt::AltModifier);
            EXPECT_EQ(form->PenColor, StudAt(cell));
            form->PenColor = Marker;
            Click(p);
            EXPECT_EQ(StudAt(cell), Marker);
            EXPECT_EQ(WinColor(View().ShownColorAt(p.x(), p.y())), Marker);
            if (zoom >= 1) {
                EXPECT_EQ(Painted(p), Color32(Marker) | 0xFF000000u);
            }
        }
        // The fill starts at the cell under the pointer.
        const QPoint p(90, 50), cell = CellUnder(p);
        form->PenColor = 0x123456;
        Click(p, Qt::ControlModifier);
        EXPECT_EQ(StudAt(cell), 0x123456u);
        EXPECT_TRUE(platform.messages.empty());
    }
}

TEST_F(ViewTest, OpensAtOneToOneFitsOnRequestAndRemembersTheFit)
{
    Open();
    EXPECT_EQ(View().Zoom(), 1);
    EXPECT_FALSE(View().Fitted());
    form->image1->setFocus();
    Bitmap32 large(3000, 2000);
    large.Clear(clWhite32);
    View().SetBitmap(large);

    // Ctrl+wheel zooms one step about the pointer: the picture point under it stays.
    const QPoint at(100, 80);
    const QPoint before = View().PicturePoint(at.x(), at.y());
    QWheelEvent wheel(at, View().viewport()->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton,
                      Qt::ControlModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(View().viewport(), &wheel);
    EXPECT_EQ(View().Zoom(), 1.5);
    EXPECT_EQ(View().PicturePoint(at.x(), at.y()), before);

    Key(Qt::Key_0, Qt::ControlModifier);
    EXPECT_TRUE(View().Fitted());
    EXPECT_EQ(View().horizontalScrollBar()->maximum(), 0);
    EXPECT_EQ(View().verticalScrollBar()->maximum(), 0);
    // Still fitted, with no scroll bar, whatever size the picture takes next (a fit
    // that rounds a hair too large shows the last pixel column one too far).
    for (int width = 50; width < 3000; width += 37) {
        View().SetBitmap(Bitmap32(width, width * 2 / 3 + 1));
        ASSERT_EQ(View().horizontalScrollBar()->maximum() + View().verticalScrollBar()->maximum(), 0) << width;
    }
    Open();
    EXPECT_TRUE(View().Fitted());

    form->image1->setFocus();
    Key(Qt::Key_1, Qt::ControlModifier);
    EXPECT_EQ(View().Zoom(), 1);
    EXPECT_FALSE(View().Fitted());
    Open();
    EXPECT_FALSE(View().Fitted());
}

TEST_F(ViewTest, RedoTakesBackUndoUntilTheNextEdit)
{
    Open();
    MakeMosaic();
    const Bitmap32 original = form->StudImage;
    form->PenColor = Marker;
    Click({15, 5});
    form->PenColor = 0x123456;
    Click({95, 45}, Qt::ControlModifier);
    const Bitmap32 edited = form->StudImage;
    ASSERT_NE(edited, original);

    form->image1->setFocus();
    Key(Qt::Key_Z, Qt::ControlModifier);
    Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(form->StudImage, original);
    EXPECT_FALSE(form->Button3->isEnabled());
    Key(Qt::Key_Y, Qt::ControlModifier);
    EXPECT_TRUE(form->Button3->isEnabled());
    Key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(form->StudImage, edited);
    // The view shows the redone studs, as a fresh render would.
    const Bitmap32 redrawn = form->image1->Bitmap();
    form->BitBtn10->click();
    EXPECT_EQ(form->image1->Bitmap(), redrawn);

    // A new edit after an undo leaves nothing to redo.
    Key(Qt::Key_Z, Qt::ControlModifier);
    form->PenColor = Marker;
    Click({155, 25});
    const Bitmap32 latest = form->StudImage;
    Key(Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(form->StudImage, latest);
    EXPECT_TRUE(form->RedoList.isEmpty());
}

// Save Project and Open Project in the window: a project reopens to the same view,
// grids and undo, and a damaged one leaves the current work alone.
#include "app/form1.h"
#include "support/files.h"
#include "support/scripted_platform.h"
#include "support/test_paths.h"
#include "widgets/img_view32.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace tesselka;
using tesselka::test::CopyColorTable;
using tesselka::test::ScriptedPlatform;

namespace {

const QString Photo = QString::fromStdString(test::DataFile("photos/friends_by_Aitzol_Berasategi.jpg"));

// A window of its own folder (its own settings file), with the program's colour table.
struct Window
{
    QTemporaryDir dir;
    ScriptedPlatform platform;
    std::unique_ptr<TForm1> form;

    Window()
    {
        CopyColorTable(dir.path());
        form = std::make_unique<TForm1>(platform, dir.path());
        form->show();
    }
    void Key(int key)
    {
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus ? focus : form.get(), Qt::Key(key), Qt::ControlModifier);
    }
    void Click(QPoint p, Qt::KeyboardModifiers m = Qt::NoModifier)
    {
        QTest::mousePress(form->image1->viewport(), Qt::LeftButton, m, p);
        QTest::mouseRelease(form->image1->viewport(), Qt::LeftButton, m, p);
    }
};

// Work brought to `stage` with settings away from their defaults and, on a mosaic, edits.
void Work(Window& w, int stage)
{
    w.form->LoadPictureFile(Photo);
    w.form->Edit2->setText(QStringLiteral("24"));
    w.form->ComboBox1->setCurrentText(QStringLiteral("2x Plates - studs out"));
    w.form->ComboBox1Change();
    w.form->dm1->setChecked(true);
    w.form->Brightness->setValue(30);
    w.form->sbScale->setValue(2);
    if (stage >= 1)
        w.form->BitBtn2Click();
    if (stage == 2) {
        w.form->MakeMosaic();
        w.form->PenColor = 0x0000FF;
        w.Click(QPoint(5, 5));
        w.Click(QPoint(30, 12), Qt::ControlModifier);
        w.form->PenColor = 0xFF0000;
        w.Click(QPoint(44, 20));
    }
    ASSERT_EQ(w.form->Stage, stage);
    ASSERT_TRUE(w.platform.messages.empty()) << qPrintable(w.platform.LastMessage());
}

void ExpectSameWork(TForm1& a, TForm1& b)
{
    EXPECT_EQ(b.Stage, a.Stage);
    EXPECT_EQ(b.SourcePicture, a.SourcePicture);
    EXPECT_EQ(b.WorkPicture, a.WorkPicture);
    EXPECT_EQ(b.image1->Bitmap(), a.image1->Bitmap());
    EXPECT_EQ(b.StudImage, a.StudImage);
    EXPECT_EQ(b.MixStudImage, a.MixStudImage);
    EXPECT_EQ(b.UndoList, a.UndoList);
    EXPECT_EQ(b.Button3->isEnabled(), a.Button3->isEnabled());
    EXPECT_EQ(b.image1->LayerCount(), a.image1->LayerCount());
    EXPECT_EQ(b.Edit2->text(), a.Edit2->text());
    EXPECT_EQ(b.ComboBox1->currentText(), a.ComboBox1->currentText());
    EXPECT_EQ(b.Brightness->value(), a.Brightness->value());
    EXPECT_EQ(b.dm1->isChecked(), a.dm1->isChecked());
    EXPECT_EQ(b.sbScale->value(), a.sbScale->value());
    EXPECT_EQ(b.CellHeight, a.CellHeight);
    EXPECT_EQ(b.PaletteCount, a.PaletteCount);
    EXPECT_EQ(b.PaletteStrip(), a.PaletteStrip());
    EXPECT_EQ(b.Label5->text(), a.Label5->text());
}

} // namespace

TEST(ProjectWindow, EachStageReopensToTheSameWorkAndUndoCarriesOn)
{
    QTemporaryDir dir;
    for (int stage = 0; stage <= 2; ++stage) {
        SCOPED_TRACE(stage);
        Window saved, opened;
        Work(saved, stage);
        const QString path = dir.filePath(QStringLiteral("work%1.tesselka").arg(stage));
        saved.form->SaveProjectFile(path);
        opened.form->OpenProjectFile(path);
        EXPECT_TRUE(opened.platform.messages.empty()) << qPrintable(opened.platform.LastMessage());
        ExpectSameWork(*saved.form, *opened.form);
        if (stage == 2) {
            ASSERT_EQ(opened.form->UndoList.size(), 3);
            for (int i = 0; i < 3; ++i) {
                saved.form->Button3Click();
                opened.form->Button3Click();
                ExpectSameWork(*saved.form, *opened.form);
            }
        }
    }
}

// Ctrl+S and Ctrl+O go through the dialogs; a damaged project shows why and changes
// nothing, and the one saved before still opens.
TEST(ProjectWindow, ShortcutsAndADamagedProjectNeverReplacesTheWork)
{
    Window w;
    Work(w, 2);
    QTemporaryDir dir;
    const QString good = dir.filePath(QStringLiteral("good.tesselka"));
    w.platform.fileAnswers.push_back(good);
    w.Key(Qt::Key_S);
    ASSERT_TRUE(QFile::exists(good));
    EXPECT_TRUE(w.platform.fileDialogsShown.back().Filter.contains(QStringLiteral("*.tesselka")));

    QFile in(good);
    ASSERT_TRUE(in.open(QIODevice::ReadOnly));
    const QByteArray bytes = in.readAll();
    const QString damaged = dir.filePath(QStringLiteral("damaged.tesselka"));
    QFile out(damaged);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(bytes.left(bytes.size() * 2 / 3));
    out.close();

    Window before;
    Work(before, 2);
    w.platform.fileAnswers.push_back(damaged);
    w.Key(Qt::Key_O);
    ASSERT_EQ(w.platform.messages.size(), 1u);
    EXPECT_EQ(w.platform.messages[0].kind, MessageKind::Error);
    EXPECT_TRUE(w.platform.messages[0].text.contains(QStringLiteral("damaged")));
    ExpectSameWork(*before.form, *w.form);

    w.platform.fileAnswers.push_back(good);
    w.form->OpenProjectButton->click();
    EXPECT_EQ(w.platform.messages.size(), 1u);
    ExpectSameWork(*before.form, *w.form);
}

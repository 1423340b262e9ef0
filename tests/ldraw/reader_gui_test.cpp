// Load LDraw File in the real window: a model the window wrote comes back.
#include "support/main_window.h"
#include "widgets/img_view32.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tesselka;
using namespace tesselka::test;

TEST(LoadLDrawFile, AModelTheWindowWroteComesBack)
{
    MainWindow w;
    ScriptedPlatform& platform = w.platform;
    TForm1& form = w.form;
    form.ComboBox1->setCurrentText(QStringLiteral("1x Bricks - studs out"));
    form.ComboBox1Change();
    form.Edit2->setText(QStringLiteral("30"));
    form.BitBtn2->click(); // the start picture, dithered
    ASSERT_EQ(form.Stage, StageDithered);
    const Bitmap32 studs = form.StudImage;
    const int sourceWidth = form.SourcePicture.Width();

    QTemporaryDir dir;
    const QString model = dir.filePath(QStringLiteral("start.ldr"));
    platform.fileAnswers.push_back(model);
    form.BitBtn8->click();
    ASSERT_TRUE(QFile::exists(model));
    platform.messages.clear(); // the files written

    // Another style, width and grid in the window; the load brings the file's back.
    form.ComboBox1->setCurrentText(QStringLiteral("1x Plates - studs up"));
    form.ComboBox1Change();
    form.Edit2->setText(QStringLiteral("7"));
    form.StudImage = Bitmap32(3, 3);
    form.StudImage.Clear(clWhite32);
    platform.fileAnswers.push_back(model);
    form.Button1->click();
    EXPECT_TRUE(platform.messages.empty()) << platform.LastMessage().toStdString();
    EXPECT_EQ(platform.fileDialogsShown.back().Filter, QStringLiteral("LDraw file (*.ldr)|*.ldr"));
    EXPECT_TRUE(form.StudImage == studs);
    EXPECT_EQ(form.Edit2->text(), QStringLiteral("30"));
    EXPECT_EQ(form.ComboBox1->currentText(), QStringLiteral("1x Bricks - studs out"));
    EXPECT_EQ(form.CellHeight, 5);
    EXPECT_EQ(form.Stage, StageDithered); // a load does not change the stage
    // The view and the working pictures show the studs as solid blocks.
    EXPECT_EQ(form.SourcePicture.Width(), sourceWidth);
    EXPECT_TRUE(form.image1->Bitmap() == form.SourcePicture);
    EXPECT_TRUE(form.WorkPicture == form.SourcePicture);
    EXPECT_EQ(form.SourcePicture.Pixel(0, 0), studs.Pixel(0, 0));

    // Not one of ours; a file that is not there.
    const QString other = dir.filePath(QStringLiteral("other.ldr"));
    QFile f(other);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("0 Untitled\r\n1 4 0 0 0 0 0 1 0 1 0 -1 0 0 3024.DAT\r\n");
    f.close();
    platform.fileAnswers.push_back(other);
    form.Button1->click();
    EXPECT_EQ(platform.LastMessage(), QStringLiteral("I can not load this .dat file.  It was not made with Tesselka!"));
    EXPECT_TRUE(form.StudImage == studs);
    platform.fileAnswers.push_back(dir.filePath(QStringLiteral("gone.ldr")));
    form.Button1->click();
    EXPECT_EQ(platform.messages.back().kind, MessageKind::Error);
    EXPECT_EQ(platform.LastMessage(), QStringLiteral("File not found"));
}

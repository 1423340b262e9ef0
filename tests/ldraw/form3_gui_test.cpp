// The part-size dialog and the Make LDraw button, in the real windows.
#include "support/main_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tesselka;
using namespace tesselka::test;

TEST(Form3, BoxesNamesAndDefaults)
{
    TForm3 form3;
    EXPECT_EQ(form3.windowTitle(), QStringLiteral("Make Ldraw"));
    const QList<QCheckBox*> boxes = form3.findChildren<QCheckBox*>();
    EXPECT_EQ(boxes.size(), PartBoxCount + 2); // and the two list boxes, unticked
    EXPECT_FALSE(form3.PartsListBox->isChecked());
    EXPECT_FALSE(form3.WantedListBox->isChecked());
    const PartSizes sizes = form3.AllowedSizes();
    for (const PartBoxInfo& info : PartBoxes) {
        auto* box = form3.findChild<QCheckBox*>(QString::fromLatin1(info.name));
        ASSERT_NE(box, nullptr) << info.name;
        // Only the 1-long boxes start ticked, and those cannot be unticked.
        EXPECT_EQ(box->isChecked(), info.alwaysOn) << info.name;
        EXPECT_EQ(box->isEnabled(), !info.alwaysOn) << info.name;
        EXPECT_EQ(sizes.Allowed(info.box), info.alwaysOn) << info.name;
    }
    form3.Box(PartBox::plate1x4)->setChecked(true);
    EXPECT_TRUE(form3.AllowedSizes().Allowed(PartBox::plate1x4));
    EXPECT_FALSE(form3.AllowedSizes().Allowed(PartBox::plate1x6));
}

namespace {

struct Windows : MainWindow
{
    Windows()
    {
        form.StudImage = Bitmap32(6, 3);
        form.StudImage.Clear(clBlack32);
        form.SourcePicture = Bitmap32(60, 30);
    }
};

} // namespace

TEST(MakeLDraw, RefusalsAndCancels)
{
    Windows w;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("m.ldr"));

    w.form.Stage = StagePicture;
    w.platform.fileAnswers.push_back(path);
    w.form.BitBtn8->click();
    ASSERT_EQ(w.platform.messages.size(), 1u);
    EXPECT_EQ(w.platform.LastMessage(),
              QStringLiteral("I can not make the LDraw file till you have pressed the \"Make Mosaic\" button."));
    EXPECT_EQ(w.platform.modalCount, 0);

    w.form.Stage = StageDithered;
    w.platform.modalAnswer = [](QDialog&) { return false; };
    w.form.BitBtn8->click();
    EXPECT_EQ(w.platform.modalCount, 1);
    EXPECT_TRUE(w.platform.fileDialogsShown.empty());

    w.platform.modalAnswer = [](QDialog&) { return true; };
    w.platform.fileAnswers.front() = std::nullopt;
    w.form.BitBtn8->click();
    ASSERT_EQ(w.platform.fileDialogsShown.size(), 1u);
    EXPECT_EQ(w.platform.fileDialogsShown[0].Filter, QStringLiteral("LDraw (*.ldr)|*.ldr"));
    EXPECT_EQ(w.platform.messages.size(), 1u);

    // A style with no model is refused only after both dialogs.
    w.form.ComboBox1->setEditText(QStringLiteral("1x Plates - stud mix"));
    w.platform.fileAnswers.push_back(path);
    w.form.BitBtn8->click();
    EXPECT_EQ(w.platform.LastMessage(), QStringLiteral("Sorry i can't do that yet."));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList());
}

TEST(MakeLDraw, WritesTheStylesFilesWithTheTickedSizes)
{
    Windows w;
    QTemporaryDir dir;
    w.form.Stage = StageMosaic;
    w.form.ComboBox1->setCurrentText(QStringLiteral("1x Plates - studs up"));
    w.platform.modalAnswer = [](QDialog& dialog) {
        auto& form3 = static_cast<TForm3&>(dialog);
        form3.Box(PartBox::plate1x6)->setChecked(true);
        form3.PartsListBox->setChecked(true);
        form3.WantedListBox->setChecked(true);
        return true;
    };
    w.platform.fileAnswers.push_back(dir.filePath(QStringLiteral("m.ldr")));
    w.form.BitBtn8->click();
    ASSERT_EQ(w.platform.messages.size(), 1u);
    EXPECT_EQ(w.platform.messages[0].kind, MessageKind::Information);
    // Three rows of six: three 1 x 6 plates in the main model.
    EXPECT_TRUE(w.platform.LastMessage().endsWith(
        QStringLiteral(":\nm.ldr\nm_1.ldr\nm_2.ldr\nm_3.ldr\nm.csv\nm.xml\n\nThe main model, m.ldr, has 3 parts.")))
        << w.platform.LastMessage().toStdString();
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files, QDir::Name),
              (QStringList{"m.csv", "m.ldr", "m.xml", "m_1.ldr", "m_2.ldr", "m_3.ldr"}));
    QFile csv(dir.filePath(QStringLiteral("m.csv")));
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    EXPECT_TRUE(csv.readAll().split('\n').value(1).startsWith("3666,")) << "the one line of the list";
    QFile file(dir.filePath(QStringLiteral("m.ldr")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromLatin1(file.readAll());
    EXPECT_TRUE(text.contains(QStringLiteral("0 Tesselka OWidth : 60\r\n")));
    EXPECT_EQ(text.count(QStringLiteral("3666.DAT")), 3);

    // A folder that does not exist: the standard I/O text in the error box.
    w.platform.fileAnswers.push_back(dir.filePath(QStringLiteral("gone/m.ldr")));
    w.form.BitBtn8->click();
    ASSERT_FALSE(w.platform.messages.empty());
    EXPECT_EQ(w.platform.messages.back().kind, MessageKind::Error);
    EXPECT_EQ(w.platform.LastMessage(), QStringLiteral("File not found"));
}

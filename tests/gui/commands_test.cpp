// The real window's commands: each save offers a name of its own kind in its own folder
// and says what it wrote; a long command shows that it is busy and can be cancelled.
#include "support/main_window.h"
#include "support/test_paths.h"
#include "widgets/img_view32.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

using namespace tesselka;

namespace {

struct SaveCase
{
    SaveKind kind;
    const char* folder;
    const char* name; // offered for the photograph
    const char* filter;
    const char* written; // a file the save leaves in its folder
    const char* status;  // a pattern of the status line after it, with the folder as %1
};

const SaveCase Saves[] = {
    {SaveKind::Picture, "Picture", "aitzgorri mosaic.png", "pngs (*.png)|*.png", "aitzgorri mosaic.png",
     "Saved picture: %1/aitzgorri mosaic.png"},
    {SaveKind::Studs, "Studs", "aitzgorri 16x16.png", "pngs (*.png)|*.png", "aitzgorri 16x16.png",
     "Saved 16 x 16 picture: %1/aitzgorri 16x16.png"},
    {SaveKind::Model, "Model", "aitzgorri.ldr", "LDraw (*.ldr)|*.ldr", "aitzgorri.ldr",
     "Wrote 4 model files, \\d[\\d ]* parts: aitzgorri.ldr, aitzgorri_1.ldr, aitzgorri_2.ldr, aitzgorri_3.ldr"},
    {SaveKind::Map, "Map", "aitzgorri map.png", "pngs (*.png)|*.png", "aitzgorri map_total.png",
     "Saved map: 1 panel picture, totals, text"},
    {SaveKind::Settings, "Settings", "aitzgorri.ini", "ini (*.ini)|*.ini", "aitzgorri.ini",
     "Settings saved to %1/aitzgorri.ini"},
};

struct Windows : test::MainWindow
{
    Windows()
    {
        // Make Map answers with its "Save Map" button; Make LDraw with OK.
        platform.modalAnswer = [this](QDialog& dialog) {
            if (&dialog != &form2)
                return true;
            form2.Button1->click();
            return false;
        };
    }

    QPushButton* Button(SaveKind kind) const
    {
        switch (kind) {
        case SaveKind::Picture:
            return form.Button2;
        case SaveKind::Studs:
            return form.Button12;
        case SaveKind::Model:
            return form.BitBtn8;
        case SaveKind::Map:
            return form.BitBtn11;
        case SaveKind::Settings:
            return form.Button4;
        case SaveKind::Project:
            return form.SaveProjectButton;
        }
        return nullptr;
    }
};

} // namespace

// Every save runs once after every other save (a path through all 20 ordered pairs), so
// a name or extension left behind by any save would show in the next one.
TEST(Commands, SavesOfferTheirOwnKindAfterEveryOtherAndSayWhatTheyWrote)
{
    QTemporaryDir out;
    const QString photo = QString::fromStdString(test::DataFile("photos/aitzgorri_by_Aitzol_Berasategi.jpg"));
    QTemporaryDir copyDir;
    const QString picture = copyDir.filePath(QStringLiteral("aitzgorri.jpg"));
    ASSERT_TRUE(QFile::copy(photo, picture));
    for (const SaveCase& s : Saves)
        QDir(out.path()).mkdir(QLatin1String(s.folder));

    {
        Windows w;
        w.platform.fileAnswers.push_back(picture);
        w.form.BitBtn1->click();
        w.form.Edit2->setText(QStringLiteral("16"));
        w.form.BitBtn2->click();
        w.form.BitBtn10->click();
        ASSERT_EQ(w.form.Stage, StageMosaic);

        const int order[] = {0, 4, 3, 4, 2, 4, 1, 4, 0, 3, 2, 3, 1, 3, 0, 2, 1, 2, 0, 1, 0};
        bool used[SaveKindCount] = {};
        for (int i : order) {
            const SaveCase& s = Saves[i];
            const QString folder = out.filePath(QLatin1String(s.folder));
            const QString expected = QDir(used[i] ? folder : copyDir.path()).filePath(QLatin1String(s.name));
            w.platform.fileAnswers.push_back(QDir(folder).filePath(QLatin1String(s.name)));
            const size_t shown = w.platform.fileDialogsShown.size();
            w.Button(s.kind)->click();
            ASSERT_EQ(w.platform.fileDialogsShown.size(), shown + 1) << s.folder;
            const FileDialog& dialog = w.platform.fileDialogsShown.back();
            EXPECT_EQ(dialog.FileName, expected);
            EXPECT_EQ(dialog.Filter, QLatin1String(s.filter)) << s.folder;
            EXPECT_EQ(dialog.DefaultExt, QFileInfo(QLatin1String(s.name)).suffix()) << s.folder;
            EXPECT_TRUE(QFile::exists(QDir(folder).filePath(QLatin1String(s.written)))) << s.written;
            QString status = QLatin1String(s.status);
            if (status.contains(QLatin1String("%1")))
                status = status.arg(QRegularExpression::escape(folder));
            const QString line = w.form.StatusBar1->currentMessage();
            EXPECT_TRUE(QRegularExpression(QRegularExpression::anchoredPattern(status)).match(line).hasMatch())
                << line.toStdString();
            used[i] = true;
        }
        // Make LDraw says which files it wrote; nothing else is said.
        for (const auto& m : w.platform.messages)
            EXPECT_TRUE(m.text.startsWith(QStringLiteral("Written in "))) << m.text.toStdString();

        // The folders outlive the window: the next one offers them, with no picture's name.
        TForm1 next(w.platform, QCoreApplication::applicationDirPath());
        next.show();
        for (const SaveCase& s : Saves)
            EXPECT_EQ(QFileInfo(next.OfferedSaveName(s.kind)).absolutePath(), out.filePath(QLatin1String(s.folder)));
        EXPECT_EQ(QFileInfo(next.OfferedSaveName(SaveKind::Model)).fileName(), QStringLiteral("untitled.ldr"));
    }
}

TEST(Commands, CancelledDitherLeavesThePreviousState)
{
    Windows w;
    w.platform.fileAnswers.push_back(
        QString::fromStdString(test::DataFile("photos/aitzgorri_by_Aitzol_Berasategi.jpg")));
    w.form.BitBtn1->click();
    w.form.Edit2->setText(QStringLiteral("16"));
    w.form.BitBtn2->click();
    w.form.BitBtn10->click();
    ASSERT_EQ(w.form.Stage, StageMosaic);
    const Bitmap32 studs = w.form.StudImage, view = w.form.image1->Bitmap();
    const QString scaling = w.form.Label5->text();

    w.form.dm1->setChecked(true);
    w.form.Edit2->setText(QStringLiteral("20"));
    w.platform.cancelAtStep = w.platform.progressSteps; // Cancel at the first report
    w.form.BitBtn2->click();
    EXPECT_EQ(w.platform.progressTexts.back(), QStringLiteral("Dithering the picture"));
    EXPECT_TRUE(w.platform.busyAtEveryStep);
    EXPECT_EQ(w.form.StudImage, studs);
    EXPECT_EQ(w.form.image1->Bitmap(), view);
    EXPECT_EQ(w.form.Label5->text(), scaling);
    EXPECT_EQ(w.form.Stage, StageMosaic);
    EXPECT_EQ(w.form.StatusBar1->currentMessage(), QStringLiteral("Dither Image cancelled"));
    EXPECT_TRUE(w.platform.messages.empty());

    w.platform.cancelAtStep = -1;
    w.form.BitBtn2->click();
    EXPECT_EQ(w.form.Stage, StageDithered);
    EXPECT_EQ(w.form.StudImage.Width(), 20);
}

// Load Image, Make Mosaic, the printed map's composing and Open Project show the same
// progress: Cancel at the first report or a later one leaves the work as it was, and the
// next run works.
TEST(Commands, CancelledLoadMosaicAndPrintLeaveThePreviousState)
{
    Windows w;
    QTemporaryDir dir;
    // Projects of another picture, other settings and, at the mosaic stage, edits of
    // which the work the rows start from has taken one back.
    const QString pictureProject = dir.filePath(QStringLiteral("picture.tesselka"));
    const QString mosaicProject = dir.filePath(QStringLiteral("mosaic.tesselka"));
    w.platform.fileAnswers.push_back(
        QString::fromStdString(test::DataFile("photos/aitzgorri_by_Aitzol_Berasategi.jpg")));
    w.form.BitBtn1->click();
    w.form.SaveProjectFile(pictureProject);
    w.form.Edit2->setText(QStringLiteral("12"));
    w.form.BitBtn2->click();
    w.form.BitBtn10->click();
    for (int x : {3, 30}) {
        w.form.image1MouseDown(Qt::LeftButton, Qt::NoModifier, x, 3);
        w.form.image1MouseUp(Qt::LeftButton, Qt::NoModifier, x, 3);
    }
    ASSERT_EQ(w.form.UndoList.size(), 2);
    w.form.SaveProjectFile(mosaicProject);
    w.form.Button3->click();

    w.platform.fileAnswers.push_back(QString::fromStdString(test::DataFile("photos/friends_by_Aitzol_Berasategi.jpg")));
    w.form.BitBtn1->click();
    w.form.Edit2->setText(QStringLiteral("16"));
    w.form.BitBtn2->click();
    ASSERT_EQ(w.form.Stage, 1);
    const QString pdf = dir.filePath(QStringLiteral("map.pdf"));
    w.platform.modalAnswer = [](QDialog&) { return true; }; // Make Map: OK, then print

    struct Case
    {
        const char* text;
        const char* status;
        std::function<void()> run;
    } cases[] = {
        {"Making the mosaic", "Make Mosaic cancelled", [&w] { w.form.BitBtn10->click(); }},
        {"Composing the printed map", "Print Map cancelled",
         [&w, &pdf] {
             w.platform.printPdfPath = pdf;
             w.form.BitBtn11->click();
         }},
        {"Loading the picture", "Load Image cancelled",
         [&w] {
             w.platform.fileAnswers.push_back(QString::fromStdString(test::DataFile("pictures/interlaced.png")));
             w.form.BitBtn1->click();
         }},
        {"Loading the picture", "Load Image cancelled",
         [&w] {
             w.platform.fileAnswers.push_back(
                 QString::fromStdString(test::DataFile("photos/aitzgorri_by_Aitzol_Berasategi.jpg")));
             w.form.BitBtn1->click();
         }},
        {"Loading the dithered picture", "Load Dithered Image cancelled",
         [&w] {
             w.platform.fileAnswers.push_back(
                 QString::fromStdString(test::DataFile("photos/friends_by_Aitzol_Berasategi.jpg")));
             w.form.Button11->click();
         }},
        {"Opening the project", "Open Project cancelled",
         [&w, &pictureProject] {
             w.platform.fileAnswers.push_back(pictureProject);
             w.form.OpenProjectButton->click();
         }},
        {"Opening the project", "Open Project cancelled",
         [&w, &mosaicProject] {
             w.platform.fileAnswers.push_back(mosaicProject);
             w.form.OpenProjectButton->click();
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const Bitmap32 source = w.form.SourcePicture, view = w.form.image1->Bitmap(), studs = w.form.StudImage;
        const int stage = w.form.Stage, layers = w.form.image1->LayerCount();
        const QStringList totals = w.form.TotalsList, undo = w.form.UndoList, redo = w.form.RedoList;
        const QString width = w.form.Edit2->text(), name = w.form.OfferedSaveName(SaveKind::Picture);
        for (int later : {0, 1}) {
            w.platform.cancelAtStep = w.platform.progressSteps + later;
            c.run();
            EXPECT_EQ(w.platform.progressTexts.back(), QLatin1String(c.text));
            EXPECT_GT(w.platform.progressSteps, w.platform.cancelAtStep); // it did ask
            EXPECT_EQ(w.form.StatusBar1->currentMessage(), QLatin1String(c.status));
            EXPECT_EQ(w.form.SourcePicture, source);
            EXPECT_EQ(w.form.image1->Bitmap(), view);
            EXPECT_EQ(w.form.StudImage, studs);
            EXPECT_EQ(w.form.Stage, stage);
            EXPECT_EQ(w.form.image1->LayerCount(), layers);
            EXPECT_EQ(w.form.TotalsList, totals);
            EXPECT_EQ(w.form.UndoList, undo);
            EXPECT_EQ(w.form.RedoList, redo);
            EXPECT_EQ(w.form.Edit2->text(), width);
            EXPECT_EQ(w.form.OfferedSaveName(SaveKind::Picture), name);
            EXPECT_FALSE(QFile::exists(pdf));
        }
        w.platform.cancelAtStep = -1;
        c.run();
        EXPECT_TRUE(w.form.image1->Bitmap() != view || w.form.TotalsList != totals);
        QFile::remove(pdf);
    }
    // The mosaic project, opened last, draws its mosaic after the work has been replaced:
    // a Cancel then would leave half a project, so the open finishes. (The report before
    // the last is the drawing's: its last one only says that it is done.)
    ASSERT_EQ(w.form.Stage, StageMosaic);
    EXPECT_EQ(w.form.UndoList.size(), 2);
    const Bitmap32 opened = w.form.image1->Bitmap();
    const int start = w.platform.progressSteps;
    cases[std::size(cases) - 1].run();
    w.platform.cancelAtStep = 2 * w.platform.progressSteps - start - 2;
    cases[std::size(cases) - 1].run();
    EXPECT_EQ(w.form.Stage, StageMosaic);
    EXPECT_EQ(w.form.image1->Bitmap(), opened);
    EXPECT_EQ(w.form.StatusBar1->currentMessage(), QStringLiteral("Opened project: ") + mosaicProject);
    EXPECT_TRUE(w.platform.busyAtEveryStep);
    EXPECT_TRUE(w.platform.messages.empty()) << w.platform.LastMessage().toStdString();
}

// The same picture and settings through the real window and through tesselka-cli give
// the same files, byte for byte: every style with every dither kind, the map's ticks,
// the parts lists and the printed map.
#include "cli/cli_options.h"
#include "cli/convert.h"
#include "common/styles.h"
#include "formats/picture_io.h"
#include "ldraw/part_sizes.h"
#include "support/files.h"
#include "support/main_window.h"
#include "support/test_paths.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tesselka;
using tesselka::test::CopyColorTable;
using tesselka::test::ReadBytes;
using tesselka::test::ScriptedPlatform;

namespace {

struct Kind
{
    QRadioButton* TForm1::*radio;
    const char* name;
};

// The Make Map dialog's ticks and the command line's switches for them.
struct MapTick
{
    QCheckBox* TForm2::*box;
    const char* option;
};

const MapTick MapTicks[] = {
    {&TForm2::CheckBox42, "--map-black-grid"}, {&TForm2::CheckBox43, "--map-gray-grid"},
    {&TForm2::CheckBox44, "--map-8-grid"},     {&TForm2::CheckBox5, "--map-6-grid"},
    {&TForm2::CheckBox4, "--map-no-numbers"},  {&TForm2::CheckBox1, "--map-all-numbers"},
    {&TForm2::CheckBox2, "--map-fill"},        {&TForm2::CheckBox3, "--map-black-numbers"},
};

// The text of every page of a PDF, in order: the same pages say the same.
QString PdfText(const QString& path)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    return p.waitForFinished(60000) && p.exitCode() == 0 ? QString::fromUtf8(p.readAllStandardOutput()) : QString();
}

const Kind Kinds[] = {{&TForm1::dm1, "floyd"},  {&TForm1::dm2, "stucki"},    {&TForm1::dm3, "sierra"},
                      {&TForm1::dm4, "jarvis"}, {&TForm1::dm5, "stevenson"}, {&TForm1::dm6, "burkes"},
                      {&TForm1::dm7, "nearest"}};

// Make LDraw (when the style has a model) and Make Map's Save Map into `folder`; the
// window must say nothing but which model files it wrote.
void SaveModelAndMap(ScriptedPlatform& platform, TForm1& form, const QString& folder, bool model)
{
    if (model) {
        platform.fileAnswers.push_back(folder + QStringLiteral("model.ldr"));
        form.BitBtn8->click();
    }
    platform.fileAnswers.push_back(folder + QStringLiteral("map.png"));
    form.BitBtn11->click();
    for (const auto& m : platform.messages)
        if (!m.text.startsWith(QStringLiteral("Written in ")))
            ADD_FAILURE() << "window said: " << m.text.toStdString();
    platform.messages.clear();
}

TEST(CliWindowIdentity, EveryStyleWithEveryDitherKindGivesTheSameFiles)
{
    // Some two thousand files, each flushed to disk as it is written: in memory where the
    // system offers it, or the test would wait on the disk rather than compare.
    QTemporaryDir dir(QDir(QStringLiteral("/dev/shm")).exists()
                          ? QStringLiteral("/dev/shm/tesselka-XXXXXX")
                          : QDir::tempPath() + QStringLiteral("/tesselka-XXXXXX"));
    // The stud-mix mosaic leaves pictures in the working folder.
    const QString keptFolder = QDir::currentPath();
    QDir::setCurrent(dir.path());
    const QString photo = QString::fromStdString(test::DataFile("photos/aitzgorri_by_Aitzol_Berasategi.jpg"));
    const QString appDir = QCoreApplication::applicationDirPath();

    test::MainWindow w(appDir);
    ScriptedPlatform& platform = w.platform;
    TForm1& form = w.form;
    TForm2& form2 = w.form2;
    TForm3& form3 = w.form3;
    form.Edit2->setText(QStringLiteral("24"));
    platform.fileAnswers.push_back(photo);
    form.BitBtn1->click();
    form2.ComboBox2->setCurrentText(QStringLiteral("32x32"));
    bool printNow = false;
    platform.modalAnswer = [&form2, &printNow](QDialog& dialog) {
        if (&dialog != &form2)
            return true;
        (printNow ? form2.Button2 : form2.Button1)->click(); // Print Map or Save Map
        return dialog.result() == QDialog::Accepted;
    };

    int run = 0;
    for (size_t s = 0; s < AllStyles.size(); ++s) {
        for (size_t k = 0; k < std::size(Kinds); ++k, ++run) {
            const QString style = QString::fromLatin1(AllStyles[s].data(), qsizetype(AllStyles[s].size()));
            const QString where = QStringLiteral("%1 / %2").arg(style, QLatin1String(Kinds[k].name));
            SCOPED_TRACE(where.toStdString());
            // The other settings vary with the case, so that each appears with several styles.
            const int contrast = std::array{0, 30, -20}[size_t(run % 3)];
            const int saturation = run % 2 ? 40 : 0;
            const bool grayscale = run % 5 == 4;
            const int palette = run % 3; // default, all, default and two more
            const bool allParts = run % 2 == 0;
            const int scale = 1 + run % 2;
            // One map tick by turns, and a second one every third case.
            const size_t tick = size_t(run) % std::size(MapTicks);
            const size_t secondTick = run % 3 == 0 ? (tick + 3) % std::size(MapTicks) : tick;
            const bool lists = run % 2 == 1;
            // The printed map, a PDF from each, in every seventh case.
            const bool printMap = run % 7 == 3;
            const QString win = dir.filePath(QStringLiteral("w%1/").arg(run));
            const QString cli = dir.filePath(QStringLiteral("c%1/").arg(run));
            QDir().mkpath(win);
            QDir().mkpath(cli);

            // The window, driven through its controls.
            form.ComboBox1->setCurrentText(style);
            form.ComboBox1Change();
            (form.*Kinds[k].radio)->setChecked(true);
            (palette == 1 ? form.BitBtn5 : form.BitBtn12)->click();
            if (palette == 2)
                for (int box : {5, 40})
                    form.PaletteBoxes[size_t(box)]->setChecked(true);
            form.BitBtn7->click(); // Original Image: every tone control back to neutral
            form.Contrast->setValue(contrast);
            form.Saturation->setValue(saturation);
            form.GrayScale->setChecked(grayscale);
            form.CheckBox42->setChecked(run % 2 == 0);
            form.CheckBox43->setChecked(run % 4 == 1);
            form.CheckBox44->setChecked(run % 3 != 0);
            form.sbScale->setValue(scale);
            for (const PartBoxInfo& info : PartBoxes)
                if (!info.alwaysOn)
                    form3.Box(info.box)->setChecked(allParts);
            form3.PartsListBox->setChecked(lists);
            form3.WantedListBox->setChecked(lists);
            for (size_t t = 0; t < std::size(MapTicks); ++t)
                (form2.*MapTicks[t].box)->setChecked(t == tick || t == secondTick);
            platform.fileAnswers.push_back(win + QStringLiteral("adjusted.png"));
            form.Button2->click();
            form.BitBtn2->click();
            ASSERT_EQ(form.Stage, StageDithered);
            platform.fileAnswers.push_back(win + QStringLiteral("dithered.png"));
            form.Button2->click();
            SavePng(form.StudImage, (win + QStringLiteral("studs.png")).toStdString());
            form.BitBtn10->click();
            ASSERT_EQ(form.Stage, StageMosaic);
            platform.fileAnswers.push_back(win + QStringLiteral("mosaic.png"));
            form.Button2->click();
            platform.fileAnswers.push_back(win + QStringLiteral("p16.png"));
            form.Button12->click();
            SaveModelAndMap(platform, form, win, StyleHasModel(AllStyles[s]));
            if (printMap) {
                platform.printPdfPath = win + QStringLiteral("map.pdf");
                printNow = true;
                form.BitBtn11->click();
                printNow = false;
            }

            // The command line, with the same settings as options.
            QStringList args = {
                photo,
                QStringLiteral("--quiet"),
                QStringLiteral("--width=24"),
                QStringLiteral("--style=") + style,
                QStringLiteral("--dither=") + QLatin1String(Kinds[k].name),
                QStringLiteral("--palette=") +
                    QString::fromLatin1(std::array{"default", "all", "4,14,2,1,0,7,15,25,288"}[size_t(palette)]),
                QStringLiteral("--contrast=%1").arg(contrast),
                QStringLiteral("--saturation=%1").arg(saturation),
                QStringLiteral("--parts=") + (allParts ? QStringLiteral("all") : QStringLiteral("default")),
                QStringLiteral("--scale=%1").arg(scale),
                QStringLiteral("--panel-size=32x32"),
                QStringLiteral("--adjusted=") + cli + QStringLiteral("adjusted.png"),
                QStringLiteral("--dithered=") + cli + QStringLiteral("dithered.png"),
                QStringLiteral("--mosaic=") + cli + QStringLiteral("mosaic.png"),
                QStringLiteral("--stud-png=") + cli + QStringLiteral("studs.png"),
                QStringLiteral("--png16=") + cli + QStringLiteral("p16.png"),
                QStringLiteral("--map=") + cli + QStringLiteral("map.png")};
            if (grayscale)
                args << QStringLiteral("--grayscale");
            if (run % 2 == 0)
                args << QStringLiteral("--black-grid");
            if (run % 4 == 1)
                args << QStringLiteral("--gray-grid");
            if (run % 3 != 0)
                args << QStringLiteral("--stud-grid");
            if (StyleHasModel(AllStyles[s]))
                args << QStringLiteral("--ldraw=") + cli + QStringLiteral("model.ldr");
            if (StyleHasModel(AllStyles[s]) && lists)
                args << QStringLiteral("--parts-list=") + cli + QStringLiteral("model.csv")
                     << QStringLiteral("--wanted-list=") + cli + QStringLiteral("model.xml");
            args << QString::fromLatin1(MapTicks[tick].option) << QString::fromLatin1(MapTicks[secondTick].option);
            if (printMap)
                args << QStringLiteral("--map-pdf=") + cli + QStringLiteral("map.pdf");
            if (run == 0) {
                // Once through the program itself, its arguments and exit status included.
                QProcess p;
                p.start(QStringLiteral(TESSELKA_CLI), QStringList{QStringLiteral("convert")} + args);
                ASSERT_TRUE(p.waitForFinished(120000));
                ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
            } else {
                cli::RunConvert(cli::ParseConvertOptions(args, appDir), {});
            }

            const QStringList names = QDir(cli).entryList(QDir::Files, QDir::Name);
            EXPECT_EQ(QDir(win).entryList(QDir::Files, QDir::Name), names);
            // adjusted, dithered, studs, mosaic, 16 x 16, at least one panel, totals, text.
            EXPECT_GE(names.size(), 8);
            EXPECT_EQ(names.contains(QStringLiteral("map.pdf")), printMap);
            for (const QString& name : names) {
                const QByteArray a = ReadBytes(win + name);
                EXPECT_FALSE(a.isEmpty()) << name.toStdString();
                // A PDF carries the time it was made: its pages are compared as text.
                if (name.endsWith(QStringLiteral(".pdf")))
                    EXPECT_EQ(PdfText(win + name), PdfText(cli + name));
                else
                    EXPECT_TRUE(a == ReadBytes(cli + name)) << name.toStdString() << " differs";
            }
        }
    }
    QDir::setCurrent(keptFolder);
}

} // namespace

TEST(CliWindowIdentity, TheSameSettingsFileGivesTheSameFiles)
{
    QTemporaryDir dir;
    const QString appDir = dir.filePath(QStringLiteral("app"));
    QDir().mkpath(appDir);
    ASSERT_TRUE(CopyColorTable(appDir));
    // The file as the window writes it; the command line reads a copy, as the window's
    // dialogs write their sections back when they close.
    const QByteArray settings =
        "[TForm2]\r\nComboBox2_Text=32x32\r\nCheckBox2_Checked=True\r\nCheckBox44_Checked=True\r\n"
        "[TForm3]\r\nplate1x2_Checked=True\r\nplate2x2_Checked=True\r\nplate1x4_Checked=True\r\n"
        "[TForm1]\r\nEdit2_Text=30\r\nComboBox1_Text=1x Plates - studs out\r\n"
        "CheckBox1_Checked=False\r\nCheckBox5_Checked=True\r\nCheckBox41_Checked=True\r\n"
        "Contrast_Position=25\r\nSaturation_Position=-40\r\nsbScale_Position=2\r\n"
        "CheckBox42_Checked=True\r\ndm2_Checked=False\r\ndm3_Checked=True\r\n";
    const QString ini = dir.filePath(QStringLiteral("copy.ini"));
    for (const QString& path : {appDir + QStringLiteral("/Tesselka.ini"), ini}) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(settings);
    }
    const QString photo = QString::fromStdString(test::DataFile("photos/friends_by_Aitzol_Berasategi.jpg"));
    const QString win = dir.filePath(QStringLiteral("win/")), cli = dir.filePath(QStringLiteral("cli/"));
    QDir().mkpath(win);
    QDir().mkpath(cli);

    test::MainWindow w(appDir, appDir + QStringLiteral("/Tesselka.ini"));
    ScriptedPlatform& platform = w.platform;
    TForm1& form = w.form;
    TForm2& form2 = w.form2;
    platform.fileAnswers.push_back(photo);
    form.BitBtn1->click();
    // The stored tone positions apply at the window's next tone change, as after any load.
    form.GrayScale->setChecked(true);
    form.GrayScale->setChecked(false);
    form.BitBtn2->click();
    form.BitBtn10->click();
    platform.fileAnswers.push_back(win + QStringLiteral("mosaic.png"));
    form.Button2->click();
    platform.fileAnswers.push_back(win + QStringLiteral("p16.png"));
    form.Button12->click();
    // The dialogs restore their sections when they show.
    platform.modalAnswer = [&form2](QDialog& dialog) {
        dialog.show();
        if (&dialog == &form2)
            form2.Button1->click(); // Save Map
        else
            dialog.accept();
        return true;
    };
    SaveModelAndMap(platform, form, win, true);

    const QStringList written = cli::RunConvert(
        cli::ParseConvertOptions(
            {photo, QStringLiteral("--quiet"), QStringLiteral("--settings"), ini, QStringLiteral("--ldconfig"),
             appDir + QStringLiteral("/ldconfig.ldr"), QStringLiteral("--mosaic"), cli + QStringLiteral("mosaic.png"),
             QStringLiteral("--png16"), cli + QStringLiteral("p16.png"), QStringLiteral("--ldraw"),
             cli + QStringLiteral("model.ldr"), QStringLiteral("--map"), cli + QStringLiteral("map.png")},
            appDir),
        {});
    const QStringList names = QDir(cli).entryList(QDir::Files, QDir::Name);
    EXPECT_EQ(QDir(win).entryList(QDir::Files, QDir::Name), names);
    EXPECT_GE(names.size(), 10); // two pictures, six models, a panel, the totals and their text
    for (const QString& name : names)
        EXPECT_TRUE(ReadBytes(win + name) == ReadBytes(cli + name)) << name.toStdString() << " differs";
}

// A project passes between the two: the command line's opens in the window with its
// settings and grid, and the window's, edits and all, gives the command line the mosaic
// the window saves.
TEST(CliWindowIdentity, ProjectsPassBetweenTheWindowAndTheCommandLine)
{
    QTemporaryDir dir;
    const QString appDir = QCoreApplication::applicationDirPath();
    const QString photo = QString::fromStdString(test::DataFile("photos/friends_by_Aitzol_Berasategi.jpg"));
    auto file = [&dir](const char* name) { return dir.filePath(QLatin1String(name)); };
    auto convert = [&appDir](QStringList args) {
        cli::RunConvert(cli::ParseConvertOptions(args << QStringLiteral("--quiet"), appDir), {});
    };
    const QStringList settings = {QStringLiteral("--width=24"), QStringLiteral("--style=2x Plates - studs out"),
                                  QStringLiteral("--dither=floyd"), QStringLiteral("--brightness=30"),
                                  QStringLiteral("--grayscale")};

    convert(QStringList{photo, QStringLiteral("--project"), file("cli.tesselka"), QStringLiteral("--stud-png"),
                        file("cli.png")} +
            settings);
    test::MainWindow w(appDir);
    ScriptedPlatform& platform = w.platform;
    TForm1& form = w.form;
    form.OpenProjectFile(file("cli.tesselka"));
    ASSERT_EQ(form.Stage, StageDithered);
    const Bitmap32 dithered = LoadPicture(file("cli.png").toStdString());
    EXPECT_EQ(form.StudImage, dithered);
    // The settings came along: the window's own Dither Image makes the same grid.
    EXPECT_TRUE(form.GrayScale->isChecked());
    form.BitBtn2->click();
    EXPECT_EQ(form.StudImage, dithered);

    form.MakeMosaic();
    form.PenColor = 0x0000FF;
    for (int x : {3, 20, 40}) {
        form.image1MouseDown(Qt::LeftButton, Qt::NoModifier, x, 6);
        form.image1MouseUp(Qt::LeftButton, Qt::NoModifier, x, 6);
    }
    ASSERT_EQ(form.UndoList.size(), 3);
    ASSERT_NE(form.StudImage, dithered);
    SavePng(form.StudImage, file("edited.png").toStdString());
    form.SaveProjectFile(file("edited.tesselka"));
    convert({file("edited.tesselka"), QStringLiteral("--stud-png"), file("edited-cli.png")});
    EXPECT_FALSE(ReadBytes(file("edited.png")).isEmpty());
    EXPECT_TRUE(ReadBytes(file("edited.png")) == ReadBytes(file("edited-cli.png")));

    // A project saved before Dither Image is dithered with the settings it carries.
    form.LoadPictureFile(photo);
    form.Brightness->setValue(30);
    form.GrayScale->setChecked(true);
    form.Invert->setChecked(true);
    form.SaveProjectFile(file("loaded.tesselka"));
    ASSERT_TRUE(platform.messages.empty()) << qPrintable(platform.LastMessage());
    convert({file("loaded.tesselka"), QStringLiteral("--stud-png"), file("loaded.png")});
    convert(QStringList{photo, QStringLiteral("--invert"), QStringLiteral("--stud-png"), file("picture.png")} +
            settings);
    EXPECT_FALSE(ReadBytes(file("loaded.png")).isEmpty());
    EXPECT_TRUE(ReadBytes(file("loaded.png")) == ReadBytes(file("picture.png")));
}

// The same picture and settings through the real window and through tesselka-cli give
// the same files, byte for byte.
#include "app/form1.h"
#include "app/form2.h"
#include "app/form3.h"
#include "formats/picture_io.h"
#include "support/scripted_platform.h"
#include "support/test_paths.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <ostream>

using namespace tesselka;
using tesselka::test::ScriptedPlatform;

namespace {

QByteArray Bytes(const QString& path)
{
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
    return f.readAll();
}

struct Case
{
    const char* style;
    QRadioButton* TForm1::*dither;
    const char* ditherName;
    const char* palette;         // for the command line
    std::vector<int> extraBoxes; // palette boxes ticked besides Default, by index
    const char* parts;
    std::vector<PartBox> partBoxes;
    int contrast, saturation;
    bool grayscale;
    std::vector<std::string> modelFiles;
};

void PrintTo(const Case& c, std::ostream* os)
{
    *os << c.style;
}

class CliWindowIdentity : public ::testing::TestWithParam<Case>
{
};

TEST_P(CliWindowIdentity, SameFilesFromBothFrontEnds)
{
    const Case& c = GetParam();
    QTemporaryDir dir;
    const QString photo = QString::fromStdString(test::DataFile("photos/aitzgorri_by_Aitzol_Berasategi.jpg"));
    auto win = [&dir](const char* name) { return dir.filePath(QStringLiteral("win/") + QLatin1String(name)); };
    auto cli = [&dir](const char* name) { return dir.filePath(QStringLiteral("cli/") + QLatin1String(name)); };
    QDir(dir.path()).mkpath(QStringLiteral("win"));
    QDir(dir.path()).mkpath(QStringLiteral("cli"));

    // The window, driven through its controls.
    ScriptedPlatform platform;
    TForm1 form(platform, QCoreApplication::applicationDirPath());
    TForm2 form2(&form);
    TForm3 form3(&form);
    form.SetDialogs(&form2, &form3);
    form.show();
    form.ComboBox1->setCurrentText(QString::fromLatin1(c.style));
    form.ComboBox1Change();
    form.Edit2->setText(QStringLiteral("40"));
    (form.*c.dither)->setChecked(true);
    form.BitBtn12->click();
    for (int box : c.extraBoxes)
        form.PaletteBoxes[size_t(box)]->setChecked(true);
    platform.fileAnswers.push_back(photo);
    form.BitBtn1->click();
    form.Contrast->setValue(c.contrast);
    form.Saturation->setValue(c.saturation);
    form.GrayScale->setChecked(c.grayscale);
    platform.fileAnswers.push_back(win("adjusted.png"));
    form.Button2->click();
    form.BitBtn2->click();
    ASSERT_EQ(form.Stage, 1);
    platform.fileAnswers.push_back(win("dithered.png"));
    form.Button2->click();
    SavePng(form.StudImage, win("stud.png").toStdString());
    form.CheckBox42->setChecked(true);
    form.CheckBox44->setChecked(true);
    form.sbScale->setValue(2);
    form.BitBtn10->click();
    ASSERT_EQ(form.Stage, 2);
    platform.fileAnswers.push_back(win("mosaic.png"));
    form.Button2->click();
    platform.fileAnswers.push_back(win("p16.png"));
    form.Button12->click();
    for (PartBox box : c.partBoxes)
        form3.Box(box)->setChecked(true);
    platform.fileAnswers.push_back(win("model.ldr"));
    form.BitBtn8->click();
    form2.ComboBox2->setCurrentText(QStringLiteral("32x32"));
    platform.fileAnswers.push_back(win("map.png"));
    platform.modalAnswer = [&form2](QDialog& dialog) {
        if (&dialog == &form2)
            form2.Button1->click(); // Save Map
        return true;
    };
    form.BitBtn11->click();
    for (const auto& m : platform.messages)
        ADD_FAILURE() << "window said: " << m.text.toStdString();

    // The command line, with the same settings as options.
    QStringList args = {QStringLiteral("convert"),
                        photo,
                        QStringLiteral("--quiet"),
                        QStringLiteral("--width"),
                        QStringLiteral("40"),
                        QStringLiteral("--style"),
                        QString::fromLatin1(c.style),
                        QStringLiteral("--dither"),
                        QString::fromLatin1(c.ditherName),
                        QStringLiteral("--palette"),
                        QString::fromLatin1(c.palette),
                        QStringLiteral("--contrast"),
                        QString::number(c.contrast),
                        QStringLiteral("--saturation"),
                        QString::number(c.saturation),
                        QStringLiteral("--parts"),
                        QString::fromLatin1(c.parts),
                        QStringLiteral("--scale"),
                        QStringLiteral("2"),
                        QStringLiteral("--black-grid"),
                        QStringLiteral("--stud-grid"),
                        QStringLiteral("--adjusted"),
                        cli("adjusted.png"),
                        QStringLiteral("--dithered"),
                        cli("dithered.png"),
                        QStringLiteral("--stud-png"),
                        cli("stud.png"),
                        QStringLiteral("--mosaic"),
                        cli("mosaic.png"),
                        QStringLiteral("--png16"),
                        cli("p16.png"),
                        QStringLiteral("--ldraw"),
                        cli("model.ldr"),
                        QStringLiteral("--map"),
                        cli("map.png"),
                        QStringLiteral("--panel-size"),
                        QStringLiteral("32x32")};
    if (c.grayscale)
        args << QStringLiteral("--grayscale");
    QProcess p;
    p.start(QStringLiteral(TESSELKA_CLI), args);
    ASSERT_TRUE(p.waitForFinished(120000));
    ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();

    // The build map: every panel picture, the totals picture and the totals text.
    const QStringList mapFiles = QDir(dir.filePath(QStringLiteral("cli"))).entryList({QStringLiteral("map*")});
    EXPECT_GE(mapFiles.size(), 4);
    EXPECT_EQ(QDir(dir.filePath(QStringLiteral("win"))).entryList({QStringLiteral("map*")}), mapFiles);
    for (const QString& name : mapFiles)
        EXPECT_TRUE(Bytes(win(name.toLatin1().constData())) == Bytes(cli(name.toLatin1().constData())))
            << name.toStdString() << " differs";

    for (const char* name : {"adjusted.png", "dithered.png", "stud.png", "mosaic.png", "p16.png"}) {
        QByteArray a = Bytes(win(name)), b = Bytes(cli(name));
        EXPECT_FALSE(a.isEmpty()) << name;
        EXPECT_TRUE(a == b) << name << " differs";
        if (a != b) {
            Bitmap32 x = LoadPicture(win(name).toStdString()), y = LoadPicture(cli(name).toStdString());
            ADD_FAILURE() << name << ": window " << x.Width() << " x " << x.Height() << ", command line " << y.Width()
                          << " x " << y.Height();
        }
    }
    for (const std::string& name : c.modelFiles) {
        QByteArray a = Bytes(win(name.c_str())), b = Bytes(cli(name.c_str()));
        EXPECT_FALSE(a.isEmpty()) << name;
        // The header names the file; both sides use the same file name in other folders.
        EXPECT_TRUE(a == b) << name << " differs";
    }
}

INSTANTIATE_TEST_SUITE_P(Styles, CliWindowIdentity,
                         ::testing::Values(Case{"1x Plates - studs out",
                                                &TForm1::dm1,
                                                "floyd",
                                                "4,14,2,1,0,7,15,25,288",
                                                {5, 40},
                                                "plate1x2,plate1x4,plate2x2,plate2x4,plate4x2,plate4x4",
                                                {PartBox::plate1x2, PartBox::plate1x4, PartBox::plate2x2,
                                                 PartBox::plate2x4, PartBox::plate4x2, PartBox::plate4x4},
                                                30,
                                                40,
                                                false,
                                                {"model.ldr", "model_1a.ldr", "model_2a.ldr", "model_3a.ldr",
                                                 "model_4a.ldr", "model_5a.ldr"}},
                                           Case{"2x Bricks - studs up",
                                                &TForm1::dm5,
                                                "stevenson",
                                                "default",
                                                {},
                                                "brick2x2,brick1x2,brick1x4",
                                                {PartBox::brick2x2, PartBox::brick1x2, PartBox::brick1x4},
                                                -20,
                                                0,
                                                true,
                                                {"model.ldr"}}));

} // namespace

#include "app/form1.h"
#include "app/form2.h"
#include "app/form3.h"
#include "app/form_storage.h"
#include "support/files.h"
#include "support/scripted_platform.h"
#include "widgets/img_view32.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace tesselka;
using tesselka::test::CopyColorTable;
using tesselka::test::ReadBytes;
using tesselka::test::ScriptedPlatform;

namespace {

class SettingsTest : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    ScriptedPlatform platform;

    void SetUp() override
    {
        QApplication::setQuitOnLastWindowClosed(false);
        CopyColorTable(dir.path());
        platform.settingsFile = Ini();
    }

    QString Ini() const { return dir.filePath(QStringLiteral("Tesselka.ini")); }
    std::unique_ptr<TForm1> Form() { return std::make_unique<TForm1>(platform, dir.path()); }

    static void Write(const QString& path, const QByteArray& bytes)
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
    // A file of lines joined with CR LF, as the program writes them.
    static QByteArray Lines(std::initializer_list<const char*> lines)
    {
        QByteArray text;
        for (const char* line : lines)
            text += QByteArray(line) + "\r\n";
        return text;
    }
    static std::vector<bool> Ticks(const TForm1& form)
    {
        std::vector<bool> ticks;
        for (QCheckBox* box : form.PaletteBoxes)
            ticks.push_back(box->isChecked());
        return ticks;
    }
};

} // namespace

TEST_F(SettingsTest, FirstCloseWritesTheWholeSectionInOrder)
{
    {
        auto form = Form();
        form->setGeometry(10, 30, 900, 760);
        form->show(); // no file yet: nothing restored, everything as designed
        EXPECT_FALSE(QFile::exists(Ini()));
        form->close();
    }
    QByteArray expected = Lines({"[TForm1]", "FormVersion=0", "Flags=0", "ShowCmd=1", "PixelsPerInch=96",
                                 "MinMaxPos=-1,-1,-1,-1", "NormPos=10,30,910,790", "Visible=0", "Edit2_Text=96",
                                 "ComboBox1_Text=1x Plates - studs up", "CheckBox42_Checked=False",
                                 "CheckBox43_Checked=False", "sbScale_Position=1", "CheckBox44_Checked=False"});
    // The palette boxes in name order; CheckBox1, 12, 17, 23, 30, 32 and 34 are ticked
    // at start.
    for (int n : {1,  10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 2,  20, 21, 22, 23, 24, 25,
                  26, 27, 28, 29, 3,  30, 31, 32, 33, 34, 35, 36, 37, 38, 39, 4,  40, 41}) {
        const bool ticked = n == 1 || n == 12 || n == 17 || n == 23 || n == 30 || n == 32 || n == 34;
        expected += QStringLiteral("CheckBox%1_Checked=%2\r\n").arg(n).arg(ticked ? "True" : "False").toLatin1();
    }
    expected += Lines({"CheckBox42_Color=-2147483633", "CheckBox43_Color=-2147483633"});
    for (int n = 5; n <= 9; ++n)
        expected += QStringLiteral("CheckBox%1_Checked=False\r\n").arg(n).toLatin1();
    expected += Lines({"Brightness_Position=0", "Contrast_Position=0", "Darkness_Position=0", "Lightness_Position=0",
                       "Saturation_Position=0", "Splitlight_Position=0", "LayerOpacity_Position=0", "dm1_Checked=False",
                       "dm2_Checked=True", "dm3_Checked=False", "dm4_Checked=False", "dm5_Checked=False",
                       "dm6_Checked=False", "dm7_Checked=False", "MatchBox_Text=RGB"});
    EXPECT_EQ(ReadBytes(Ini()).toStdString(), expected.toStdString());
}

TEST_F(SettingsTest, EveryMainWindowPropertySurvivesARestart)
{
    std::vector<bool> ticks;
    {
        auto form = Form();
        form->show();
        form->Edit2->setText(QStringLiteral("  120 "));
        form->ComboBox1->setEditText(QStringLiteral("2x Bricks - studs out"));
        form->CheckBox42->setChecked(true);
        form->CheckBox43->setChecked(true);
        form->CheckBox44->setChecked(true);
        form->sbScale->setValue(5);
        for (size_t i = 0; i < form->PaletteBoxes.size(); i += 3)
            form->PaletteBoxes[i]->toggle();
        ticks = Ticks(*form);
        form->CheckBox42->setProperty("Color", 255);
        form->CheckBox43->setProperty("Color", -16777201);
        form->Brightness->setValue(-20);
        form->Contrast->setValue(30);
        form->Darkness->setValue(-40);
        form->Lightness->setValue(50);
        form->Saturation->setValue(-60);
        form->Splitlight->setValue(7);
        form->LayerOpacity->setValue(77);
        form->dm5->setChecked(true);
        form->MatchBox->setCurrentIndex(1);
        form->GrayScale->setChecked(true); // not stored
        form->setGeometry(40, 50, 1000, 800);
        form->close();
    }
    auto form = Form();
    form->show();
    EXPECT_EQ(form->Edit2->text(), QStringLiteral("120")); // texts are kept trimmed
    EXPECT_EQ(form->ComboBox1->currentText(), QStringLiteral("2x Bricks - studs out"));
    EXPECT_EQ(form->CellHeight, 10); // the first showing runs the style handler
    EXPECT_TRUE(form->CheckBox42->isChecked() && form->CheckBox43->isChecked() && form->CheckBox44->isChecked());
    EXPECT_EQ(form->sbScale->value(), 5);
    EXPECT_EQ(Ticks(*form), ticks);
    EXPECT_EQ(form->CheckBox42->property("Color").toInt(), 255);
    EXPECT_EQ(form->CheckBox43->property("Color").toInt(), -16777201);
    EXPECT_EQ(form->Brightness->value(), -20);
    EXPECT_EQ(form->Contrast->value(), 30);
    EXPECT_EQ(form->Darkness->value(), -40);
    EXPECT_EQ(form->Lightness->value(), 50);
    EXPECT_EQ(form->Saturation->value(), -60);
    EXPECT_EQ(form->Splitlight->value(), 7);
    EXPECT_EQ(form->LayerOpacity->value(), 77);
    EXPECT_TRUE(form->dm5->isChecked());
    EXPECT_FALSE(form->dm2->isChecked());
    EXPECT_EQ(form->MatchBox->currentText(), QStringLiteral("Perceptual"));
    EXPECT_FALSE(form->GrayScale->isChecked());
    EXPECT_EQ(form->geometry(), QRect(40, 50, 1000, 800));
    // Tone sliders restored before the first showing leave the start picture alone.
    EXPECT_EQ(form->SourcePicture.Width(), 321);
    EXPECT_EQ(form->SourcePicture.Height(), 94);
    EXPECT_EQ(form->Stage, StagePicture);
}

TEST_F(SettingsTest, DialogRestoresOnEveryShowingAndSavesWhenItCloses)
{
    auto form = Form();
    TForm2 form2(form.get());
    TForm3 form3(form.get());
    form->SetDialogs(&form2, &form3);
    form->show();

    // Never shown: closing the program leaves its section alone.
    Write(Ini(), Lines({"[TForm3]", "plate1x10_Checked=True", "brick2x8_Checked=True"}));
    form3.Box(PartBox::plate2x4)->setChecked(true);
    form->close();
    EXPECT_FALSE(ReadBytes(Ini()).contains("plate2x4"));

    form3.show();
    EXPECT_TRUE(form3.Box(PartBox::plate1x10)->isChecked());
    EXPECT_TRUE(form3.Box(PartBox::brick2x8)->isChecked());
    EXPECT_EQ(form3.size(), QSize(723, 317)); // a fixed-size dialog keeps its size
    form3.Box(PartBox::brick2x8)->setChecked(false);
    form3.WantedListBox->setChecked(true);
    form3.reject();
    const QByteArray saved = ReadBytes(Ini());
    EXPECT_TRUE(saved.contains("\r\nbrick2x8_Checked=False\r\n"));
    EXPECT_TRUE(saved.contains("\r\nplate2x4_Checked=True\r\n"));
    EXPECT_TRUE(saved.contains("\r\nPartsListBox_Checked=False\r\nWantedListBox_Checked=True\r\n"));
    const qsizetype from = saved.indexOf("[TForm3]"), to = saved.indexOf("[TForm1]");
    ASSERT_LT(from, to);
    EXPECT_EQ(saved.mid(from, to - from).count("_Checked="), 41);

    // Shown again: restored again, over what was changed in between.
    form3.Box(PartBox::brick2x8)->setChecked(true);
    form3.show();
    EXPECT_FALSE(form3.Box(PartBox::brick2x8)->isChecked());
    form3.accept();
}

TEST_F(SettingsTest, MakeMapDialogKeepsItsOptionsAndColours)
{
    auto form = Form();
    TForm2 form2(form.get());
    TForm3 form3(form.get());
    form->SetDialogs(&form2, &form3);
    Write(Ini(), Lines({"[TForm2]", "ComboBox2_Text=32x32", "CheckBox44_Checked=True", "CheckBox42_Color=255"}));
    form2.show();
    EXPECT_EQ(form2.ComboBox2->currentText(), QStringLiteral("32x32"));
    EXPECT_TRUE(form2.CheckBox44->isChecked());
    EXPECT_EQ(form2.CheckBox42->property("Color").toInt(), 255);
    form2.CheckBox5->setChecked(true);
    form2.reject();
    // Keys already in the file are overwritten where they stand, the others follow in
    // list order.
    const QByteArray text = ReadBytes(Ini());
    EXPECT_TRUE(text.startsWith(Lines(
        {"[TForm2]", "ComboBox2_Text=32x32", "CheckBox44_Checked=True", "CheckBox42_Color=255", "FormVersion=0"})));
    EXPECT_TRUE(text.endsWith(
        Lines({"Visible=0", "CheckBox42_Checked=False", "CheckBox43_Checked=False", "CheckBox1_Checked=False",
               "CheckBox2_Checked=False", "CheckBox43_Color=-2147483633", "CheckBox44_Color=-2147483633",
               "CheckBox3_Checked=False", "CheckBox4_Checked=False", "CheckBox5_Checked=True"})));
}

TEST_F(SettingsTest, RestoreTouchesOnlyTheWindowsOwnControls)
{
    auto form = Form();
    QDialog dialog(form.get());
    // A window inside the dialog, made before the dialog's own controls, has a control
    // of the same name; so has the main window.
    auto* inner = new QDialog(&dialog);
    auto* innerBox = new QCheckBox(inner);
    innerBox->setObjectName(QStringLiteral("CheckBox42"));
    auto* dialogBox = new QCheckBox(&dialog);
    dialogBox->setObjectName(QStringLiteral("CheckBox42"));
    TFormStorage storage(&dialog, QStringLiteral("TForm2"), Form2StoredProperties(), TFormStorage::ShowRule::EveryShow,
                         nullptr);
    storage.IniFileName = Ini();
    Write(Ini(), Lines({"[TForm1]", "CheckBox42_Checked=False", "[TForm2]", "CheckBox42_Checked=True",
                        "CheckBox1_Checked=False"})); // no CheckBox1 in the dialog: skipped
    form->CheckBox42->setChecked(true);
    form->show();
    dialog.show();
    EXPECT_FALSE(form->CheckBox42->isChecked());
    EXPECT_TRUE(dialogBox->isChecked());
    EXPECT_FALSE(innerBox->isChecked());
    EXPECT_TRUE(form->PaletteBoxes[0]->isChecked()); // the main window's CheckBox1 as designed
}

TEST_F(SettingsTest, SaveKeepsOtherSectionsAndKeys)
{
    Write(Ini(), Lines({"; written by hand", "[Other]", "key=value", "[TForm1]", "Edit2_Text=64", "Unknown=kept",
                        "sbScale_Position=3", "", "[TForm3]", "plate1x2_Checked=False"}));
    auto form = Form();
    form->show();
    EXPECT_EQ(form->Edit2->text(), QStringLiteral("64"));
    form->Edit2->setText(QStringLiteral("80"));
    form->close();
    const QByteArray text = ReadBytes(Ini());
    EXPECT_TRUE(text.startsWith(Lines({"; written by hand", "[Other]", "key=value", "[TForm1]", "Edit2_Text=80",
                                       "Unknown=kept", "sbScale_Position=3", "FormVersion=0"})));
    EXPECT_TRUE(text.endsWith(Lines({"MatchBox_Text=RGB", "", "[TForm3]", "plate1x2_Checked=False"})));
}

TEST_F(SettingsTest, LoadSettingsFiresHandlersOnlyForChangedValues)
{
    auto form = Form();
    form->show();
    int toggles = 0;
    for (QCheckBox* box : form->PaletteBoxes)
        QObject::connect(box, &QCheckBox::toggled, [&] { ++toggles; });
    int slides = 0;
    for (QSlider* slider : {form->Brightness, form->sbScale, form->LayerOpacity})
        QObject::connect(slider, &QSlider::valueChanged, [&] { ++slides; });
    form->CheckBox45->setChecked(true); // Auto dither: every changed palette box dithers
    const QString file = dir.filePath(QStringLiteral("mine.ini"));
    // Two palette boxes change, two keep their state; one slider changes. Keys that are
    // missing or do not convert leave their properties alone.
    Write(file, Lines({"[TForm1]", "CheckBox1_Checked=True", "CheckBox2_Checked=true", "CheckBox3_Checked=TRUE",
                       "CheckBox4_Checked=False", "Brightness_Position=0", "sbScale_Position=1",
                       "LayerOpacity_Position=12", "ComboBox1_Text=1x Plates - stud mix", "Edit2_Text= 48 ",
                       "Contrast_Position=lots", "dm1_Checked=maybe"}));
    form->ComboBox1->setEditText(QStringLiteral("1x Bricks - studs up"));
    form->ComboBox1Change();
    ASSERT_EQ(form->CellHeight, 6);
    platform.fileAnswers.push_back(file);
    form->Button5->click();
    EXPECT_EQ(platform.fileDialogsShown.back().Filter, QStringLiteral("ini (*.ini)|*.ini"));
    EXPECT_EQ(toggles, 2);
    EXPECT_EQ(slides, 1);
    EXPECT_TRUE(form->PaletteBoxes[1]->isChecked() && form->PaletteBoxes[2]->isChecked());
    EXPECT_EQ(form->Stage, StageDithered); // dithered by the chain
    EXPECT_EQ(form->ComboBox1->currentText(), QStringLiteral("1x Plates - stud mix"));
    EXPECT_EQ(form->CellHeight, 2); // the cell shape follows the loaded style
    EXPECT_EQ(form->Edit2->text(), QStringLiteral("48"));
    EXPECT_EQ(form->Contrast->value(), 0);
    EXPECT_TRUE(form->dm2->isChecked());
    EXPECT_TRUE(platform.messages.empty()) << platform.LastMessage().toStdString();
    // The storage is back on the settings file: closing writes there only.
    const QByteArray chosen = ReadBytes(file);
    form->close();
    EXPECT_EQ(ReadBytes(file), chosen);
    EXPECT_TRUE(ReadBytes(Ini()).contains("\r\nLayerOpacity_Position=12\r\n"));
}

TEST_F(SettingsTest, SaveSettingsWritesTheChosenFileOnly)
{
    auto form = Form();
    form->show();
    platform.fileAnswers.push_back(std::nullopt); // cancelled
    form->Button4->click();
    const QString file = dir.filePath(QStringLiteral("chosen.ini"));
    form->sbScale->setValue(4);
    platform.fileAnswers.push_back(file);
    form->Button4->click();
    ASSERT_EQ(platform.fileDialogsShown.size(), 2u);
    EXPECT_EQ(platform.fileDialogsShown[1].Filter, QStringLiteral("ini (*.ini)|*.ini"));
    EXPECT_EQ(platform.fileDialogsShown[1].DefaultExt, QStringLiteral("ini"));
    EXPECT_EQ(form->SaveDialog1.DefaultExt, QStringLiteral("ldr"));
    EXPECT_TRUE(ReadBytes(file).contains("\r\nsbScale_Position=4\r\n"));
    // The settings file only remembers the folder of the save.
    EXPECT_EQ(ReadBytes(Ini()), Lines({"[Folders]", ("Settings=" + dir.path().toStdString()).c_str()}));
    EXPECT_EQ(form->FormStorage1->IniFileName, Ini());
    EXPECT_TRUE(platform.messages.empty());
}

TEST_F(SettingsTest, PlacementFollowsTheStoredStateAndScreen)
{
    auto form = Form();
    form->show();
    const QString file = dir.filePath(QStringLiteral("p.ini"));
    const auto load = [&](const QByteArray& text) {
        Write(file, text);
        platform.fileAnswers.push_back(file);
        form->Button5->click();
    };
    load(Lines({"[TForm1]", "ShowCmd=3", "PixelsPerInch=96", "NormPos=20,30,920,830"}));
    EXPECT_TRUE(form->windowState() & Qt::WindowMaximized);
    EXPECT_EQ(form->normalGeometry(), QRect(20, 30, 900, 800));
    // Another screen resolution: the position is not taken, the state is.
    load(Lines({"[TForm1]", "ShowCmd=1", "PixelsPerInch=120", "NormPos=60,70,960,870"}));
    EXPECT_FALSE(form->windowState() & Qt::WindowMaximized);
    EXPECT_EQ(form->geometry().topLeft(), QPoint(20, 30));
    // Missing numbers keep the current edges (the right edge stays where it was); a
    // reversed rectangle is not taken.
    const QRect before = form->geometry();
    load(Lines({"[TForm1]", "NormPos=25,x"}));
    EXPECT_EQ(form->geometry(), QRect(QPoint(25, before.top()), before.bottomRight()));
    load(Lines({"[TForm1]", "NormPos=500,0,100,100"}));
    EXPECT_EQ(form->geometry().left(), 25);
    // A hostile rectangle is held to the desktop: no huge window buffer, no overflow.
    load(Lines({"[TForm1]", "NormPos=-2147483648,-2147483648,2147483647,2147483647"}));
    EXPECT_LE(form->width(), 16384);
    EXPECT_LE(form->height(), 16384);
    EXPECT_TRUE(platform.messages.empty());
}

TEST_F(SettingsTest, DamagedOrUnusableFileNeverCrashesNorGetsLost)
{
    // Garbage, a huge line and keys in odd places: what can be read is restored.
    static const char raw[] = "\x00\xff\xfe[TForm1\n=\n[TForm1]\n\x01\x02\x03\n";
    QByteArray garbage(raw, sizeof raw - 1);
    garbage += "Edit2_Text=" + QByteArray(70000, '7') + "\n";
    garbage += "sbScale_Position=6\nBrightness_Position=99999\nNormPos=,,,\n";
    Write(Ini(), garbage);
    {
        auto form = Form();
        form->show();
        EXPECT_EQ(form->Edit2->text(), QStringLiteral("96"));
        EXPECT_EQ(form->sbScale->value(), 6);
        EXPECT_EQ(form->Brightness->value(), 255); // held to the slider's range
        EXPECT_TRUE(platform.messages.empty());
    }

    // Too large to be a settings file: reported, nothing restored, and the file is not
    // replaced when the window closes.
    const QByteArray large = "[TForm1]\r\nsbScale_Position=7\r\n" + QByteArray(1 << 20, ';');
    Write(Ini(), large);
    {
        auto form = Form();
        form->show();
        EXPECT_EQ(form->sbScale->value(), 1);
        ASSERT_EQ(platform.messages.size(), 1u);
        EXPECT_EQ(platform.messages[0].kind, MessageKind::Error);
        form->close();
        EXPECT_EQ(platform.messages.size(), 2u);
        EXPECT_EQ(ReadBytes(Ini()), large);
    }

    // Read-only: restored, but closing reports the write failure and keeps the file.
    platform.messages.clear();
    const QByteArray mine = Lines({"[TForm1]", "sbScale_Position=3"});
    Write(Ini(), mine);
    ::chmod(QFile::encodeName(Ini()).constData(), 0444);
    auto form = Form();
    form->show();
    EXPECT_EQ(form->sbScale->value(), 3);
    form->close();
    EXPECT_EQ(platform.LastMessage(), Ini() + QStringLiteral(" is read-only"));
    EXPECT_EQ(ReadBytes(Ini()), mine);
}

// The picture buttons and the tone box of the real main window.
#include "app/form1.h"
#include "formats/picture_io.h"
#include "image/tone.h"
#include "support/scripted_platform.h"
#include "support/test_paths.h"
#include "widgets/img_view32.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <set>

using namespace tesselka;
using tesselka::test::ScriptedPlatform;

namespace {

QString Picture(const char* name)
{
    return QString::fromStdString(tesselka::test::DataFile(std::string("pictures/") + name));
}

class PicturesTest : public ::testing::Test
{
protected:
    ScriptedPlatform platform;
    std::unique_ptr<TForm1> form;

    void SetUp() override
    {
        form = std::make_unique<TForm1>(platform, QCoreApplication::applicationDirPath());
        form->show();
        platform.messages.clear();
    }

    void Load(const char* name)
    {
        platform.fileAnswers.push_back(Picture(name));
        form->BitBtn1->click();
    }

    // Every run of the tone recomputation with "Auto dither" checked runs Dither Image,
    // which then stops at the width box with one message. So the messages count the
    // recomputations.
    void CountRecomputations()
    {
        form->Edit2->setText(QStringLiteral("99999999"));
        form->CheckBox45->setChecked(true);
        platform.messages.clear();
    }

    void GiveOverlay()
    {
        form->OverlayLayer = form->image1->AddBitmapLayer();
        form->LayerOpacity->setEnabled(true);
    }
};

} // namespace

TEST_F(PicturesTest, LoadImageShowsThePictureUnadjusted)
{
    form->Contrast->setValue(80); // tone settings stay, but are not applied on loading
    GiveOverlay();
    form->Stage = 2;
    Load("rgb8.png");
    const Bitmap32 file = LoadPicture(Picture("rgb8.png").toStdString());
    EXPECT_EQ(form->image1->Bitmap(), file);
    EXPECT_EQ(form->SourcePicture, file);
    EXPECT_EQ(form->WorkPicture, file);
    EXPECT_EQ(form->Stage, 0);
    EXPECT_EQ(form->image1->LayerCount(), 0);
    EXPECT_EQ(form->OverlayLayer, nullptr);
    EXPECT_FALSE(form->LayerOpacity->isEnabled());
    EXPECT_EQ(form->Contrast->value(), 80);
    EXPECT_TRUE(platform.messages.empty());

    // Any nudge then applies all settings.
    form->Brightness->setValue(-40);
    EXPECT_EQ(form->Label4->text(), QStringLiteral("Brightness -40"));
    Bitmap32 expected;
    AdjustTone(file, expected, ToneSettings{.brightness = -40, .contrast = 80});
    EXPECT_EQ(form->WorkPicture, expected);
    EXPECT_EQ(form->image1->Bitmap(), expected);
}

TEST(PicturesStartTest, StoredToneSettingsKeepTheStartPicture)
{
    // Settings are restored between creation and the first showing; a tone slider moved
    // then must not empty the view.
    ScriptedPlatform platform;
    TForm1 form(platform, QCoreApplication::applicationDirPath());
    const Bitmap32 start = form.image1->Bitmap();
    ASSERT_FALSE(start.Empty());
    form.CheckBox45->setChecked(true);
    form.Brightness->setValue(30);
    EXPECT_EQ(form.Label4->text(), QStringLiteral("Brightness 30"));
    form.show();
    EXPECT_EQ(form.image1->Bitmap(), start);
    EXPECT_EQ(form.SourcePicture, start);
    EXPECT_EQ(form.WorkPicture, start);
    EXPECT_EQ(form.Stage, 0);

    form.CheckBox45->setChecked(false);
    Bitmap32 expected;
    AdjustTone(start, expected, ToneSettings{.brightness = 30});
    EXPECT_EQ(form.WorkPicture, expected);
}

TEST_F(PicturesTest, FailedOrCancelledLoadKeepsThePicture)
{
    Load("rgb8.png");
    const Bitmap32 before = form->image1->Bitmap();
    form->Stage = 2;

    GiveOverlay();
    platform.fileAnswers.push_back(std::nullopt);
    form->BitBtn1->click();
    EXPECT_EQ(form->image1->LayerCount(), 1); // cancel changes nothing
    EXPECT_TRUE(form->LayerOpacity->isEnabled());

    for (const char* bad : {"badcrc.png", "truncated.jpg", "quad8.ppm"}) {
        SCOPED_TRACE(bad);
        GiveOverlay();
        platform.messages.clear();
        Load(bad);
        ASSERT_EQ(platform.messages.size(), 1u);
        EXPECT_EQ(platform.messages[0].kind, MessageKind::Error);
        EXPECT_EQ(form->image1->Bitmap(), before);
        EXPECT_EQ(form->SourcePicture, before);
        EXPECT_EQ(form->WorkPicture, before);
        EXPECT_EQ(form->Stage, 2);
        // The layers were removed before the read failed.
        EXPECT_EQ(form->image1->LayerCount(), 0);
        EXPECT_EQ(form->OverlayLayer, nullptr);
        EXPECT_FALSE(form->LayerOpacity->isEnabled());
    }
    EXPECT_EQ(platform.LastMessage(), QStringLiteral("Unknown picture file extension (.ppm)"));
}

TEST_F(PicturesTest, SlidersResetButtonsAndLabels)
{
    Load("rgb8.png");
    const Bitmap32 source = form->SourcePicture;
    form->Contrast->setValue(100);
    form->Saturation->setValue(-255);
    form->Darkness->setValue(30);
    form->Lightness->setValue(20);
    form->Splitlight->setValue(2);
    form->Invert->setChecked(true);
    EXPECT_EQ(form->Label6->text(), QStringLiteral("Contrast 100"));
    EXPECT_EQ(form->Label7->text(), QStringLiteral("Saturation -255"));
    EXPECT_EQ(form->Label8->text(), QStringLiteral("Darkness 30"));
    EXPECT_EQ(form->Label9->text(), QStringLiteral("Lightness 20"));
    EXPECT_EQ(form->Label10->text(), QStringLiteral("Splitlight 2"));
    Bitmap32 expected;
    AdjustTone(source, expected,
               {.contrast = 100, .saturation = -255, .darkness = 30, .lightness = 20, .splitlight = 2, .invert = true});
    EXPECT_EQ(form->WorkPicture, expected);
    EXPECT_EQ(form->image1->Bitmap(), expected);
    EXPECT_EQ(form->SourcePicture, source); // recomputations never accumulate

    form->Stage = 1;
    for (QPushButton* reset : {form->Button7, form->Button8, form->Button9, form->Button10})
        reset->click();
    EXPECT_EQ(form->Stage, 0);
    EXPECT_EQ(form->Label6->text(), QStringLiteral("Contrast 0"));
    EXPECT_EQ(form->Label9->text(), QStringLiteral("Lightness 0"));
    AdjustTone(source, expected, {.splitlight = 2, .invert = true});
    EXPECT_EQ(form->WorkPicture, expected);

    // A reset of a slider already at 0 runs nothing.
    CountRecomputations();
    form->Button6->click();
    EXPECT_TRUE(platform.messages.empty());
    form->Brightness->setValue(5);
    form->Button6->click();
    EXPECT_EQ(platform.messages.size(), 2u);
    EXPECT_EQ(form->Brightness->value(), 0);
}

TEST_F(PicturesTest, OriginalImageRecomputesOncePerChangedControl)
{
    Load("rgb8.png");
    const Bitmap32 source = form->SourcePicture;
    form->Brightness->setValue(60);
    form->Splitlight->setValue(1);
    form->GrayScale->setChecked(true);
    GiveOverlay();
    CountRecomputations();

    form->BitBtn7->click();
    // GrayScale, Brightness and Splitlight changed; Invert and the other sliders did not.
    EXPECT_EQ(platform.messages.size(), 3u);
    EXPECT_EQ(form->image1->Bitmap(), source);
    EXPECT_EQ(form->WorkPicture, source);
    EXPECT_EQ(form->Stage, 0);
    EXPECT_EQ(form->image1->LayerCount(), 0);
    EXPECT_EQ(form->OverlayLayer, nullptr);
    EXPECT_FALSE(form->GrayScale->isChecked());
    EXPECT_EQ(form->Label4->text(), QStringLiteral("Brightness 0"));
    EXPECT_EQ(form->Label10->text(), QStringLiteral("Splitlight 0"));

    // Everything neutral already: no recomputation, the view still returns to the
    // source, and WorkPicture keeps what it had.
    platform.messages.clear();
    Bitmap32 marker(2, 2);
    marker.Clear(clBlack32);
    form->WorkPicture = marker;
    form->image1->SetBitmap(marker);
    form->BitBtn7->click();
    EXPECT_TRUE(platform.messages.empty());
    EXPECT_EQ(form->image1->Bitmap(), source);
    EXPECT_EQ(form->WorkPicture, marker);
}

TEST_F(PicturesTest, LoadDitheredImageScalesToTheGrid)
{
    form->Edit2->setText(QStringLiteral("4"));
    form->CellWidth = 5;
    form->CellHeight = 2;
    GiveOverlay();
    platform.fileAnswers.push_back(Picture("rgb8.png"));
    form->Button11->click();
    ASSERT_FALSE(platform.fileDialogsShown.empty());
    EXPECT_EQ(platform.fileDialogsShown.back().Filter, QStringLiteral("jpegs (*.jpg)|*.jpg|pngs (*.png)|*.png"));
    const Bitmap32 file = LoadPicture(Picture("rgb8.png").toStdString());
    EXPECT_EQ(form->image1->Bitmap(), file);
    EXPECT_EQ(form->SourcePicture, file);
    EXPECT_EQ(form->WorkPicture, file);
    // 8 x 6 pixels, 4 studs of 5 by 2: ceil(4 * 2.5 / 1.333...) = 8 rows.
    EXPECT_EQ(form->StudImage.Width(), 4);
    EXPECT_EQ(form->StudImage.Height(), 8);
    EXPECT_EQ(form->Label5->text(), QStringLiteral("Wd=4 Ht=8 Ratio=1.33333333333333"));
    std::set<TColor32> colours(file.Bits(), file.Bits() + 48);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_TRUE(colours.count(form->StudImage.Pixel(x, y)));
    EXPECT_EQ(form->Stage, 1);
    EXPECT_EQ(form->image1->LayerCount(), 1); // layers are left alone
    EXPECT_TRUE(form->LayerOpacity->isEnabled());
    EXPECT_TRUE(platform.messages.empty());
}

TEST_F(PicturesTest, LoadDitheredImageWithABadWidthKeepsTheGrid)
{
    form->Edit2->setText(QStringLiteral("4"));
    platform.fileAnswers.push_back(Picture("rgb8.png"));
    form->Button11->click();
    const Bitmap32 grid = form->StudImage;
    const QString label = form->Label5->text();
    form->Stage = 2;

    for (const char* width : {"", "99999999"}) {
        SCOPED_TRACE(width);
        form->Edit2->setText(QString::fromLatin1(width));
        platform.messages.clear();
        platform.fileAnswers.push_back(Picture("interlaced.png"));
        form->Button11->click();
        ASSERT_EQ(platform.messages.size(), 1u);
        EXPECT_EQ(form->StudImage, grid);
        EXPECT_EQ(form->Label5->text(), label);
        EXPECT_EQ(form->Stage, 2);
    }
    EXPECT_EQ(platform.messages[0].text,
              QStringLiteral("The mosaic width must be between 0 and 4000 studs (not 99999999)"));

    // A source without rows stops before the width box is read.
    form->Edit2->setText(QString());
    Bitmap32 target = grid;
    form->ScaleToGrid(Bitmap32(), target, false);
    EXPECT_EQ(target, grid);
}

TEST_F(PicturesTest, SaveCurrentImageWritesThePng)
{
    Load("rgb8.png");
    form->Invert->setChecked(true);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("view.png"));
    platform.fileAnswers.push_back(path);
    form->Button2->click();
    ASSERT_FALSE(platform.fileDialogsShown.empty());
    EXPECT_EQ(platform.fileDialogsShown.back().Filter, QStringLiteral("pngs (*.png)|*.png"));
    EXPECT_EQ(platform.fileDialogsShown.back().DefaultExt, QStringLiteral("png"));
    EXPECT_EQ(form->SaveDialog1.DefaultExt, QStringLiteral("ldr")); // kept for Make LDraw
    EXPECT_TRUE(platform.messages.empty());
    EXPECT_EQ(LoadPicture(path.toStdString()), form->image1->Bitmap());

    // Layers are not part of the saved picture.
    BitmapLayer* layer = form->image1->AddBitmapLayer();
    layer->Bitmap = Bitmap32(8, 6);
    layer->Bitmap.Clear(clBlack32);
    layer->Location = QRect(0, 0, 8, 6);
    platform.fileAnswers.push_back(path);
    form->Button2->click();
    EXPECT_EQ(LoadPicture(path.toStdString()), form->image1->Bitmap());

    // A folder that does not exist: the system's message, no file, nothing else changes.
    const QString missing = dir.filePath(QStringLiteral("no/such/view.png"));
    platform.fileAnswers.push_back(missing);
    form->Button2->click();
    EXPECT_EQ(platform.LastMessage(), QStringLiteral("Cannot create file ") + missing);
    EXPECT_FALSE(QFileInfo::exists(missing));

    // Cancel writes nothing, not even under the name chosen last time.
    platform.fileAnswers.push_back(path);
    form->Button2->click();
    ASSERT_TRUE(QFile::remove(path));
    const size_t messages = platform.messages.size();
    platform.fileAnswers.push_back(std::nullopt);
    form->Button2->click();
    EXPECT_FALSE(QFileInfo::exists(path));
    EXPECT_EQ(platform.messages.size(), messages);
}

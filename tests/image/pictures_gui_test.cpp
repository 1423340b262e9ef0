// The picture buttons and the tone box of the real main window.
#include "formats/picture_io.h"
#include "image/tone.h"
#include "support/main_window.h"
#include "support/test_paths.h"
#include "widgets/img_view32.h"

#include <QCheckBox>
#include <QComboBox>
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
    test::MainWindow w;
    ScriptedPlatform& platform = w.platform;
    TForm1* form = &w.form;

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

TEST_F(PicturesTest, LoadImageShowsThePictureUnadjustedOrKeepsItOnFailure)
{
    form->Contrast->setValue(80); // tone settings stay, but are not applied on loading
    GiveOverlay();
    form->Stage = StageMosaic;
    Load("rgb8.png");
    const Bitmap32 file = LoadPicture(Picture("rgb8.png").toStdString());
    EXPECT_EQ(form->image1->Bitmap(), file);
    EXPECT_EQ(form->SourcePicture, file);
    EXPECT_EQ(form->WorkPicture, file);
    EXPECT_EQ(form->Stage, StagePicture);
    EXPECT_EQ(form->image1->LayerCount(), 0);
    EXPECT_EQ(form->OverlayLayer, nullptr);
    EXPECT_FALSE(form->LayerOpacity->isEnabled());

    form->Stage = StageMosaic;
    GiveOverlay();
    platform.fileAnswers.push_back(std::nullopt);
    form->BitBtn1->click();
    EXPECT_EQ(form->image1->LayerCount(), 1); // cancel changes nothing

    for (const char* bad : {"badcrc.png", "quad8.ppm"}) {
        SCOPED_TRACE(bad);
        GiveOverlay();
        platform.messages.clear();
        Load(bad);
        ASSERT_EQ(platform.messages.size(), 1u);
        EXPECT_EQ(form->image1->Bitmap(), file);
        EXPECT_EQ(form->SourcePicture, file);
        EXPECT_EQ(form->WorkPicture, file);
        EXPECT_EQ(form->Stage, StageMosaic);
        // The layers were removed before the read failed.
        EXPECT_EQ(form->image1->LayerCount(), 0);
        EXPECT_EQ(form->OverlayLayer, nullptr);
        EXPECT_FALSE(form->LayerOpacity->isEnabled());
    }
    EXPECT_EQ(platform.LastMessage(), QStringLiteral("Unknown picture file extension (.ppm)"));
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
    EXPECT_EQ(form.Stage, StagePicture);

    form.CheckBox45->setChecked(false);
    Bitmap32 expected;
    AdjustTone(start, expected, ToneSettings{.brightness = 30});
    EXPECT_EQ(form.WorkPicture, expected);
}

TEST_F(PicturesTest, EachControlFeedsItsOwnSetting)
{
    Load("rgb8.png");
    const Bitmap32 source = form->SourcePicture;
    form->Brightness->setValue(-40);
    form->Contrast->setValue(100);
    form->Saturation->setValue(-200);
    form->Darkness->setValue(30);
    form->Lightness->setValue(20);
    form->Splitlight->setValue(2);
    form->Invert->setChecked(true);
    EXPECT_EQ(form->Label4->text(), QStringLiteral("Brightness -40"));
    EXPECT_EQ(form->Label10->text(), QStringLiteral("Splitlight 2"));
    Bitmap32 expected;
    AdjustTone(source, expected, {-40, 100, -200, 30, 20, 2, false, true}); // brightness .. splitlight, gray, invert
    EXPECT_EQ(form->WorkPicture, expected);
    EXPECT_EQ(form->image1->Bitmap(), expected);
    EXPECT_EQ(form->SourcePicture, source); // recomputations never accumulate

    form->Stage = StageDithered;
    for (QPushButton* reset : {form->Button6, form->Button7, form->Button8, form->Button9, form->Button10})
        reset->click();
    EXPECT_EQ(form->Stage, StagePicture);
    AdjustTone(source, expected, {.splitlight = 2, .invert = true});
    EXPECT_EQ(form->WorkPicture, expected);

    CountRecomputations();
    form->Button6->click(); // already at 0: nothing runs
    EXPECT_TRUE(platform.messages.empty());
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
    EXPECT_EQ(form->Stage, StagePicture);
    EXPECT_EQ(form->image1->LayerCount(), 0);
    EXPECT_EQ(form->OverlayLayer, nullptr);

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
    form->MixStudImage = Bitmap32(4, 4); // an earlier picture's
    platform.fileAnswers.push_back(Picture("rgb8.png"));
    form->Button11->click();
    EXPECT_EQ(platform.fileDialogsShown.back().Filter, QStringLiteral("jpegs (*.jpg)|*.jpg|pngs (*.png)|*.png"));
    const Bitmap32 file = LoadPicture(Picture("rgb8.png").toStdString());
    EXPECT_EQ(form->image1->Bitmap(), file);
    EXPECT_EQ(form->SourcePicture, file);
    EXPECT_EQ(form->WorkPicture, file);
    // 8 x 6 pixels, 4 studs of 5 by 2: ceil(4 * 2.5 / 1.333...) = 8 rows, source colours.
    ASSERT_EQ(form->StudImage.Width(), 4);
    ASSERT_EQ(form->StudImage.Height(), 8);
    const std::set<TColor32> colours(file.Bits(), file.Bits() + 48);
    for (int i = 0; i < 32; ++i)
        EXPECT_TRUE(colours.count(form->StudImage.Bits()[i]));
    EXPECT_EQ(form->Label5->text(), QStringLiteral("Wd=4 Ht=8 Ratio=1.33333333333333"));
    EXPECT_EQ(form->Stage, StageDithered);
    EXPECT_TRUE(form->MixStudImage.Empty());
    EXPECT_EQ(form->image1->LayerCount(), 1); // layers are left alone

    // A bad width stops the scaling: grid, label and stage stay.
    const Bitmap32 grid = form->StudImage;
    form->Stage = StageMosaic;
    for (const char* width : {"", "99999999"}) {
        form->Edit2->setText(QString::fromLatin1(width));
        platform.messages.clear();
        platform.fileAnswers.push_back(Picture("interlaced.png"));
        form->Button11->click();
        ASSERT_EQ(platform.messages.size(), 1u) << width;
        EXPECT_EQ(form->StudImage, grid);
        EXPECT_EQ(form->Label5->text(), QStringLiteral("Wd=4 Ht=8 Ratio=1.33333333333333"));
        EXPECT_EQ(form->Stage, StageMosaic);
    }
    EXPECT_EQ(platform.LastMessage(),
              QStringLiteral("The mosaic width must be between 0 and 4000 studs (not 99999999)"));

    // Without a stud-mix grid of this picture the stud-mix style refuses to draw.
    form->ComboBox1->setCurrentText(QStringLiteral("1x Plates - stud mix"));
    const Bitmap32 shown = form->image1->Bitmap();
    form->BitBtn10->click();
    EXPECT_EQ(
        platform.LastMessage(),
        QStringLiteral("There is no stud-mix grid for this mosaic: press \"Dither Image\" with this style first."));
    EXPECT_EQ(form->image1->Bitmap(), shown);
    EXPECT_EQ(form->image1->LayerCount(), 1);
    EXPECT_EQ(form->Stage, StageMosaic);
}

TEST_F(PicturesTest, SaveCurrentImageWritesTheViewWithoutLayers)
{
    Load("rgb8.png");
    form->Invert->setChecked(true);
    BitmapLayer* layer = form->image1->AddBitmapLayer();
    layer->Bitmap = Bitmap32(8, 6);
    layer->Bitmap.Clear(clBlack32);
    layer->Location = QRect(0, 0, 8, 6);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("view.png"));
    platform.fileAnswers.push_back(path);
    form->Button2->click();
    EXPECT_EQ(platform.fileDialogsShown.back().Filter, QStringLiteral("pngs (*.png)|*.png"));
    EXPECT_EQ(platform.fileDialogsShown.back().DefaultExt, QStringLiteral("png"));
    EXPECT_EQ(form->SaveDialog1.DefaultExt, QStringLiteral("ldr")); // kept for Make LDraw
    EXPECT_TRUE(platform.messages.empty());
    EXPECT_EQ(LoadPicture(path.toStdString()), form->image1->Bitmap());

    const QString missing = dir.filePath(QStringLiteral("no/such/view.png"));
    platform.fileAnswers.push_back(missing);
    form->Button2->click();
    EXPECT_EQ(platform.LastMessage(), QStringLiteral("Cannot create file ") + missing);
}

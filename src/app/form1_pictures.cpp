// Pictures in and out, tone adjustments and grid scaling.
#include "app/form1.h"

#include "common/file_path.h"
#include "formats/picture_io.h"
#include "image/grid_scale.h"
#include "image/tone.h"
#include "widgets/img_view32.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>

namespace tesselka {

void TForm1::BitBtn1Click()
{
    if (!platform_.ExecuteFileDialog(this, OpenPictureDialog))
        return;
    LoadPictureFile(OpenPictureDialog.FileName);
}

void TForm1::LoadPictureFile(const QString& fileName)
{
    const BusyCursor busy;
    // A failed read leaves the view without overlay; a cancelled one leaves everything.
    const auto dropOverlay = [this] {
        image1->ClearLayers();
        OverlayLayer = nullptr;
        LayerOpacity->setEnabled(false);
    };
    Bitmap32 picture;
    try {
        const std::unique_ptr<Progress> progress =
            platform().StartProgress(this, QStringLiteral("Loading the picture"));
        if (!LoadPicture(FilePath(fileName), picture,
                         [&progress](int done, int total) { return progress->Step(done, total); })) {
            ShowStatus(QStringLiteral("Load Image cancelled"));
            return;
        }
    } catch (const std::exception& e) {
        dropOverlay();
        ShowError(e);
        return;
    }
    dropOverlay();
    image1->SetBitmap(std::move(picture));
    SourcePicture = image1->Bitmap();
    WorkPicture = image1->Bitmap();
    Stage = StagePicture;
    SetPictureName(fileName);
    RememberLoadedPicture(fileName);
}

void TForm1::BitBtn7Click()
{
    image1->ClearLayers();
    OverlayLayer = nullptr;
    LayerOpacity->setEnabled(false);
    image1->SetBitmap(SourcePicture);
    // Each control that actually changes runs its own handler and so the tone
    // recomputation; the last one, with everything neutral, restores the picture.
    GrayScale->setChecked(false);
    Invert->setChecked(false);
    for (QSlider* slider : {Brightness, Contrast, Saturation, Darkness, Lightness, Splitlight})
        slider->setValue(0);
    Stage = StagePicture;
}

void TForm1::Button11Click()
{
    if (!ExecuteOpenDialog(QStringLiteral("jpegs (*.jpg)|*.jpg|pngs (*.png)|*.png")))
        return;
    const BusyCursor busy;
    try {
        // Read and scale into copies first: a cancel or a refused scaling keeps all.
        Bitmap32 picture;
        const std::unique_ptr<Progress> progress =
            platform().StartProgress(this, QStringLiteral("Loading the dithered picture"));
        if (!LoadPicture(FilePath(OpenDialog1.FileName), picture,
                         [&progress](int done, int total) { return progress->Step(done, total); })) {
            ShowStatus(QStringLiteral("Load Dithered Image cancelled"));
            return;
        }
        Bitmap32 grid = StudImage;
        ScaleToGrid(picture, grid, false);
        image1->SetBitmap(std::move(picture));
        SourcePicture = image1->Bitmap();
        WorkPicture = image1->Bitmap();
        StudImage = std::move(grid);
        RememberLoadedPicture(OpenDialog1.FileName);
        // The stud-mix grid of an earlier picture would draw that picture: the stud-mix
        // style asks for Dither Image instead.
        MixStudImage = Bitmap32();
        Stage = StageDithered;
        SetPictureName(OpenDialog1.FileName);
    } catch (const std::exception& e) {
        ShowError(e);
    }
}

void TForm1::Button2Click()
{
    if (!ExecuteSaveDialog(SaveKind::Picture))
        return;
    const BusyCursor busy;
    try {
        SavePng(image1->Bitmap(), FilePath(SaveDialog1.FileName));
        ShowStatus(QStringLiteral("Saved picture: ") + SaveDialog1.FileName);
    } catch (const std::exception& e) {
        ShowError(e);
    }
}

void TForm1::BrightnessChange()
{
    Label4->setText(QStringLiteral("Brightness ") + QString::number(Brightness->value()));
    AdjustTone();
}

void TForm1::ContrastChange()
{
    Label6->setText(QStringLiteral("Contrast ") + QString::number(Contrast->value()));
    AdjustTone();
}

void TForm1::SaturationChange()
{
    Label7->setText(QStringLiteral("Saturation ") + QString::number(Saturation->value()));
    AdjustTone();
}

void TForm1::DarknessChange()
{
    Label8->setText(QStringLiteral("Darkness ") + QString::number(Darkness->value()));
    AdjustTone();
}

void TForm1::LightnessChange()
{
    Label9->setText(QStringLiteral("Lightness ") + QString::number(Lightness->value()));
    AdjustTone();
}

void TForm1::SplitlightChange()
{
    Label10->setText(QStringLiteral("Splitlight ") + QString::number(Splitlight->value()));
    AdjustTone();
}

// The reset buttons only move their slider; its change handler runs if it moved.
void TForm1::Button6Click()
{
    Brightness->setValue(0);
}

void TForm1::Button7Click()
{
    Contrast->setValue(0);
}

void TForm1::Button8Click()
{
    Saturation->setValue(0);
}

void TForm1::Button9Click()
{
    Darkness->setValue(0);
}

void TForm1::Button10Click()
{
    Lightness->setValue(0);
}

void TForm1::AdjustTone()
{
    // Stored settings are restored before the first showing, while SourcePicture is
    // still empty: recomputing then would empty the view and lose the start picture.
    // The sliders keep their positions and apply at the next change, as after a load.
    if ((Stage < StagePicture && SourcePicture.Empty()) || openingProject_)
        return;
    try {
        const ToneSettings settings = CurrentToneSettings();
        // Straight into WorkPicture and then the view: both keep their buffers between
        // runs, which matters while a slider is dragged over a large picture.
        ::tesselka::AdjustTone(SourcePicture, WorkPicture, settings);
        image1->SetBitmap(WorkPicture);
        Stage = StagePicture;
        if (CheckBox45->isChecked())
            BitBtn2Click();
        if (CheckBox46->isChecked())
            MakeMosaic();
    } catch (const std::exception& e) {
        ShowError(e);
    }
}

ToneSettings TForm1::CurrentToneSettings() const
{
    ToneSettings settings;
    settings.brightness = Brightness->value();
    settings.contrast = Contrast->value();
    settings.saturation = Saturation->value();
    settings.darkness = Darkness->value();
    settings.lightness = Lightness->value();
    settings.splitlight = Splitlight->value();
    settings.grayscale = GrayScale->isChecked();
    settings.invert = Invert->isChecked();
    return settings;
}

void TForm1::ScaleToGrid(const Bitmap32& source, Bitmap32& target, bool mix)
{
    // A source without rows changes nothing, not even when the width box is empty.
    if (source.Height() == 0)
        return;
    const int studsWide = ParseMosaicWidth(Edit2->text().toStdString());
    std::optional<GridScaleResult> result =
        ::tesselka::ScaleToGrid(source, target, studsWide, CellWidth, CellHeight, mix);
    if (result)
        Label5->setText(QString::fromStdString(result->label));
}

} // namespace tesselka

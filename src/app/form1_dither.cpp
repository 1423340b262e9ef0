// Dither Image.
#include "app/form1.h"

#include "image/grid_scale.h"
#include "widgets/img_view32.h"
#include "workflow/workflow.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

#include <utility>

namespace tesselka {

void TForm1::BitBtn2Click()
{
    const BusyCursor busy;
    // The colour list pairs with the grid and PaletteCount (the map counts by it): a run
    // that is refused or cancelled leaves the list of the grid it leaves in place.
    const SelectedColorArray kept = SelectedColors;
    try {
        const std::pair<QRadioButton*, DitherKind> kinds[] = {
            {dm1, DitherFloydSteinberg}, {dm2, DitherStucki}, {dm3, DitherSierra},  {dm4, DitherJarvisJudiceNinke},
            {dm5, DitherStevensonArce},  {dm6, DitherBurkes}, {dm7, DitherNearest},
        };
        for (const auto& [radio, kind] : kinds)
            if (radio->isChecked()) {
                DitherSettings.kind = kind;
                break;
            }

        DitherSettings.matching = MatchBox->currentIndex() == 1 ? MatchPerceptual : MatchRgb;

        int n = 0;
        const ReductionPalette palette = BuildPalette(n);
        // A width box that cannot be read stops the step at the scaling, which would come
        // only after the whole picture has been reduced for nothing: read it first. (An
        // empty palette or picture gives no grid to scale, so the box is not read then.)
        DitherRequest request;
        request.kind = DitherSettings.kind;
        request.matching = DitherSettings.matching;
        request.reductionBits = DitherSettings.reductionBits;
        request.mixGrid = UsesStudMix(MosaicStyle().toStdString()) ? DitherRequest::MixGrid::Required
                                                                   : DitherRequest::MixGrid::IfItFits;
        request.cell = {CellWidth, CellHeight};
        if (n > 0 && !WorkPicture.Empty())
            request.studsWide = ParseMosaicWidth(Edit2->text().toStdString());
        // The index buffer and the full-size picture are kept between runs: with Auto
        // dither this runs after every click.
        std::optional<StudGrids> grids;
        const std::unique_ptr<Progress> progress =
            platform().StartProgress(this, QStringLiteral("Dithering the picture"));
        // A cancelled run stops before anything the window shows or keeps has changed.
        if (!DitherToStudGrids(WorkPicture, palette, request, reducedPicture_, grids,
                               [&progress](int done, int total) { return progress->Step(done, total); })) {
            SelectedColors = kept;
            ShowStatus(QStringLiteral("Dither Image cancelled"));
            return;
        }
        reducedPicture_.ToBitmap32(ditheredPicture_);
        if (grids) {
            StudImage = std::move(grids->studImage);
            // Emptied when it did not fit: never a grid of an earlier picture.
            MixStudImage = std::move(grids->mixStudImage);
            Label5->setText(QString::fromStdString(grids->Label()));
        }

        // The view takes the dithered picture without a copy; its old picture becomes the
        // buffer of the next run. Its layers stay as they are.
        std::swap(image1->Bitmap(), ditheredPicture_);
        image1->Changed();

        DrawPaletteStrip(n);
        PaletteCount = n;
        Stage = StageDithered;
    } catch (const std::exception& e) {
        SelectedColors = kept;
        ShowError(e);
    }
}

} // namespace tesselka

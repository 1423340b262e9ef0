// Dither Image.
#include "app/form1.h"

#include "image/grid_scale.h"
#include "widgets/img_view32.h"

#include <QLineEdit>
#include <QRadioButton>

#include <utility>

namespace tesselka {

void TForm1::BitBtn2Click()
{
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

        int n = 0;
        const ReductionPalette palette = BuildPalette(n);
        // A width box that cannot be read stops the step at the scaling, which would come
        // only after the whole picture has been reduced for nothing: read it first. (An
        // empty palette or picture gives no grid to scale, so the box is not read then.)
        if (n > 0 && !WorkPicture.Empty())
            ParseMosaicWidth(Edit2->text().toStdString());
        // Dithering runs at the picture's full size, before the grid is sampled, so the
        // error diffusion works on every pixel. The index buffer and the full-size
        // picture are kept between runs: with Auto dither this runs after every click.
        ReduceBitmapColors(WorkPicture, ReduceCustomPalette, DitherSettings.kind, DitherSettings.reductionBits, palette,
                           reducedPicture_);
        reducedPicture_.ToBitmap32(ditheredPicture_);

        ScaleToGrid(ditheredPicture_, StudImage, false);
        // The stud-mix grid is made with its own cell shape, for every style.
        const int keptWidth = CellWidth, keptHeight = CellHeight;
        CellHeight = 5;
        CellWidth = 2;
        try {
            ScaleToGrid(ditheredPicture_, MixStudImage, true);
        } catch (...) {
            CellWidth = keptWidth;
            CellHeight = keptHeight;
            throw;
        }
        CellWidth = keptWidth;
        CellHeight = keptHeight;

        // The view takes the dithered picture without a copy; its old picture becomes the
        // buffer of the next run. Its layers stay as they are.
        std::swap(image1->Bitmap(), ditheredPicture_);
        image1->Changed();

        DrawPaletteStrip(n);
        PaletteCount = n;
        Stage = 1;
    } catch (const std::exception& e) {
        ShowError(e);
    }
}

} // namespace tesselka

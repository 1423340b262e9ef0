// The mosaic view: Make Mosaic, grids, scale, overlay, hand editing, undo, 16 x 16 export.
#include "app/form1.h"

#include "common/error.h"
#include "common/file_path.h"
#include "formats/picture_io.h"
#include "image/grid_scale.h"
#include "mosaic/stud_picture.h"
#include "widgets/color_panel.h"
#include "widgets/img_view32.h"
#include "workflow/workflow.h"

#include <QCheckBox>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QSlider>

namespace tesselka {

namespace {

const QString NoDitherText =
    QStringLiteral("I can not Make the Mosaic till you have pressed the \"Dither Image\" button.");

// Screen cursor numbers: the arrow, the three registered cursors, the pointing hand.
constexpr int crDefault = 0;
constexpr int crPencil = 1;
constexpr int crDropper = 2;
constexpr int crBucket = 3;
constexpr int crHandPoint = -21;

// Colours the dropper never takes: black and the red of the 8 Stud Grid are line
// colours (black is chosen from the palette instead), and the light grey (243, 243, 245).
constexpr TColor DropperRefused[] = {0x000000, 0x0000FF, 16118771};

// A key event for the modifier key itself need not carry the modifier yet.
bool AltHeld(Qt::KeyboardModifiers modifiers, int key = 0)
{
    return (modifiers & Qt::AltModifier) || key == Qt::Key_Alt;
}

bool CtrlHeld(Qt::KeyboardModifiers modifiers, int key = 0)
{
    return (modifiers & Qt::ControlModifier) || key == Qt::Key_Control;
}

} // namespace

std::array<QCursor, 4> TForm1::LoadViewCursors()
{
    // The cursor pictures point with their bottom-left corner.
    auto load = [](const char* resource) {
        QPixmap picture(QString::fromLatin1(resource));
        return QCursor(picture, 0, std::max(0, picture.height() - 1));
    };
    return {QCursor(Qt::ArrowCursor), load(":/pencil.png"), load(":/dropper.png"), load(":/bucket.png")};
}

void TForm1::SetViewCursor(int id)
{
    if (id == crHandPoint)
        image1->SetScreenCursor(id, QCursor(Qt::PointingHandCursor));
    else
        image1->SetScreenCursor(id, viewCursors_[size_t(id)]);
}

MosaicRenderSettings TForm1::CurrentRenderSettings(CellShape cell, bool mixPass) const
{
    const ViewOptions view{sbScale->value(),
                           {CheckBox42->isChecked(), CheckBox43->isChecked(), CheckBox44->isChecked()}};
    return ViewSettings(MosaicStyle().toStdString(), cell, view, mixPass);
}

CellGeometry TForm1::CurrentGeometry() const
{
    return {CellWidth, CellHeight, sbScale->value()};
}

// A view too large to make leaves nothing to edit against: the old view no longer
// matches the scale or style, so it goes, and Stage returns to "dithered".
void TForm1::DropMosaicView()
{
    image1->ClearLayers();
    OverlayLayer = nullptr;
    LayerOpacity->setEnabled(false);
    image1->SetBitmap(Bitmap32());
    ViewWidth = 0;
    ViewHeight = 0;
    Stage = std::min(Stage, int(StageDithered));
}

void TForm1::RenderMosaic(const Bitmap32& studs, CellShape cell, bool mixPass)
{
    Bitmap32 view;
    if (DrawMosaicView(studs, cell, mixPass, view))
        ShowMosaicView(view, CurrentRenderSettings(cell, mixPass));
}

bool TForm1::DrawMosaicView(const Bitmap32& studs, CellShape cell, bool mixPass, Bitmap32& view,
                            const StepProgress& progress)
{
    if (Stage < StageDithered) {
        ShowInfo(NoDitherText);
        return false;
    }
    const MosaicRenderSettings settings = CurrentRenderSettings(cell, mixPass);
    try {
        CheckMosaicViewSize(studs, settings);
    } catch (const Error&) {
        DropMosaicView();
        throw;
    }
    // The view's own buffer is drawn into only when nothing can cancel.
    if (!progress) {
        std::swap(view, image1->Bitmap());
        RenderMosaicView(studs, settings, view);
        return true;
    }
    return RenderMosaicView(studs, settings, view, progress);
}

void TForm1::ShowMosaicView(Bitmap32& view, const MosaicRenderSettings& settings)
{
    std::swap(image1->Bitmap(), view);
    image1->Changed();
    ViewWidth = image1->Bitmap().Width();
    ViewHeight = image1->Bitmap().Height();
    Stage = StageMosaic;
    lastRender_ = settings;
    lastRenderRevision_ = image1->Revision();
}

// After an edit: only the changed cells and their right and lower neighbours, when the
// view still shows the last full render; otherwise the whole view.
void TForm1::RedrawMosaic(const QRect& changedStuds)
{
    const MosaicRenderSettings settings = CurrentRenderSettings({CellWidth, CellHeight}, false);
    const Bitmap32& view = image1->Bitmap();
    if (Stage == StageMosaic && image1->Revision() == lastRenderRevision_ && settings == lastRender_ &&
        view.Width() == MosaicViewWidth(StudImage, settings) &&
        view.Height() == MosaicViewHeight(StudImage, settings)) {
        image1->ChangedRect(RenderMosaicChange(StudImage, settings, image1->Bitmap(), changedStuds));
        return;
    }
    RenderMosaic(StudImage, {CellWidth, CellHeight}, false);
}

// Dither Image leaves the stud-mix grid out when it does not fit and the style does not
// show it. The stud-mix style then has no grid to draw: it is refused with the reason
// Dither Image gives in that style, before anything the window shows has changed.
void TForm1::CheckMixGridMade() const
{
    if (Stage < StageDithered || !MixStudImage.Empty() || !UsesStudMix(MosaicStyle().toStdString()))
        return;
    PlanGrid(WorkPicture.Width(), WorkPicture.Height(), StudImage.Width(), StudMixCell.width, StudMixCell.height, true);
    throw Error("There is no stud-mix grid for this mosaic: press \"Dither Image\" with this style first.");
}

void TForm1::MakeMosaic(const StepProgress& progress)
{
    const BusyCursor busy;
    try {
        CheckMixGridMade();
    } catch (const Error& e) {
        ShowError(e);
        return;
    }
    // Both passes are drawn into pictures of their own first, so that a cancel leaves
    // the view, its layers and the stage as they were.
    const bool studMix = UsesStudMix(MosaicStyle().toStdString());
    Bitmap32 mixView, view;
    bool drawn = false;
    try {
        if (Stage >= StageDithered) {
            const std::unique_ptr<Progress> own =
                progress ? nullptr : platform().StartProgress(this, QStringLiteral("Making the mosaic"));
            const StepProgress report =
                progress ? progress : StepProgress([&own](int done, int total) { return own->Step(done, total); });
            const int passes = studMix ? 2 : 1;
            const auto pass = [&report, passes](int n) {
                return [&report, passes, n](int done, int total) { return report(n * total + done, passes * total); };
            };
            if ((studMix && !DrawMosaicView(MixStudImage, StudMixCell, true, mixView, pass(0))) ||
                !DrawMosaicView(StudImage, {CellWidth, CellHeight}, false, view, pass(passes - 1))) {
                ShowStatus(QStringLiteral("Make Mosaic cancelled"));
                return;
            }
            drawn = true;
        }
    } catch (const Error& e) {
        // The view was too large: it has gone, and with it the overlay.
        image1->ClearLayers();
        OverlayLayer = nullptr;
        ShowError(e);
        return;
    }
    if (Stage >= StagePicture) {
        image1->ClearLayers();
        OverlayLayer = nullptr;
    }
    LayerOpacity->setEnabled(true);
    BitmapLayer* layer = nullptr;
    try {
        // A refusal (no dither yet) shows its message; the overlay is still laid over
        // whatever the view shows, as the steps after it do not depend on it.
        if (drawn) {
            ShowMosaicView(view, CurrentRenderSettings({CellWidth, CellHeight}, false));
        } else {
            // Each pass says so, and the mix pass leaves the view as it was.
            if (studMix) {
                ShowInfo(NoDitherText);
                mixView = image1->Bitmap();
            }
            ShowInfo(NoDitherText);
        }
        layer = image1->AddBitmapLayer();
        layer->Bitmap = SourcePicture;
        if (studMix) {
            // Written into the working directory; StudImage is written at 32 bits per
            // pixel like the two views.
            SaveBmp32(image1->Bitmap(), "mix coke test1.bmp");
            layer->Bitmap = std::move(mixView);
            SaveBmp32(layer->Bitmap, "mix coke test2.bmp");
            SaveBmp32(StudImage, "mix coke original.bmp");
        }
        layer->Mode = DrawMode::dmBlend;
        layer->Location = QRect(0, 0, ViewWidth, ViewHeight);
        layer->Scaled = true;
        OverlayLayer = layer;
        OverlayLayer->MasterAlpha = LayerOpacity->value();
        image1->LayersChanged();
    } catch (const Error& e) {
        if (layer)
            image1->DeleteLayer(layer);
        OverlayLayer = nullptr;
        ShowError(e);
    }
}

void TForm1::CheckBox42Click()
{
    if (Stage > StageDithered)
        MakeMosaic();
    Label3->setText(QStringLiteral("Scale x") + QString::number(sbScale->value()));
}

void TForm1::LayerOpacityChange()
{
    if (OverlayLayer) {
        OverlayLayer->MasterAlpha = LayerOpacity->value();
        image1->LayersChanged();
    }
    Label12->setText(QStringLiteral("Opacity ") + QString::number(LayerOpacity->value()));
}

void TForm1::image1MouseEnter()
{
    image1->setFocus();
}

void TForm1::PenStep(int px, int py)
{
    const EditResult edit = PenEdit(StudImage, CurrentGeometry(), px, py, PenColor);
    UndoList.append(QString::fromStdString(edit.undoLine));
    RedoList.clear();
    // A drag that began as a dropper press records lines too; Undo must be reachable.
    Button3->setEnabled(true);
    RedrawMosaic(edit.changedStuds);
}

void TForm1::image1MouseDown(Qt::MouseButton, Qt::KeyboardModifiers modifiers, int x, int y)
{
    // The press point in view pixels, for panning; the edits take the picture point.
    PressX = x + image1->OffsetHorz();
    PressY = y + image1->OffsetVert();
    const QPoint picturePoint = image1->PicturePoint(x, y);
    const int px = picturePoint.x(), py = picturePoint.y();
    try {
        if (Stage == StageMosaic && AltHeld(modifiers)) {
            const TColor shown = WinColor(image1->ShownColorAt(x, y));
            if (std::find(std::begin(DropperRefused), std::end(DropperRefused), shown) == std::end(DropperRefused)) {
                PenColor = shown;
                Panel42->SetColor(shown);
            }
        } else if (Stage == StageMosaic && CtrlHeld(modifiers)) {
            const EditResult edit = FillEdit(StudImage, CurrentGeometry(), px, py, PenColor);
            UndoList.append(QString::fromStdString(edit.undoLine));
            RedoList.clear();
            RedrawMosaic(edit.changedStuds);
        } else if (ToolMode == 1) {
            DragActive = 1;
            SetViewCursor(crHandPoint);
        } else if (Stage == StageMosaic) {
            PenStep(px, py);
        }
    } catch (const Error& e) {
        ShowError(e);
    }
    if (!UndoList.isEmpty())
        Button3->setEnabled(true);
    DragActive = 1;
}

void TForm1::image1MouseMove(Qt::KeyboardModifiers modifiers, int x, int y)
{
    const int h = image1->OffsetHorz(), v = image1->OffsetVert();
    if (Stage == StageMosaic && AltHeld(modifiers)) {
        SetViewCursor(crDropper);
    } else if (Stage == StageMosaic && CtrlHeld(modifiers)) {
        SetViewCursor(crBucket);
    } else if (ToolMode == 1 && DragActive == 1) {
        SetViewCursor(crHandPoint);
        Label13->setText(QStringLiteral("%1 %2 %3 %4 %5 %6").arg(PressX).arg(PressY).arg(h).arg(v).arg(x).arg(y));
        // Brings the picture point grabbed at the press back under the pointer.
        image1->Scroll(PressX - h - x, PressY - v - y);
    } else if (ToolMode == 1) {
        SetViewCursor(crHandPoint);
    } else if (Stage != StageMosaic) {
        SetViewCursor(crDefault);
    } else if (DragActive != 1) {
        SetViewCursor(crPencil);
    } else {
        SetViewCursor(crPencil);
        try {
            const QPoint p = image1->PicturePoint(x, y);
            PenStep(p.x(), p.y());
        } catch (const Error& e) {
            ShowError(e);
        }
    }
}

void TForm1::image1MouseUp(Qt::MouseButton, Qt::KeyboardModifiers, int, int)
{
    // Every release ends the drag, in every stage: a press made before the mosaic existed
    // must not turn later plain mouse moves into pen strokes.
    DragActive = 0;
}

void TForm1::image1KeyDown(int key, Qt::KeyboardModifiers modifiers)
{
    if (Stage == StageMosaic && AltHeld(modifiers, key)) {
        SetViewCursor(crDropper);
    } else if (Stage == StageMosaic && CtrlHeld(modifiers, key)) {
        SetViewCursor(crBucket);
    } else if (key == Qt::Key_Space) {
        ToolMode = 1;
        SetViewCursor(crHandPoint);
    } else {
        SetViewCursor(Stage == StageMosaic ? crPencil : crDefault);
    }
}

void TForm1::image1KeyUp(int key, Qt::KeyboardModifiers modifiers)
{
    // The modifiers of a release still name the key being released.
    const bool alt = (modifiers & Qt::AltModifier) && key != Qt::Key_Alt;
    const bool ctrl = (modifiers & Qt::ControlModifier) && key != Qt::Key_Control;
    if (Stage == StageMosaic && alt) {
        SetViewCursor(crDropper);
    } else if (Stage == StageMosaic && ctrl) {
        SetViewCursor(crBucket);
    } else if (key == Qt::Key_Space) {
        ToolMode = 0;
        SetViewCursor(crDefault);
    } else {
        SetViewCursor(Stage == StageMosaic ? crPencil : crDefault);
    }
}

void TForm1::Button3Click()
{
    StepEditHistory(UndoList, RedoList);
    Button3->setEnabled(!UndoList.isEmpty());
}

void TForm1::Redo()
{
    StepEditHistory(RedoList, UndoList);
    Button3->setEnabled(!UndoList.isEmpty());
}

void TForm1::StepEditHistory(QStringList& from, QStringList& to)
{
    if (from.isEmpty())
        return;
    try {
        // The line that takes this step back again is read before the step changes the cells.
        const std::string line = from.last().toStdString();
        const std::string back = InverseEditLine(StudImage, CurrentGeometry(), line);
        const QRect changed = UndoEdit(StudImage, CurrentGeometry(), line);
        to.append(QString::fromStdString(back));
        RedrawMosaic(changed);
    } catch (const Error& e) {
        ShowError(e);
    }
    // The edit is taken back before the view is drawn, so the line goes even when the
    // drawing is refused; keeping it would apply it a second time.
    from.removeLast();
}

void TForm1::Button12Click()
{
    if (Stage < StageDithered) {
        ShowInfo(NoDitherText);
        return;
    }
    try {
        const Bitmap32 picture = RenderStudPicture(StudImage);
        if (!ExecuteSaveDialog(SaveKind::Studs))
            return;
        const BusyCursor busy;
        SavePng(picture, FilePath(SaveDialog1.FileName));
        ShowStatus(QStringLiteral("Saved 16 x 16 picture: ") + SaveDialog1.FileName);
    } catch (const Error& e) {
        ShowError(e);
    }
}

} // namespace tesselka

#pragma once

#include "common/bitmap32.h"

#include <QAbstractScrollArea>
#include <QCursor>
#include <QRect>

#include <cstdint>
#include <memory>
#include <vector>

namespace tesselka {

enum class DrawMode { dmOpaque, dmBlend };

// A bitmap laid over the view's picture, stretched over `Location` (picture
// coordinates) with nearest-neighbour sampling and blended with `MasterAlpha`. The
// layer pixels' own alpha is ignored: pictures are opaque throughout the program.
struct BitmapLayer
{
    Bitmap32 Bitmap;
    DrawMode Mode = DrawMode::dmOpaque;
    int MasterAlpha = 255; // 0 = invisible, 255 = opaque
    QRect Location;        // in picture coordinates
    bool Scaled = true;    // stretched to Location (unscaled layers are drawn at 1:1)
};

// True when the layer changes any pixel it covers.
bool LayerVisible(const BitmapLayer& layer);

// Blends `layer` into `target` (which holds the pixels below it) inside `region` of
// target coordinates. The stretch takes, for each target pixel, the source pixel under
// its centre; the blend is (layer * a + below * (255 - a) + 127) / 255 per channel.
void ComposeLayer(const BitmapLayer& layer, Bitmap32& target, const QRect& region);

// The scrollable picture view: its picture from the top-left corner on a white
// background, with a list of bitmap layers, at a zoom of its own (1:1 at first). What
// the view shows is composed in Composed() and sampled by one rule, view pixel v shows
// picture pixel floor(v / zoom), so the colour under a client point, and the picture
// point under it, are plain functions of the state.
class ImgView32 : public QAbstractScrollArea
{
    Q_OBJECT
public:
    explicit ImgView32(QWidget* parent = nullptr);
    ~ImgView32() override;

    // The view's own picture. After drawing into it directly call Changed(), or
    // ChangedRect() with the part that was redrawn.
    Bitmap32& Bitmap() { return bitmap_; }
    const Bitmap32& Bitmap() const { return bitmap_; }
    void SetBitmap(const Bitmap32& bitmap);
    void SetBitmap(Bitmap32&& bitmap);
    void Changed();
    void ChangedRect(const QRect& pictureRect);
    // Counts SetBitmap and Changed calls, so that a caller that updates the picture in
    // parts can tell whether someone else replaced it in the meantime.
    uint64_t Revision() const { return revision_; }

    // Layers are owned by the view; ClearLayers and DeleteLayer free them. After changing
    // a layer's fields call LayersChanged().
    BitmapLayer* AddBitmapLayer();
    void DeleteLayer(BitmapLayer* layer);
    void ClearLayers();
    void LayersChanged();
    int LayerCount() const { return int(layers_.size()); }
    BitmapLayer* Layer(int i) { return layers_[size_t(i)].get(); }

    // Scroll positions in view pixels (picture pixels at 1:1), and a relative scroll
    // (kept in range).
    int OffsetHorz() const;
    int OffsetVert() const;
    void Scroll(int dx, int dy);

    // The zoom: view pixels per picture pixel. SetZoom keeps the picture point under
    // `anchor` (a client point; the client area's top-left corner when omitted) where it
    // is; ZoomStep moves one step of a fixed ladder up or down. Fitting makes the whole
    // picture fill the client area, and keeps doing so as the picture or the view
    // changes size, until a zoom is set.
    static constexpr double MinZoom = 1.0 / 32;
    static constexpr double MaxZoom = 32;
    double Zoom() const { return zoom_; }
    bool Fitted() const { return fit_; }
    void SetZoom(double zoom, QPoint anchor = QPoint());
    void ZoomStep(int steps, QPoint anchor);
    void FitToWindow();

    // The picture point under a point of the client area (possibly outside the picture).
    QPoint PicturePoint(int clientX, int clientY) const;
    // The colour of the composed picture at the picture point under a client point (white
    // outside the picture): what is shown there from 1:1 up; below 1:1 the view shows an
    // average, and this is the colour of the cell that an edit at that point would hit.
    TColor32 ShownColorAt(int clientX, int clientY) const;
    // The picture with all layers composed, in picture pixels.
    const Bitmap32& Composed() const;

    // The cursor over the picture, with the number the window knows it by.
    void SetScreenCursor(int id, const QCursor& cursor);
    int ScreenCursor() const { return cursorId_; }

signals:
    void mouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);
    void mouseMove(Qt::KeyboardModifiers modifiers, int x, int y);
    void mouseUp(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);
    void mouseEnter();
    void keyDown(int key, Qt::KeyboardModifiers modifiers);
    void keyUp(int key, Qt::KeyboardModifiers modifiers);
    // The zoom or the fitting changed.
    void zoomChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void UpdateScrollBars();
    bool AnyLayerVisible() const;
    // The picture's size in view pixels at the current zoom.
    QSize ViewSize() const;
    // The view pixels that show the picture pixels of `pictureRect`.
    QRect ViewRect(const QRect& pictureRect) const;
    void ApplyZoom(double zoom, QPoint anchor, bool fit);
    double FitZoom() const;
    // Below 1:1 each view pixel shows the average of the picture pixels it covers; the
    // averages are kept and refreshed where the picture changed.
    const ::tesselka::Bitmap32& Reduced() const;

    ::tesselka::Bitmap32 bitmap_;
    std::vector<std::unique_ptr<BitmapLayer>> layers_;
    // The composition is kept and brought up to date lazily: wholly after a new picture
    // or a layer change, only in `dirty_` after a partial redraw.
    mutable ::tesselka::Bitmap32 composed_;
    mutable bool fullDirty_ = true;
    mutable QRect dirty_;
    uint64_t revision_ = 0;
    int cursorId_ = 0;
    double zoom_ = 1;
    bool fit_ = false;
    int wheelRest_ = 0; // wheel movement short of a step (fine-grained wheels and pads)
    mutable ::tesselka::Bitmap32 reduced_;
    mutable double reducedZoom_ = 0;
    mutable bool reducedFullDirty_ = true;
    mutable QRect reducedDirty_; // picture coordinates
};

} // namespace tesselka

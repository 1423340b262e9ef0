#pragma once

#include "common/bitmap32.h"

#include <QAbstractScrollArea>
#include <QRect>

#include <memory>
#include <vector>

namespace tesselka {

enum class DrawMode { dmOpaque, dmBlend };

// A bitmap laid over the view's picture, stretched over `Location` (picture
// coordinates) with nearest-neighbour sampling and blended with `MasterAlpha`.
struct BitmapLayer
{
    Bitmap32 Bitmap;
    DrawMode Mode = DrawMode::dmOpaque;
    int MasterAlpha = 255; // 0 = invisible, 255 = opaque
    QRect Location;        // left, top, right (exclusive), bottom (exclusive)
    bool Scaled = true;
};

// The scrollable picture view: its picture at 1:1 from the top-left corner on a white
// background, with a list of bitmap layers. What the view shows is composed by
// ComposeShown, so the colour under a client point is a plain function of the state.
class ImgView32 : public QAbstractScrollArea
{
    Q_OBJECT
public:
    explicit ImgView32(QWidget* parent = nullptr);
    ~ImgView32() override;

    // The view's own picture. Call Changed() after drawing into it directly.
    Bitmap32& Bitmap() { return bitmap_; }
    const Bitmap32& Bitmap() const { return bitmap_; }
    void SetBitmap(const Bitmap32& bitmap);
    void SetBitmap(Bitmap32&& bitmap);
    void Changed();

    // Layers are owned by the view; ClearLayers frees them.
    BitmapLayer* AddBitmapLayer();
    void ClearLayers();
    int LayerCount() const { return int(layers_.size()); }
    BitmapLayer* Layer(int i) { return layers_[size_t(i)].get(); }

    // Scroll positions in picture pixels, and a relative scroll.
    int OffsetHorz() const;
    int OffsetVert() const;
    void Scroll(int dx, int dy);

    // The colour shown at a point of the client area (white outside the picture).
    TColor32 ShownColorAt(int clientX, int clientY) const;
    // The picture with all layers composed, as shown at scroll position (0, 0).
    const Bitmap32& Composed() const;

signals:
    void mouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);
    void mouseMove(Qt::KeyboardModifiers modifiers, int x, int y);
    void mouseUp(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);
    void mouseEnter();
    void keyDown(int key, Qt::KeyboardModifiers modifiers);
    void keyUp(int key, Qt::KeyboardModifiers modifiers);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    void UpdateScrollBars();
    void Recompose() const;

    ::tesselka::Bitmap32 bitmap_;
    std::vector<std::unique_ptr<BitmapLayer>> layers_;
    mutable ::tesselka::Bitmap32 composed_;
    mutable bool dirty_ = true;
};

} // namespace tesselka

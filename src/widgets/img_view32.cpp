#include "widgets/img_view32.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

namespace tesselka {

ImgView32::ImgView32(QWidget* parent) : QAbstractScrollArea(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setMouseTracking(true);
    QPalette pal = viewport()->palette();
    pal.setColor(QPalette::Window, Qt::white);
    viewport()->setPalette(pal);
    viewport()->setAutoFillBackground(true);
}

ImgView32::~ImgView32() = default;

void ImgView32::SetBitmap(const ::tesselka::Bitmap32& bitmap)
{
    bitmap_ = bitmap;
    Changed();
}

void ImgView32::SetBitmap(::tesselka::Bitmap32&& bitmap)
{
    bitmap_ = std::move(bitmap);
    Changed();
}

void ImgView32::Changed()
{
    dirty_ = true;
    UpdateScrollBars();
    viewport()->update();
}

BitmapLayer* ImgView32::AddBitmapLayer()
{
    layers_.push_back(std::make_unique<BitmapLayer>());
    dirty_ = true;
    viewport()->update();
    return layers_.back().get();
}

void ImgView32::ClearLayers()
{
    layers_.clear();
    dirty_ = true;
    viewport()->update();
}

int ImgView32::OffsetHorz() const
{
    return horizontalScrollBar()->value();
}
int ImgView32::OffsetVert() const
{
    return verticalScrollBar()->value();
}

void ImgView32::Scroll(int dx, int dy)
{
    horizontalScrollBar()->setValue(horizontalScrollBar()->value() + dx);
    verticalScrollBar()->setValue(verticalScrollBar()->value() + dy);
    viewport()->update();
}

void ImgView32::UpdateScrollBars()
{
    QSize area = viewport()->size();
    horizontalScrollBar()->setRange(0, std::max(0, bitmap_.Width() - area.width()));
    horizontalScrollBar()->setPageStep(area.width());
    verticalScrollBar()->setRange(0, std::max(0, bitmap_.Height() - area.height()));
    verticalScrollBar()->setPageStep(area.height());
}

void ImgView32::Recompose() const
{
    if (!dirty_)
        return;
    composed_ = bitmap_;
    for (const auto& layer : layers_) {
        const ::tesselka::Bitmap32& src = layer->Bitmap;
        QRect r = layer->Location;
        if (src.Empty() || r.width() <= 0 || r.height() <= 0 || composed_.Empty())
            continue;
        int alpha = std::clamp(layer->MasterAlpha, 0, 255);
        if (layer->Mode == DrawMode::dmBlend && alpha == 0)
            continue;
        int x0 = std::max(r.left(), 0), x1 = std::min(r.left() + r.width(), composed_.Width());
        int y0 = std::max(r.top(), 0), y1 = std::min(r.top() + r.height(), composed_.Height());
        for (int y = y0; y < y1; ++y) {
            int sy = int((int64_t(y - r.top()) * src.Height()) / r.height());
            const TColor32* s = src.Row(sy);
            TColor32* d = composed_.Row(y);
            for (int x = x0; x < x1; ++x) {
                int sx = int((int64_t(x - r.left()) * src.Width()) / r.width());
                TColor32 fg = s[sx];
                if (layer->Mode == DrawMode::dmOpaque || alpha == 255) {
                    d[x] = fg | 0xFF000000u;
                    continue;
                }
                TColor32 bg = d[x];
                auto mix = [alpha](int f, int b) { return (f * alpha + b * (255 - alpha) + 127) / 255; };
                d[x] = Color32(mix(Red32(fg), Red32(bg)), mix(Green32(fg), Green32(bg)), mix(Blue32(fg), Blue32(bg)));
            }
        }
    }
    dirty_ = false;
}

const ::tesselka::Bitmap32& ImgView32::Composed() const
{
    Recompose();
    return composed_;
}

TColor32 ImgView32::ShownColorAt(int clientX, int clientY) const
{
    const ::tesselka::Bitmap32& shown = Composed();
    int px = clientX + OffsetHorz(), py = clientY + OffsetVert();
    if (!shown.Contains(px, py))
        return clWhite32;
    return shown.Pixel(px, py);
}

void ImgView32::paintEvent(QPaintEvent*)
{
    QPainter painter(viewport());
    const ::tesselka::Bitmap32& shown = Composed();
    if (shown.Empty())
        return;
    QImage image(reinterpret_cast<const uchar*>(shown.Bits()), shown.Width(), shown.Height(), shown.Width() * 4,
                 QImage::Format_RGB32);
    painter.drawImage(QPoint(-OffsetHorz(), -OffsetVert()), image);
}

void ImgView32::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
}

void ImgView32::mousePressEvent(QMouseEvent* event)
{
    QPoint p = event->position().toPoint();
    emit mouseDown(event->button(), event->modifiers(), p.x(), p.y());
}

void ImgView32::mouseMoveEvent(QMouseEvent* event)
{
    QPoint p = event->position().toPoint();
    emit mouseMove(event->modifiers(), p.x(), p.y());
}

void ImgView32::mouseReleaseEvent(QMouseEvent* event)
{
    QPoint p = event->position().toPoint();
    emit mouseUp(event->button(), event->modifiers(), p.x(), p.y());
}

void ImgView32::enterEvent(QEnterEvent* event)
{
    QAbstractScrollArea::enterEvent(event);
    emit mouseEnter();
}

void ImgView32::keyPressEvent(QKeyEvent* event)
{
    emit keyDown(event->key(), event->modifiers());
}

void ImgView32::keyReleaseEvent(QKeyEvent* event)
{
    if (!event->isAutoRepeat())
        emit keyUp(event->key(), event->modifiers());
}

} // namespace tesselka

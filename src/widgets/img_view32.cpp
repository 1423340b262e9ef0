#include "widgets/img_view32.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <cstring>

namespace tesselka {

bool LayerVisible(const BitmapLayer& layer)
{
    if (layer.Bitmap.Empty() || layer.Location.width() <= 0 || layer.Location.height() <= 0)
        return false;
    return layer.Mode == DrawMode::dmOpaque || layer.MasterAlpha > 0;
}

void ComposeLayer(const BitmapLayer& layer, Bitmap32& target, const QRect& region)
{
    if (!LayerVisible(layer))
        return;
    const Bitmap32& src = layer.Bitmap;
    const QRect loc = layer.Scaled ? layer.Location : QRect(layer.Location.topLeft(), QSize(src.Width(), src.Height()));
    const QRect area = region & loc & QRect(0, 0, target.Width(), target.Height());
    if (area.isEmpty())
        return;
    const int alpha = layer.Mode == DrawMode::dmOpaque ? 255 : std::clamp(layer.MasterAlpha, 0, 255);
    const int64_t lw = loc.width(), lh = loc.height();
    // Source column of each target column: the source pixel under the target pixel's centre.
    std::vector<int> columns(size_t(area.width()));
    for (int x = area.left(); x <= area.right(); ++x) {
        int64_t dx = x - loc.left();
        columns[size_t(x - area.left())] = layer.Scaled ? int((2 * dx + 1) * src.Width() / (2 * lw)) : int(dx);
    }
    const uint32_t a = uint32_t(alpha), inv = 255 - a;
    const int n = area.width();
    // The stretched source row, rebuilt only when the source row changes: a stretched
    // layer repeats each source row over many target rows, and a contiguous row lets
    // the blend below run vectorised.
    std::vector<TColor32> stretched(static_cast<size_t>(n));
    int stretchedRow = -1;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const int64_t dy = y - loc.top();
        const int sy = layer.Scaled ? int((2 * dy + 1) * src.Height() / (2 * lh)) : int(dy);
        if (sy != stretchedRow) {
            const TColor32* s = src.Row(sy);
            for (int i = 0; i < n; ++i)
                stretched[size_t(i)] = s[columns[size_t(i)]] | 0xFF000000u;
            stretchedRow = sy;
        }
        const TColor32* f = stretched.data();
        TColor32* d = target.Row(y) + area.left();
        if (alpha == 255) {
            std::memcpy(d, f, size_t(n) * sizeof(TColor32));
            continue;
        }
        for (int i = 0; i < n; ++i) {
            const TColor32 fg = f[i], bg = d[i];
            // Red and blue side by side in 16-bit lanes: a lane peaks at 255 * 255 + 127,
            // so nothing carries into its neighbour. For 0 <= v < 65535,
            // (v + 1 + (v >> 8)) >> 8 equals v / 255.
            uint32_t rb = (fg & 0x00FF00FFu) * a + (bg & 0x00FF00FFu) * inv + 0x007F007Fu;
            rb = ((rb + 0x00010001u + ((rb >> 8) & 0x00FF00FFu)) >> 8) & 0x00FF00FFu;
            uint32_t g = ((fg >> 8) & 0xFFu) * a + ((bg >> 8) & 0xFFu) * inv + 127u;
            g = (g + 1 + (g >> 8)) >> 8;
            d[i] = 0xFF000000u | rb | (g << 8);
        }
    }
}

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
    ++revision_;
    fullDirty_ = true;
    UpdateScrollBars();
    viewport()->update();
}

void ImgView32::ChangedRect(const QRect& pictureRect)
{
    if (pictureRect.isEmpty())
        return;
    dirty_ |= pictureRect;
    viewport()->update(pictureRect.translated(-OffsetHorz(), -OffsetVert()));
}

BitmapLayer* ImgView32::AddBitmapLayer()
{
    layers_.push_back(std::make_unique<BitmapLayer>());
    LayersChanged();
    return layers_.back().get();
}

void ImgView32::DeleteLayer(BitmapLayer* layer)
{
    std::erase_if(layers_, [layer](const std::unique_ptr<BitmapLayer>& l) { return l.get() == layer; });
    LayersChanged();
}

void ImgView32::ClearLayers()
{
    layers_.clear();
    LayersChanged();
}

void ImgView32::LayersChanged()
{
    fullDirty_ = true;
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

bool ImgView32::AnyLayerVisible() const
{
    return std::any_of(layers_.begin(), layers_.end(), [](const auto& l) { return LayerVisible(*l); });
}

const ::tesselka::Bitmap32& ImgView32::Composed() const
{
    // Without a visible layer the picture is what is shown; no copy is made, and a later
    // layer starts from a full composition.
    if (!AnyLayerVisible()) {
        fullDirty_ = true;
        dirty_ = QRect();
        return bitmap_;
    }
    QRect region;
    if (fullDirty_ || composed_.Width() != bitmap_.Width() || composed_.Height() != bitmap_.Height()) {
        composed_ = bitmap_;
        region = QRect(0, 0, bitmap_.Width(), bitmap_.Height());
    } else {
        region = dirty_ & QRect(0, 0, bitmap_.Width(), bitmap_.Height());
        for (int y = region.top(); y <= region.bottom() && !region.isEmpty(); ++y)
            std::memcpy(composed_.Row(y) + region.left(), bitmap_.Row(y) + region.left(),
                        size_t(region.width()) * sizeof(TColor32));
    }
    if (!region.isEmpty())
        for (const auto& layer : layers_)
            ComposeLayer(*layer, composed_, region);
    fullDirty_ = false;
    dirty_ = QRect();
    return composed_;
}

TColor32 ImgView32::ShownColorAt(int clientX, int clientY) const
{
    const ::tesselka::Bitmap32& shown = Composed();
    int px = clientX + OffsetHorz(), py = clientY + OffsetVert();
    if (!shown.Contains(px, py))
        return clWhite32;
    return shown.Pixel(px, py) | 0xFF000000u;
}

void ImgView32::SetScreenCursor(int id, const QCursor& cursor)
{
    cursorId_ = id;
    viewport()->setCursor(cursor);
}

void ImgView32::paintEvent(QPaintEvent*)
{
    QPainter painter(viewport());
    const ::tesselka::Bitmap32& shown = Composed();
    if (shown.Empty())
        return;
    // Only the visible part is handed to the painter: the view may be many megapixels.
    const QRect visible = QRect(OffsetHorz(), OffsetVert(), viewport()->width(), viewport()->height()) &
                          QRect(0, 0, shown.Width(), shown.Height());
    if (visible.isEmpty())
        return;
    const uchar* first = reinterpret_cast<const uchar*>(shown.Row(visible.top()) + visible.left());
    QImage image(first, visible.width(), visible.height(), shown.Width() * 4, QImage::Format_RGB32);
    painter.drawImage(QPoint(visible.left() - OffsetHorz(), visible.top() - OffsetVert()), image);
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

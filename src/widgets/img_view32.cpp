#include "widgets/img_view32.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace tesselka {

namespace {

// The zooms the wheel steps through: whole multiples and fractions keep the cells of a
// mosaic equally wide.
constexpr double ZoomLadder[] = {1.0 / 32, 1.0 / 24, 1.0 / 16, 1.0 / 12, 1.0 / 8, 1.0 / 6, 1.0 / 4,
                                 1.0 / 3,  1.0 / 2,  2.0 / 3,  1,        1.5,     2,       3,
                                 4,        6,        8,        12,       16,      24,      32};
// One notch of a common mouse wheel, in eighths of a degree.
constexpr int WheelNotch = 120;

// The picture pixel that view pixel v shows.
int PictureOf(long long v, double zoom)
{
    return int(std::floor(double(v) / zoom));
}

// The first view pixel that shows picture pixel p or one after it.
long long FirstViewOf(long long p, double zoom)
{
    long long v = (long long)std::ceil(double(p) * zoom);
    while (PictureOf(v - 1, zoom) >= p)
        --v;
    while (PictureOf(v, zoom) < p)
        ++v;
    return v;
}

} // namespace

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
    reducedFullDirty_ = true;
    if (fit_)
        zoom_ = FitZoom();
    UpdateScrollBars();
    viewport()->update();
}

void ImgView32::ChangedRect(const QRect& pictureRect)
{
    if (pictureRect.isEmpty())
        return;
    dirty_ |= pictureRect;
    reducedDirty_ |= pictureRect;
    viewport()->update(ViewRect(pictureRect).translated(-OffsetHorz(), -OffsetVert()));
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
    reducedFullDirty_ = true;
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

QSize ImgView32::ViewSize() const
{
    return QSize(int(FirstViewOf(bitmap_.Width(), zoom_)), int(FirstViewOf(bitmap_.Height(), zoom_)));
}

QRect ImgView32::ViewRect(const QRect& pictureRect) const
{
    const long long left = FirstViewOf(pictureRect.left(), zoom_);
    const long long top = FirstViewOf(pictureRect.top(), zoom_);
    const long long right = FirstViewOf(pictureRect.right() + 1LL, zoom_);
    const long long bottom = FirstViewOf(pictureRect.bottom() + 1LL, zoom_);
    return QRect(int(left), int(top), int(right - left), int(bottom - top));
}

QPoint ImgView32::PicturePoint(int clientX, int clientY) const
{
    return QPoint(PictureOf((long long)clientX + OffsetHorz(), zoom_),
                  PictureOf((long long)clientY + OffsetVert(), zoom_));
}

double ImgView32::FitZoom() const
{
    if (bitmap_.Empty())
        return 1;
    // The area without scroll bars: a fitted picture needs none.
    const QSize area = maximumViewportSize();
    double zoom = std::min(double(area.width()) / bitmap_.Width(), double(area.height()) / bitmap_.Height());
    zoom = std::clamp(zoom, MinZoom, MaxZoom);
    // The quotient may land a rounding error above the exact fit, which would show the
    // last picture pixel one view pixel too far and bring back a scroll bar.
    while (zoom > MinZoom &&
           (FirstViewOf(bitmap_.Width(), zoom) > area.width() || FirstViewOf(bitmap_.Height(), zoom) > area.height()))
        zoom = std::nextafter(zoom, 0.0);
    return zoom;
}

void ImgView32::SetZoom(double zoom, QPoint anchor)
{
    ApplyZoom(zoom, anchor, false);
}

void ImgView32::ZoomStep(int steps, QPoint anchor)
{
    double zoom = zoom_;
    for (; steps > 0; --steps) {
        const double* next = std::upper_bound(std::begin(ZoomLadder), std::end(ZoomLadder), zoom * (1 + 1e-9));
        zoom = next == std::end(ZoomLadder) ? MaxZoom : *next;
    }
    for (; steps < 0; ++steps) {
        const double* next = std::lower_bound(std::begin(ZoomLadder), std::end(ZoomLadder), zoom * (1 - 1e-9));
        zoom = next == std::begin(ZoomLadder) ? MinZoom : *(next - 1);
    }
    ApplyZoom(zoom, anchor, false);
}

void ImgView32::FitToWindow()
{
    ApplyZoom(FitZoom(), QPoint(), true);
}

void ImgView32::ApplyZoom(double zoom, QPoint anchor, bool fit)
{
    zoom = std::clamp(zoom, MinZoom, MaxZoom);
    const bool changed = zoom != zoom_ || fit != fit_;
    // The picture point under the anchor, in fractions of a picture pixel.
    const double x = (anchor.x() + OffsetHorz()) / zoom_;
    const double y = (anchor.y() + OffsetVert()) / zoom_;
    zoom_ = zoom;
    fit_ = fit;
    reducedFullDirty_ = true;
    UpdateScrollBars();
    horizontalScrollBar()->setValue(int(std::lround(x * zoom_ - anchor.x())));
    verticalScrollBar()->setValue(int(std::lround(y * zoom_ - anchor.y())));
    viewport()->update();
    if (changed)
        emit zoomChanged();
}

void ImgView32::UpdateScrollBars()
{
    const QSize size = ViewSize();
    // A picture that fits without scroll bars gets none, though they show right now.
    const QSize whole = maximumViewportSize();
    const QSize area = size.width() <= whole.width() && size.height() <= whole.height() ? whole : viewport()->size();
    horizontalScrollBar()->setRange(0, std::max(0, size.width() - area.width()));
    horizontalScrollBar()->setPageStep(area.width());
    verticalScrollBar()->setRange(0, std::max(0, size.height() - area.height()));
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

const ::tesselka::Bitmap32& ImgView32::Reduced() const
{
    const ::tesselka::Bitmap32& shown = Composed();
    const QSize size = ViewSize();
    QRect region; // view pixels to recompute
    if (reducedFullDirty_ || reducedZoom_ != zoom_ || reduced_.Width() != size.width() ||
        reduced_.Height() != size.height()) {
        reduced_ = ::tesselka::Bitmap32(size.width(), size.height());
        region = QRect(QPoint(0, 0), size);
    } else {
        region = ViewRect(reducedDirty_) & QRect(QPoint(0, 0), size);
    }
    reducedZoom_ = zoom_;
    reducedFullDirty_ = false;
    reducedDirty_ = QRect();
    if (region.isEmpty())
        return reduced_;
    // Each view pixel covers picture columns [PictureOf(v), PictureOf(v + 1)): at least
    // one, as the zoom is below 1. Sums per view column over the picture rows of one view row.
    const int firstColumn = PictureOf(region.left(), zoom_);
    const int endColumn = std::min(shown.Width(), PictureOf(region.right() + 1LL, zoom_));
    std::vector<int> viewColumn(size_t(endColumn - firstColumn));
    for (int v = region.left(); v <= region.right(); ++v)
        for (int x = std::max(firstColumn, PictureOf(v, zoom_)); x < std::min(endColumn, PictureOf(v + 1LL, zoom_));
             ++x)
            viewColumn[size_t(x - firstColumn)] = v - region.left();
    std::vector<uint64_t> sums(size_t(region.width()) * 4);
    for (int v = region.top(); v <= region.bottom(); ++v) {
        std::fill(sums.begin(), sums.end(), 0);
        const int y0 = PictureOf(v, zoom_), y1 = std::min(shown.Height(), PictureOf(v + 1LL, zoom_));
        for (int y = y0; y < y1; ++y) {
            const TColor32* row = shown.Row(y);
            for (int x = firstColumn; x < endColumn; ++x) {
                const TColor32 c = row[x];
                uint64_t* s = &sums[size_t(viewColumn[size_t(x - firstColumn)]) * 4];
                s[0] += (c >> 16) & 0xFF;
                s[1] += (c >> 8) & 0xFF;
                s[2] += c & 0xFF;
                ++s[3];
            }
        }
        TColor32* out = reduced_.Row(v) + region.left();
        for (int i = 0; i < region.width(); ++i) {
            const uint64_t* s = &sums[size_t(i) * 4];
            const uint64_t n = std::max<uint64_t>(s[3], 1), half = n / 2;
            out[i] = 0xFF000000u | TColor32((s[0] + half) / n) << 16 | TColor32((s[1] + half) / n) << 8 |
                     TColor32((s[2] + half) / n);
        }
    }
    return reduced_;
}

TColor32 ImgView32::ShownColorAt(int clientX, int clientY) const
{
    const ::tesselka::Bitmap32& shown = Composed();
    const QPoint p = PicturePoint(clientX, clientY);
    if (!shown.Contains(p.x(), p.y()))
        return clWhite32;
    return shown.Pixel(p.x(), p.y()) | 0xFF000000u;
}

void ImgView32::SetScreenCursor(int id, const QCursor& cursor)
{
    cursorId_ = id;
    viewport()->setCursor(cursor);
}

void ImgView32::paintEvent(QPaintEvent*)
{
    QPainter painter(viewport());
    if (bitmap_.Empty())
        return;
    // Only the visible part is handed to the painter: the view may be many megapixels.
    const QRect visible =
        QRect(OffsetHorz(), OffsetVert(), viewport()->width(), viewport()->height()) & QRect(QPoint(0, 0), ViewSize());
    if (visible.isEmpty())
        return;
    const QPoint at(visible.left() - OffsetHorz(), visible.top() - OffsetVert());
    if (zoom_ <= 1) {
        const ::tesselka::Bitmap32& shown = zoom_ == 1 ? Composed() : Reduced();
        const uchar* first = reinterpret_cast<const uchar*>(shown.Row(visible.top()) + visible.left());
        painter.drawImage(at,
                          QImage(first, visible.width(), visible.height(), shown.Width() * 4, QImage::Format_RGB32));
        return;
    }
    // Enlarged by the view's own rule rather than the painter's, so that what is shown
    // under a point is exactly the pixel that PicturePoint names.
    const ::tesselka::Bitmap32& shown = Composed();
    QImage image(visible.size(), QImage::Format_RGB32);
    std::vector<int> columns(size_t(visible.width()));
    for (int i = 0; i < visible.width(); ++i)
        columns[size_t(i)] = PictureOf(visible.left() + (long long)i, zoom_);
    int lastRow = -1;
    for (int j = 0; j < visible.height(); ++j) {
        auto* out = reinterpret_cast<TColor32*>(image.scanLine(j));
        const int y = PictureOf(visible.top() + (long long)j, zoom_);
        if (y == lastRow) {
            std::memcpy(out, image.scanLine(j - 1), size_t(visible.width()) * sizeof(TColor32));
            continue;
        }
        const TColor32* row = shown.Row(y);
        for (int i = 0; i < visible.width(); ++i)
            out[i] = row[columns[size_t(i)]];
        lastRow = y;
    }
    painter.drawImage(at, image);
}

void ImgView32::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    if (fit_) {
        zoom_ = FitZoom();
        reducedFullDirty_ = true;
    }
    UpdateScrollBars();
}

void ImgView32::wheelEvent(QWheelEvent* event)
{
    if (!(event->modifiers() & Qt::ControlModifier)) {
        QAbstractScrollArea::wheelEvent(event);
        return;
    }
    wheelRest_ += event->angleDelta().y();
    const int steps = wheelRest_ / WheelNotch;
    wheelRest_ -= steps * WheelNotch;
    if (steps != 0)
        ZoomStep(steps, event->position().toPoint());
    event->accept();
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

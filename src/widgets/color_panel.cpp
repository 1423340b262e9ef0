#include "widgets/color_panel.h"

#include <QMouseEvent>

namespace tesselka {

ColorPanel::ColorPanel(QWidget* parent) : QFrame(parent)
{
    setAutoFillBackground(true);
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Raised);
}

void ColorPanel::SetColor(TColor color)
{
    color_ = color;
    QPalette pal = palette();
    QColor qc(RedOf(color), GreenOf(color), BlueOf(color));
    pal.setColor(QPalette::Window, qc);
    pal.setColor(QPalette::Button, qc);
    setPalette(pal);
}

void ColorPanel::mousePressEvent(QMouseEvent* event)
{
    QFrame::mousePressEvent(event);
    if (event->button() == Qt::LeftButton)
        emit clicked();
}

} // namespace tesselka

#pragma once

#include "common/tcolor.h"

#include <QFrame>

namespace tesselka {

// A coloured frame with a tooltip: a palette panel, the pen-colour indicator or the
// tone box. `Tag` carries the panel's LDraw colour code (600 for panels that are never
// recoloured). A press on the frame itself (not on a child such as its check box) is a
// click.
class ColorPanel : public QFrame
{
    Q_OBJECT
public:
    explicit ColorPanel(QWidget* parent = nullptr);

    int Tag = 0;
    TColor Color() const { return color_; }
    void SetColor(TColor color);

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    TColor color_ = 0;
};

} // namespace tesselka

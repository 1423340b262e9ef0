#pragma once

#include <QDialog>

namespace tesselka {

// "Make Ldraw": the part sizes an LDraw export may use.
class TForm3 : public QDialog
{
    Q_OBJECT
public:
    explicit TForm3(QWidget* parent = nullptr);
};

} // namespace tesselka

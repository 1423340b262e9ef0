#pragma once

#include <QDialog>

namespace tesselka {

// "Make Map": panel size and the options of the build map.
class TForm2 : public QDialog
{
    Q_OBJECT
public:
    explicit TForm2(QWidget* parent = nullptr);
};

} // namespace tesselka

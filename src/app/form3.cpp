#include "app/form3.h"

namespace tesselka {

TForm3::TForm3(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("Make Ldraw"));
}

} // namespace tesselka

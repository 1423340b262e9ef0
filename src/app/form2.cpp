#include "app/form2.h"

namespace tesselka {

TForm2::TForm2(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Make Map"));
}

} // namespace tesselka

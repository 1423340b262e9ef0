// Make LDraw and Load LDraw File.
#include "app/form1.h"

namespace tesselka {

void TForm1::BitBtn8Click() {}
void TForm1::Button1Click() {}

} // namespace tesselka

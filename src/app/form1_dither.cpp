// Dither Image.
#include "app/form1.h"

namespace tesselka {

void TForm1::BitBtn2Click() {}

} // namespace tesselka

// Commands whose work comes with the build map and the settings files.
#include "app/form1.h"

namespace tesselka {

void TForm1::Button4Click() {}
void TForm1::Button5Click() {}

} // namespace tesselka

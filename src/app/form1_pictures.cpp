// Pictures in and out, tone adjustments and grid scaling.
#include "app/form1.h"

namespace tesselka {

void TForm1::BitBtn1Click() {}
void TForm1::BitBtn7Click() {}
void TForm1::Button11Click() {}
void TForm1::Button2Click() {}
void TForm1::BrightnessChange() {}
void TForm1::ContrastChange() {}
void TForm1::SaturationChange() {}
void TForm1::DarknessChange() {}
void TForm1::LightnessChange() {}
void TForm1::SplitlightChange() {}
void TForm1::Button6Click() {}
void TForm1::Button7Click() {}
void TForm1::Button8Click() {}
void TForm1::Button9Click() {}
void TForm1::Button10Click() {}
void TForm1::AdjustTone() {}
void TForm1::ScaleToGrid(const Bitmap32&, Bitmap32&, bool) {}

} // namespace tesselka

// The mosaic view: Make Mosaic, grids, scale, overlay, hand editing, undo, 16 x 16 export.
#include "app/form1.h"

namespace tesselka {

void TForm1::MakeMosaic() {}
void TForm1::RenderMosaic(bool) {}
void TForm1::CheckBox42Click() {}
void TForm1::LayerOpacityChange() {}
void TForm1::image1MouseEnter() {}
void TForm1::image1MouseDown(Qt::MouseButton, Qt::KeyboardModifiers, int, int) {}
void TForm1::image1MouseMove(Qt::KeyboardModifiers, int, int) {}
void TForm1::image1MouseUp(Qt::MouseButton, Qt::KeyboardModifiers, int, int) {}
void TForm1::image1KeyDown(int, Qt::KeyboardModifiers) {}
void TForm1::image1KeyUp(int, Qt::KeyboardModifiers) {}
void TForm1::Button3Click() {}
void TForm1::Button12Click() {}

} // namespace tesselka

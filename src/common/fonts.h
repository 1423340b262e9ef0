#pragma once

#include <QFont>
#include <QString>

namespace tesselka {

// Point size as pixels at 96 pixels per inch, the screen the program's sizes were
// designed for: 8 pt is 11 px.
int PointsToPixels(int points);

// The installed face that stands for a face the program asks for. "MS Sans Serif",
// "Arial" and the misspelt "Ariel" all become Liberation Sans (metric-compatible with
// Arial), which the set-up script installs; text is drawn without anti-aliasing so that
// the pixels are the same on every machine.
QFont MapFont(const QString& face, int points, bool bold = false);

} // namespace tesselka

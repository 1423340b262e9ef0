#pragma once

#include "map/map_files.h"

#include <QString>

namespace tesselka {

class PrintDocument;

// The footer separator: a blank, a bullet and a blank.
inline const QString FooterSeparator = QStringLiteral(" \u2022 ");

// Composes the printed build map into `document`: one page per panel with its sheet,
// its totals and a footer naming the panel, then a final page with the whole mosaic at
// 8 x 8 device pixels per cell, its title, style, panel size and size, and the overall
// totals. Leaves the job's state as a save does. Throws tesselka::Error for a map with
// too many panels, before anything is composed.
void ComposeMapDocument(MapJob& job, PrintDocument& document);

} // namespace tesselka

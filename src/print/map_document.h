#pragma once

#include "common/step_progress.h"
#include "map/map_files.h"

#include <QPageSize>
#include <QString>

#include <string>

class QPagedPaintDevice;

namespace tesselka {

class PrintDocument;

// The footer separator: a blank, a bullet and a blank.
inline const QString FooterSeparator = QStringLiteral(" \u2022 ");

// Composes the printed build map into `document`: one page per panel with its sheet,
// its totals and a footer naming the panel, then a final page with the whole mosaic at
// 8 x 8 device pixels per cell, its title, style, panel size and size, and the overall
// totals. Leaves the job's state as a save does. Throws tesselka::Error for a map with
// too many panels, before anything is composed. `progress` hears of each panel; returns
// false when it cancels, the document and the job's state then half made.
bool ComposeMapDocument(MapJob& job, PrintDocument& document, const StepProgress& progress = {});

// The map's geometry; throws tesselka::Error when the map has too many panels to print.
MapGeometry CheckMapPrintable(const MapJob& job);

// Composes the map for the printable area of `device`'s current page and draws it there.
// Printing calls it again whenever the user picks another printer or page size, so the
// pages always fit the paper they go on.
// Returns false, with nothing drawn, when `progress` cancels the composing.
bool PrintMap(MapJob& job, QPagedPaintDevice& device, const StepProgress& progress = {});

// The printed map as a PDF on `paper` (portrait, MapPageLayout): the pages printing
// gives. Throws tesselka::Error (too many panels) or tesselka::IoError.
void WriteMapPdf(MapJob& job, const std::string& path, QPageSize::PageSizeId paper);

} // namespace tesselka

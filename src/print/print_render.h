#pragma once

#include <QPageLayout>
#include <QPageSize>

#include <functional>
#include <string>

class QPagedPaintDevice;

namespace tesselka {

class PrintDocument;

// Pages are composed at 96 device pixels per inch whatever the device's own resolution:
// one sheet pixel is one such pixel, so a 48 x 48 panel sheet spans the width of a Letter
// or A4 page instead of an inch or so on a 600 dpi printer. The device draws the inches
// at its own resolution, so text stays sharp.
inline constexpr double PrintDpi = 96;

// An empty document for the printable area of `layout`, at PrintDpi.
PrintDocument DocumentForPage(const QPageLayout& layout);

// Portrait `size` with margins of 0.15 inches: narrow enough that a 48 x 48 panel sheet
// (752 pixels, 7.83 inches) fits A4's printable width at one pixel per device pixel.
// Printers raise the margins to what they can reach.
QPageLayout MapPageLayout(QPageSize::PageSizeId size);

// Draws every page of `document` on `device` (a printer, a preview or a PDF writer),
// inches turned into the device's own pixels. Positions count from the top-left corner
// of the printable area.
void RenderDocument(const PrintDocument& document, QPagedPaintDevice& device);

// Writes a PDF of `layout`'s page size: `render` draws the pages on the writer it is
// handed. The file is written through a temporary name, so a failure leaves no
// half-written PDF under `path`. Throws tesselka::IoError.
void WritePdf(const std::string& path, const QPageLayout& layout,
              const std::function<void(QPagedPaintDevice&)>& render);

} // namespace tesselka

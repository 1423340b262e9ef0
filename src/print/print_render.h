#pragma once

class QPrinter;

namespace tesselka {

class PrintDocument;

// Draws every page of `document` on `printer` (a real printer, a PDF file or a preview),
// inches turned into the printer's own pixels. Positions count from the top-left corner
// of the printable area.
void RenderDocument(const PrintDocument& document, QPrinter& printer);

} // namespace tesselka

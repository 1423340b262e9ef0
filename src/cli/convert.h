#pragma once

#include "cli/cli_options.h"

#include <QStringList>

#include <functional>

namespace tesselka::cli {

// Where progress lines and notices go (standard error in the program).
using MessageSink = std::function<void(const QString&)>;

// Runs Load Image -> tone -> Dither Image (-> the renderings and exports) with the
// window's own core operations and writes what the options ask for. Returns the files
// written. Throws tesselka::Error (exit status 1) naming the file and the fault.
QStringList RunConvert(const ConvertOptions& options, const MessageSink& progress);

} // namespace tesselka::cli

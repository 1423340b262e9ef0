#pragma once

#include "cli/cli_options.h"

#include <QStringList>

#include <functional>

namespace tesselka::cli {

// Where progress lines and notices go (standard error in the program).
using MessageSink = std::function<void(const QString&)>;

// How RunConvert reads a picture: a few rows at a time where its format allows (JPEG, PNG
// that is not interlaced), so that even the largest picture takes a few megabytes, or
// whole as the window reads it. Both give the same files.
enum class PictureReading { Rows, Whole };

// Runs Load Image -> tone -> Dither Image (-> the renderings and exports) for
// options.picture with the workflow the window runs and writes what the options ask
// for. Returns the files written. Throws tesselka::Error (exit status 1) naming the file
// and the fault.
QStringList RunConvert(const ConvertOptions& options, const MessageSink& progress,
                       PictureReading reading = PictureReading::Rows);

// Reads the model options.picture as Load LDraw File does and writes the outputs of its
// grid: the stud picture, the mosaic view, the 16 x 16 picture, the map and the models
// packed again with options.parts. Throws tesselka::Error as RunConvert does; a file
// this program did not write gives the window's message.
QStringList RunLoadLdraw(const ConvertOptions& options, const MessageSink& progress);

// Runs the command of `options` for every input, options.jobs at a time (one per core
// when 0). Each input's files go to `written` as it ends and its failure to `failed`
// (one line naming the file and the fault); the others go on. Returns the number of
// inputs that failed. The sinks are never called from two threads at once.
int RunAll(const ConvertOptions& options, const MessageSink& progress, const MessageSink& written,
           const MessageSink& failed);

} // namespace tesselka::cli

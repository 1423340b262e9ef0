#pragma once

// Reading back a model file that this program wrote: the header's size and style lines
// and, of each part line, its colour code, its height and its part number, placed one
// after the other along each row. Models from elsewhere are refused.

#include "colours/color_table.h"
#include "common/bitmap32.h"

#include <functional>
#include <istream>
#include <optional>
#include <string>

namespace tesselka {

// What a load changes, as it changes it: a failing line leaves what the lines before it
// did (sizes, texts, rows drawn so far).
struct ModelReadTarget
{
    Bitmap32& studImage;                                  // resized by the Width and Height lines, keeping its pixels
    Bitmap32& sourcePicture;                              // resized by the OWidth and OHeight lines
    TColor& drawColor;                                    // the colour of the last part whose code a slot holds
    std::function<void(const std::string&)> setWidthText; // the width box
    std::function<void(const std::string&)> setStyleText; // the style box
};

enum class ModelReadResult { Read, NotOurs };

// Reads the model in `in`. A first line without the program's name gives NotOurs and
// changes nothing. Throws tesselka::Error with the conversion message for a number that
// is not one, and a size message for a size no picture may have. `progress`, when given,
// is called every few thousand lines.
ModelReadResult ReadModel(std::istream& in, const ColorTable& colorSlots, ModelReadTarget& target,
                          const std::function<void()>& progress = {});

// Stud cells a part of this number fills along its row; `styleWidth` (1 for the "1x"
// styles, 2 for the "2x" ones) decides for 3023 and 3004, which stand for two cells
// along the row in the one and one cell across or on end in the other.
int ModelPartCells(int partNumber, int styleWidth);

// The message shown for a file that this program did not write.
inline constexpr const char* NotOurModelText = "I can not load this .dat file.  It was not made with Tesselka!";

} // namespace tesselka

#pragma once

// Reads a written model back and checks that it could be built: every part is a real
// part at a real position, no two parts share space, and together they fill every stud
// cell of the wall, in the depth the style gives it, exactly once.

#include "colours/color_table.h"
#include "common/bitmap32.h"

#include <string>

namespace tesselka::test {

struct ModelCheck
{
    std::string problem; // empty when the model is sound
    int parts = 0;
    bool Sound() const { return problem.empty(); }
};

// `fallbackCode` is the code a part gets when its colour is on no panel; parts that fill
// only the back half of a two-deep wall are not held to the picture's colours.
ModelCheck CheckModel(const std::string& fileText, const std::string& style, const Bitmap32& studImage,
                      const ColorTable& table, int fallbackCode);

} // namespace tesselka::test

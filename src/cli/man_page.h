#pragma once

#include <QString>

namespace tesselka::cli {

// The manual page of tesselka-cli (roff, section 1), built from the same option table as
// --help, so the two never disagree.
QString ManPage();

} // namespace tesselka::cli

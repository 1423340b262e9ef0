#pragma once

#include <functional>

namespace tesselka {

// Called with the work done and the whole; returning false cancels the step.
using StepProgress = std::function<bool(int done, int total)>;

} // namespace tesselka

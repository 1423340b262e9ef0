#pragma once

#include <cstddef>

namespace tesselka {

// Memory for a picture-sized buffer, released with std::free. From 2 MiB on it is
// aligned to huge pages and asked to be backed by them: the first touch of a 4 KiB page
// is what makes a fresh full-size picture expensive. Throws std::bad_alloc.
void* AllocateLarge(size_t bytes);

} // namespace tesselka

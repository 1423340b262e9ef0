#include "common/large_buffer.h"

#include <algorithm>
#include <cstdlib>
#include <new>

#include <sys/mman.h>

namespace tesselka {

void* AllocateLarge(size_t bytes)
{
    constexpr size_t HugePage = size_t(2) << 20;
    if (bytes >= HugePage) {
        const size_t rounded = (bytes + HugePage - 1) / HugePage * HugePage;
        void* p = std::aligned_alloc(HugePage, rounded);
        if (!p)
            throw std::bad_alloc();
        madvise(p, rounded, MADV_HUGEPAGE); // a hint; nothing to do when it is refused
        return p;
    }
    void* p = std::malloc(std::max<size_t>(bytes, 16));
    if (!p)
        throw std::bad_alloc();
    return p;
}

} // namespace tesselka

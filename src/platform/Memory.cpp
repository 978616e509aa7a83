#include "Memory.h"

#include <algorithm>
#include <sys/mman.h>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

void ReturnFreeMemory() noexcept {
#if defined(__GLIBC__)
    ::malloc_trim(0);
#endif
}

void* AllocateLarge(std::size_t bytes) {
    constexpr std::size_t HugePage = std::size_t(2) << 20;
    if (bytes < HugePage) { // a huge page would be mostly waste, and cleared in full
        if (void* memory = std::malloc(std::max<std::size_t>(bytes, 1)))
            return memory;
        throw std::bad_alloc();
    }
    const std::size_t rounded =
        (std::max<std::size_t>(bytes, 1) + HugePage - 1) / HugePage * HugePage;
    void* memory = std::aligned_alloc(HugePage, rounded);
    if (!memory)
        throw std::bad_alloc();
    ::madvise(memory, rounded, MADV_HUGEPAGE);
    return memory;
}

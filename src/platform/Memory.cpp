#include "Memory.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

void ReturnFreeMemory() noexcept {
#if defined(__GLIBC__)
    ::malloc_trim(0);
#endif
}

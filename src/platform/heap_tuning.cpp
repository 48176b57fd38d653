#include "platform/heap_tuning.h"

#include <cstdlib> // defines __GLIBC__ where the C library is glibc; the check below needs it

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace quillo {

void KeepLargeBuffersOutOfTheHeap() {
#if defined(__GLIBC__)
    // Setting the threshold at all also ends its adjustment by glibc.
    constexpr int kLargeBufferBytes = 256 * 1024;
    mallopt(M_MMAP_THRESHOLD, kLargeBufferBytes);
#endif
}

void GiveBackFreeHeapPages() {
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}

} // namespace quillo

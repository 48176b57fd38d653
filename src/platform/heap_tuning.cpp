#include "platform/heap_tuning.h"

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

} // namespace quillo

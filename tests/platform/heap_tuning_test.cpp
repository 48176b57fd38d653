// The C library's heap as the programs tune it: large buffers get pages of their own, and the
// free pages inside the heap go back to the system when asked. Only glibc's own allocator shows
// either; under a sanitizer, whose allocator stands in for it, there is nothing to look at.
#include <QFile>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <vector>

#include "platform/heap_tuning.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define QUILLO_OWN_ALLOCATOR 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define QUILLO_OWN_ALLOCATOR 1
#endif
#endif

namespace quillo {
namespace {

#if defined(__GLIBC__) && !defined(QUILLO_OWN_ALLOCATOR)

// VmRSS in KiB, or -1.
long residentKib() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

// Where every block is shown once, so that the compiler cannot leave out a block it sees
// written and freed unread.
void* volatile seen = nullptr;

void* touched(std::size_t size) {
    void* block = std::malloc(size);
    std::memset(block, 1, size);
    seen = block;
    return block;
}

TEST(HeapTuning, ALargeBufferHasPagesOfItsOwnAfterALargerOneWasFreed) {
    KeepLargeBuffersOutOfTheHeap();
    // Left to itself, glibc raises its threshold to the size of a mapped buffer freed, and the
    // next buffers below that size come from the heap, which keeps their pages when they go.
    std::free(touched(8u << 20));
    const std::size_t mappedBefore = mallinfo2().hblkhd;
    void* buffer = touched(1u << 20);
    EXPECT_GE(mallinfo2().hblkhd, mappedBefore + (1u << 20));
    std::free(buffer);
}

TEST(HeapTuning, FreePagesBetweenLiveBlocksGoBackWhenAsked) {
    // 16 MiB of small blocks, one kept in every 64: nearly all of it free, none at the top of
    // the heap, where glibc would give it back by itself.
    constexpr std::size_t kBlocks = 16384;
    std::vector<void*> blocks(kBlocks);
    for (void*& block : blocks)
        block = touched(1000);
    std::vector<void*> kept;
    for (std::size_t i = 0; i < kBlocks; ++i) {
        if (i % 64 == 0)
            kept.push_back(blocks[i]);
        else
            std::free(blocks[i]);
    }
    const long before = residentKib();
    GiveBackFreeHeapPages();
    const long after = residentKib();
    ASSERT_GT(before, 0);
    EXPECT_GT(before - after, 8 * 1024) << before << " KiB before, " << after << " after";
    for (void* block : kept)
        std::free(block);
}

#else

TEST(HeapTuning, ALargeBufferHasPagesOfItsOwnAfterALargerOneWasFreed) {
    GTEST_SKIP() << "not glibc's allocator";
}

#endif

} // namespace
} // namespace quillo

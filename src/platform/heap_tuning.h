#pragma once
// How the C library's heap treats the program's large buffers.
//
// Thread: call once at the start of main, before any worker runs.

namespace quillo {

// Large buffers (a page or history answer of the service, often megabytes as text) get pages
// of their own that go back to the system when freed. By default glibc raises that threshold
// after the first such buffer is freed, so later ones come from the heap, and the heap keeps
// their pages: a program that signs in again and again would keep the largest answers' worth
// of memory for good. Elsewhere nothing changes.
void KeepLargeBuffersOutOfTheHeap();

} // namespace quillo

#pragma once
// How the C library's heap treats the program's large buffers.
//
// Thread: KeepLargeBuffersOutOfTheHeap once at the start of main, before any worker runs;
// GiveBackFreeHeapPages from any thread.

namespace quillo {

// Large buffers (a page or history answer of the service, often megabytes as text) get pages
// of their own that go back to the system when freed. By default glibc raises that threshold
// after the first such buffer is freed, so later ones come from the heap, and the heap keeps
// their pages: a program that signs in again and again would keep the largest answers' worth
// of memory for good. Elsewhere nothing changes.
void KeepLargeBuffersOutOfTheHeap();

// Gives the system back the whole pages inside the heap's free memory. glibc returns memory on
// its own only from the very top of a heap, so a large load of short-lived strings with
// long-lived ones among them (a friend list of thousands, read, parsed and built into a tree)
// leaves megabytes free but still the program's. Takes milliseconds for a heap of megabytes
// and holds each heap's lock meanwhile: call it off the GUI thread. Elsewhere it does nothing.
void GiveBackFreeHeapPages();

} // namespace quillo

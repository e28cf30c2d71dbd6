#include "runtime/report/thread_cost.h"

#include <time.h>

#include <cstdlib>
#include <new>

// AddressSanitizer brings allocation functions of its own.
#if defined(__SANITIZE_ADDRESS__)
#define AFTERGLOW_COUNTS_NEW 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define AFTERGLOW_COUNTS_NEW 0
#endif
#endif
#ifndef AFTERGLOW_COUNTS_NEW
#define AFTERGLOW_COUNTS_NEW 1
#endif

namespace {

// Trivial thread-locals of the program itself: no initialiser runs, and the
// test costs a load from a fixed offset.
thread_local bool counting = false;
thread_local long long allocations = 0;

}  // namespace

double threadCpuMs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1000.0 + now.tv_nsec / 1e6;
}

bool heapAllocationsCounted() { return AFTERGLOW_COUNTS_NEW; }

void countHeapAllocations(bool on) { counting = on; }

long long heapAllocations() { return allocations; }

// The standard library's array and non-throwing forms call these two, and
// its operator delete frees with free(), so replacing them is enough.
#if AFTERGLOW_COUNTS_NEW

void* operator new(std::size_t size) {
    if (counting) ++allocations;
    if (size == 0) size = 1;
    for (;;) {
        if (void* p = std::malloc(size)) return p;
        const std::new_handler handler = std::get_new_handler();
        if (!handler) throw std::bad_alloc();
        handler();
    }
}

void* operator new(std::size_t size, std::align_val_t alignment) {
    if (counting) ++allocations;
    std::size_t align = static_cast<std::size_t>(alignment);
    if (align < sizeof(void*)) align = sizeof(void*);
    // aligned_alloc wants a whole number of alignments.
    size = (size + align - 1) & ~(align - 1);
    if (size == 0) size = align;
    for (;;) {
        if (void* p = std::aligned_alloc(align, size)) return p;
        const std::new_handler handler = std::get_new_handler();
        if (!handler) throw std::bad_alloc();
        handler();
    }
}

#endif

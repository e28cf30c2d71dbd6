#include "assets/byte_buffer.h"

#include <sys/mman.h>

#include <new>

namespace {

constexpr size_t kHugePage = size_t{2} << 20;
bool hugePages = true;

}  // namespace

void* allocateBufferBytes(size_t bytes) {
    if (bytes < kHugePage) return ::operator new(bytes);
    void* p = ::operator new(bytes, std::align_val_t{kHugePage});
    // Only advice: where the kernel keeps small pages, nothing changes.
    if (hugePages) madvise(p, bytes, MADV_HUGEPAGE);
    return p;
}

void setBufferHugePages(bool on) { hugePages = on; }

void freeBufferBytes(void* p, size_t bytes) {
    if (bytes < kHugePage)
        ::operator delete(p);
    else
        ::operator delete(p, std::align_val_t{kHugePage});
}

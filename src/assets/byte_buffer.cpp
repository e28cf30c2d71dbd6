#include "assets/byte_buffer.h"

#include <sys/mman.h>

#include <new>

namespace {

bool hugePages = true;

}  // namespace

void* allocateBufferBytes(size_t bytes) {
    if (bytes < kHugePageBytes) return ::operator new(bytes);
    void* p = ::operator new(bytes, std::align_val_t{kHugePageBytes});
    // Only advice: where the kernel keeps small pages, nothing changes.
    if (hugePages) madvise(p, bytes, MADV_HUGEPAGE);
    return p;
}

void setBufferHugePages(bool on) { hugePages = on; }

void freeBufferBytes(void* p, size_t bytes) {
    if (bytes < kHugePageBytes)
        ::operator delete(p);
    else
        ::operator delete(p, std::align_val_t{kHugePageBytes});
}

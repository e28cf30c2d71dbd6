// Byte buffers for file contents and decoded pixels, which a read or a
// decoder overwrites right away: they are not zero-filled when they grow,
// and large ones ask the kernel for huge pages, so a fresh picture costs a
// handful of page faults instead of one per 4 KiB (most of a first decode's
// time otherwise).
//
//   ByteBuffer pixels;
//   pixels.resize(width * height * 4);   // no memset; every byte is written next
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

// The transparent huge page of x86-64 and most others.
constexpr size_t kHugePageBytes = size_t{2} << 20;

// Storage for the allocator below; large blocks are aligned for huge pages.
void* allocateBufferBytes(size_t bytes);
void freeBufferBytes(void* p, size_t bytes);
// On by default; off keeps ordinary pages (the user's choice, see
// runtime/huge_pages.h). Set before the first large buffer.
void setBufferHugePages(bool on);

template <class T>
struct DefaultInitAllocator {
    using value_type = T;
    DefaultInitAllocator() = default;
    template <class U>
    DefaultInitAllocator(const DefaultInitAllocator<U>&) noexcept {}
    T* allocate(size_t n) { return static_cast<T*>(allocateBufferBytes(n * sizeof(T))); }
    void deallocate(T* p, size_t n) noexcept { freeBufferBytes(p, n * sizeof(T)); }
    // resize() and the like construct without arguments: leave the value.
    template <class U>
    void construct(U* p) noexcept {
        ::new (static_cast<void*>(p)) U;
    }
    template <class U, class... Args>
    void construct(U* p, Args&&... args) {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
    template <class U>
    bool operator==(const DefaultInitAllocator<U>&) const noexcept {
        return true;
    }
};

using ByteBuffer = std::vector<uint8_t, DefaultInitAllocator<uint8_t>>;
// The same for decoded samples.
using FloatBuffer = std::vector<float, DefaultInitAllocator<float>>;

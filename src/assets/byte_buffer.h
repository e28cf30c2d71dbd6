// Byte buffers that are not zero-filled when they grow: for file contents
// and decoded pixels, which a read or a decoder overwrites right away.
//
//   ByteBuffer pixels;
//   pixels.resize(width * height * 4);   // no memset; every byte is written next
#pragma once

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

template <class T>
struct DefaultInitAllocator : std::allocator<T> {
    template <class U>
    struct rebind {
        using other = DefaultInitAllocator<U>;
    };
    DefaultInitAllocator() = default;
    template <class U>
    DefaultInitAllocator(const DefaultInitAllocator<U>&) noexcept {}
    // resize() and the like construct without arguments: leave the value.
    template <class U>
    void construct(U* p) noexcept {
        ::new (static_cast<void*>(p)) U;
    }
    template <class U, class... Args>
    void construct(U* p, Args&&... args) {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
};

using ByteBuffer = std::vector<uint8_t, DefaultInitAllocator<uint8_t>>;

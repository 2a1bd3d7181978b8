#pragma once
// Byte buffers shared by the decryption code. Key material and passwords live in
// SecretBytes, which wipes its memory whenever it is freed or grows, so a derived key
// never lingers in released heap memory.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "common/text/LittleEndian.h"

namespace velmora::access::crypto {

void wipeMemory(void* data, std::size_t size);

template <class T>
struct WipingAllocator {
    using value_type = T;
    WipingAllocator() = default;
    template <class U>
    WipingAllocator(const WipingAllocator<U>&) {}
    T* allocate(std::size_t n) { return std::allocator<T>().allocate(n); }
    void deallocate(T* p, std::size_t n) {
        wipeMemory(p, n * sizeof(T));
        std::allocator<T>().deallocate(p, n);
    }
    friend bool operator==(const WipingAllocator&, const WipingAllocator&) { return true; }
};

using SecretBytes = std::vector<std::uint8_t, WipingAllocator<std::uint8_t>>;
using ByteView = std::span<const std::uint8_t>;
using MutableBytes = std::span<std::uint8_t>;

inline std::uint16_t readLe16(ByteView data, std::size_t at) {
    return text::getLe16(data.data() + at);
}

inline std::uint32_t readLe32(ByteView data, std::size_t at) {
    return text::getLe32(data.data() + at);
}

// `bytes` cut or extended to `size`, new bytes set to `fill` (how every derived key and
// IV is brought to the length its cipher wants).
SecretBytes fitToLength(ByteView bytes, std::size_t size, std::uint8_t fill);

// Constant-time comparison of two equally long byte ranges.
bool sameBytes(ByteView a, ByteView b);

}  // namespace velmora::access::crypto

#pragma once
// Little-endian integers in byte buffers: the byte order of Access pages, Paradox headers
// and Office encryption records. Callers check the bounds.

#include <cstdint>
#include <cstring>

namespace velmora::text {

inline std::uint16_t getLe16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::uint32_t getLe24(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16);
}
inline std::uint32_t getLe32(const std::uint8_t* p) {
    return getLe24(p) | (static_cast<std::uint32_t>(p[3]) << 24);
}
inline std::uint64_t getLe64(const std::uint8_t* p) {
    return getLe32(p) | (static_cast<std::uint64_t>(getLe32(p + 4)) << 32);
}
inline void putLe16(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}
inline void putLe32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

}  // namespace velmora::text

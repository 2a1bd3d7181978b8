#pragma once
// Little-endian access for file and block headers (the common readers), big-endian for
// field data.

#include <cstdint>
#include <cstring>

#include "common/text/LittleEndian.h"

namespace velmora::paradox {

using text::getLe16;
using text::getLe32;
using text::putLe16;
using text::putLe32;
inline std::int16_t getLe16s(const std::uint8_t* p) {
    return static_cast<std::int16_t>(getLe16(p));
}

inline std::uint16_t getBe16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>((p[0] << 8) | p[1]);
}
inline std::uint32_t getBe32(const std::uint8_t* p) {
    return (static_cast<std::uint32_t>(p[0]) << 24) | (static_cast<std::uint32_t>(p[1]) << 16) |
           (static_cast<std::uint32_t>(p[2]) << 8) | p[3];
}
inline std::uint64_t getBe64(const std::uint8_t* p) {
    return (static_cast<std::uint64_t>(getBe32(p)) << 32) | getBe32(p + 4);
}
inline void putBe16(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v >> 8);
    p[1] = static_cast<std::uint8_t>(v);
}
inline void putBe32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
}
inline void putBe64(std::uint8_t* p, std::uint64_t v) {
    putBe32(p, static_cast<std::uint32_t>(v >> 32));
    putBe32(p + 4, static_cast<std::uint32_t>(v));
}

}  // namespace velmora::paradox

#pragma once
// The East Asian double-byte Windows code pages (932, 936, 949, 950), read from the
// system's iconv once, when first needed.

#include <array>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

namespace velmora::text {

struct DoubleByteTable {
    static constexpr char16_t kUndefined = 0xFFFF;
    std::array<char16_t, 256> single{};  // kUndefined for lead bytes and undefined bytes
    std::array<bool, 256> lead{};
    std::vector<char16_t> pairs;  // by lead byte * 256 + trail byte
    // A character's bytes: one byte below 0x100, lead * 256 + trail from 0x100.
    std::unordered_map<char16_t, std::uint16_t> encoded;
};

// Nothing when iconv does not know the code page.
std::unique_ptr<DoubleByteTable> loadDoubleByteTable(int codePage);

}  // namespace velmora::text

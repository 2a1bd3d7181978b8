#include "common/text/DoubleByteTable.h"

#include <iconv.h>

#include <cerrno>
#include <cstring>
#include <string>

namespace velmora::text {

namespace {

enum class Outcome { One, Incomplete, Invalid };

// Decodes `length` bytes as exactly one character.
Outcome decodeOne(iconv_t cd, const unsigned char* bytes, std::size_t length, char16_t& out) {
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char in[2];
    std::memcpy(in, bytes, length);
    char* inPtr = in;
    std::size_t inLeft = length;
    char32_t result[2] = {};
    char* outPtr = reinterpret_cast<char*>(result);
    std::size_t outLeft = sizeof result;
    const std::size_t status = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    if (status == static_cast<std::size_t>(-1))
        return errno == EINVAL ? Outcome::Incomplete : Outcome::Invalid;
    if (inLeft != 0 || outLeft != sizeof result - sizeof(char32_t) || result[0] > 0xFFFF ||
        result[0] == DoubleByteTable::kUndefined)
        return Outcome::Invalid;
    out = static_cast<char16_t>(result[0]);
    return Outcome::One;
}

}  // namespace

std::unique_ptr<DoubleByteTable> loadDoubleByteTable(int codePage) {
    const std::string name = "CP" + std::to_string(codePage);
    iconv_t cd = iconv_open("UTF-32LE", name.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) return nullptr;
    auto table = std::make_unique<DoubleByteTable>();
    table->pairs.assign(0x10000, DoubleByteTable::kUndefined);
    for (int b = 0; b < 0x100; ++b) {
        const auto byte = static_cast<unsigned char>(b);
        char16_t c = DoubleByteTable::kUndefined;
        const Outcome outcome =
            b < 0x80 ? (c = static_cast<char16_t>(b), Outcome::One) : decodeOne(cd, &byte, 1, c);
        table->single[static_cast<std::size_t>(b)] =
            outcome == Outcome::One ? c : DoubleByteTable::kUndefined;
        table->lead[static_cast<std::size_t>(b)] = outcome == Outcome::Incomplete;
        if (outcome == Outcome::One && b >= 0x80)
            table->encoded.emplace(c, static_cast<std::uint16_t>(b));
    }
    for (int lead = 0x80; lead < 0x100; ++lead) {
        if (!table->lead[static_cast<std::size_t>(lead)]) continue;
        for (int trail = 0x40; trail < 0x100; ++trail) {
            const unsigned char pair[2] = {static_cast<unsigned char>(lead),
                                           static_cast<unsigned char>(trail)};
            char16_t c = 0;
            if (decodeOne(cd, pair, 2, c) != Outcome::One) continue;
            const auto code = static_cast<std::uint16_t>(lead * 256 + trail);
            table->pairs[code] = c;
            table->encoded.emplace(c, code);  // the first of duplicate spellings wins
        }
    }
    iconv_close(cd);
    return table;
}

}  // namespace velmora::text

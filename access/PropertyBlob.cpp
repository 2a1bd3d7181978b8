#include "access/PropertyBlob.h"

#include <cstring>
#include <string>
#include <vector>

#include "access/NameFolding.h"
#include "access/TextDecoder.h"

namespace velmora::access {

namespace {
constexpr char kMagic[] = "MR2";
constexpr std::uint16_t kNamesChunk = 0x0080;
constexpr std::size_t kChunkHeader = 6;  // length, kind
constexpr std::size_t kEntryHeader = 8;  // length, flags, type, name index, value length

std::string utf16Name(ByteSpan bytes) {
    std::string out;
    appendUtf16le(bytes, out);
    return out;
}
}  // namespace

std::optional<std::uint8_t> bytePropertyOf(ByteSpan blob, std::string_view object,
                                           std::string_view property) {
    if (blob.size() < 4 || std::memcmp(blob.data(), kMagic, 4) != 0) return std::nullopt;
    std::vector<std::string> names;
    for (std::size_t at = 4; at + kChunkHeader <= blob.size();) {
        const std::uint32_t length = blob.u32(at);
        if (length < kChunkHeader) throw FormatError("a property chunk has a bad length");
        const ByteSpan chunk = blob.sub(at, length);
        at += length;
        if (chunk.u16(4) == kNamesChunk) {
            for (std::size_t p = kChunkHeader; p + 2 <= chunk.size();) {
                const std::size_t n = chunk.u16(p);
                names.push_back(utf16Name(chunk.sub(p + 2, n)));
                p += 2 + n;
            }
            continue;
        }
        const ByteSpan body = chunk.from(kChunkHeader);
        const std::size_t headerLength = body.u32(0);
        const std::size_t nameLength = body.u16(4);
        if (!sameName(utf16Name(body.sub(6, nameLength)), object)) continue;
        for (std::size_t p = headerLength; p + kEntryHeader <= body.size();) {
            const std::size_t entryLength = body.u16(p);
            if (entryLength < kEntryHeader) throw FormatError("a property entry has a bad length");
            const std::size_t nameIndex = body.u16(p + 4);
            const std::size_t valueLength = body.u16(p + 6);
            if (nameIndex < names.size() && sameName(names[nameIndex], property) && valueLength > 0)
                return body.u8(p + kEntryHeader);
            p += entryLength;
        }
    }
    return std::nullopt;
}

}  // namespace velmora::access

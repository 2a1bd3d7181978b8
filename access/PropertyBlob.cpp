#include "access/PropertyBlob.h"

#include <cstring>
#include <string>
#include <vector>

#include "access/NameFolding.h"
#include "access/TextDecoder.h"

namespace velmora::access {

namespace {
constexpr char kMagic[] = "MR2";
constexpr char kJet3Magic[] = "KKD";
constexpr std::uint16_t kNamesChunk = 0x0080;
constexpr std::size_t kChunkHeader = 6;  // length, kind
constexpr std::size_t kEntryHeader = 8;  // length, flags, type, name index, value length

}  // namespace

std::optional<std::uint8_t> bytePropertyOf(ByteSpan blob, std::string_view object,
                                           std::string_view property) {
    static const TextDecoder jet4(false, 0);
    for (const PropertyObject& o : readPropertyBlob(blob, jet4)) {
        if (!sameName(o.name, object)) continue;
        if (const Property* p = o.find(property); p && !p->value.empty()) return p->value[0];
    }
    return std::nullopt;
}

const Property* PropertyObject::find(std::string_view property) const {
    for (const Property& p : properties)
        if (sameName(p.name, property)) return &p;
    return nullptr;
}

std::string propertyText(const Property& property, const TextDecoder& text) {
    const ByteSpan v(property.value.data(), property.value.size());
    switch (property.type) {
        case 1:
            return !property.value.empty() && property.value[0] != 0 ? "True" : "False";
        case 2:
            return v.size() >= 1 ? std::to_string(v.u8(0)) : "";
        case 3:
            return v.size() >= 2 ? std::to_string(static_cast<std::int16_t>(v.u16(0))) : "";
        case 4:
            return v.size() >= 4 ? std::to_string(static_cast<std::int32_t>(v.u32(0))) : "";
        case 10:
        case 12: {
            std::string out;
            text.decode(v, out);
            return out;
        }
        default:
            return "";
    }
}

std::vector<PropertyObject> readPropertyBlob(ByteSpan blob, const TextDecoder& text) {
    std::vector<PropertyObject> objects;
    if (blob.size() < 4 ||
        (std::memcmp(blob.data(), kMagic, 4) != 0 && std::memcmp(blob.data(), kJet3Magic, 4) != 0))
        return objects;
    const auto utf16Name = [&](ByteSpan bytes) { return text.decodeName(bytes); };
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
        PropertyObject& object = objects.emplace_back();
        object.name = utf16Name(body.sub(6, nameLength));
        for (std::size_t p = headerLength; p + kEntryHeader <= body.size();) {
            const std::size_t entryLength = body.u16(p);
            if (entryLength < kEntryHeader) throw FormatError("a property entry has a bad length");
            const std::size_t nameIndex = body.u16(p + 4);
            const std::size_t valueLength = body.u16(p + 6);
            if (nameIndex < names.size()) {
                const ByteSpan value = body.sub(p + kEntryHeader, valueLength);
                object.properties.push_back({names[nameIndex],
                                             body.u8(p + 3),
                                             {value.data(), value.data() + value.size()}});
            }
            p += entryLength;
        }
    }
    return objects;
}

}  // namespace velmora::access

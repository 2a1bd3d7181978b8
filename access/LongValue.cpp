#include "access/LongValue.h"

#include <algorithm>
#include <string>
#include <unordered_set>

#include "access/DataPage.h"
#include "access/JetFormat.h"

namespace velmora::access {

namespace {
constexpr std::size_t kHeaderSize = 12;
constexpr std::uint32_t kInline = 0x80000000;
constexpr std::uint32_t kSinglePage = 0x40000000;
constexpr std::uint32_t kLengthMask = 0x3FFFFFFF;
constexpr std::size_t kPointerSize = 4;
constexpr std::uint32_t kLongValueOwner = 0x4C41564C;  // "LVAL"
}  // namespace

ByteSpan LongValueReader::rowOf(std::uint32_t page, unsigned row, std::optional<std::size_t> size) {
    file_.read(page, page_);
    const ByteSpan bytes(page_.data(), page_.size());
    // Pages of long values say "LVAL" where other data pages name their table; that still
    // tells one whose page type was damaged.
    if (bytes.u8(0) != page_type::kData && bytes.u32(4) != kLongValueOwner)
        throw FormatError("a memo or OLE value points to page " + std::to_string(page) +
                          ", which does not hold it");
    // A damaged row count leaves the first slots that are in order: the row pointed to is
    // read if it is one of them.
    const RowTable stated(bytes, file_.format());
    const RowTable rows =
        stated.countDamaged() ? RowTable(bytes, file_.format(), stated.soundCount()) : stated;
    if (row >= rows.count())
        throw FormatError("a memo or OLE value points to page " + std::to_string(page) +
                          ", which does not hold it");
    RowSlot slot = rows.slot(row);
    if (slot.start > slot.end || slot.end > bytes.size())
        throw FormatError("a memo or OLE value on page " + std::to_string(page) + " is damaged");
    // Where one bound is out of order, the other and the value's own length can still fix
    // the row: Access stores the last part of a value in a row of exactly its size.
    const bool proven = size && slot.end - slot.start == *size && !slot.deleted && !slot.overflow &&
                        (rows.startTrusted(row) || rows.endTrusted(row));
    if (!rows.boundsTrusted(row) && !proven)
        throw FormatError("the place of a memo or OLE value on page " + std::to_string(page) +
                          " is damaged");
    return bytes.sub(slot.start, slot.end - slot.start);
}

void LongValueReader::read(ByteSpan header, std::vector<std::uint8_t>& out) {
    out.clear();
    const std::uint32_t word = header.u32(0);
    const std::size_t length = word & kLengthMask;
    // No value is longer than the file that holds it: a larger length is damage, and
    // must not become a huge allocation.
    if (length > std::uint64_t{file_.pageCount()} * file_.format().pageSize)
        throw FormatError("a memo or OLE value claims to be longer than the whole file");

    if (word & kInline) {
        const ByteSpan data = header.sub(kHeaderSize, length);
        out.assign(data.data(), data.data() + data.size());
        return;
    }
    unsigned row = header.u8(4);
    std::uint32_t page = header.u24(5);
    if (word & kSinglePage) {
        const ByteSpan data = rowOf(page, row, length).sub(0, length);
        out.assign(data.data(), data.data() + data.size());
        return;
    }
    out.reserve(length);
    std::unordered_set<std::uint64_t> visited;  // a damaged chain may point back into itself
    while (out.size() < length) {
        if (page == 0) throw FormatError("a memo or OLE value ends before its stated length");
        if (!visited.insert(std::uint64_t{page} << 8 | row).second)
            throw FormatError("a memo or OLE value's chain loops back on itself");
        const ByteSpan chunk = rowOf(page, row, kPointerSize + length - out.size());
        if (chunk.size() <= kPointerSize)
            throw FormatError("a memo or OLE value has an empty link in its chain");
        row = chunk.u8(0);
        page = chunk.u24(1);
        const ByteSpan data = chunk.from(kPointerSize);
        const std::size_t take = std::min(data.size(), length - out.size());
        out.insert(out.end(), data.data(), data.data() + take);
    }
}

}  // namespace velmora::access

#include "access/OwnedPages.h"

#include "access/DataPage.h"

namespace velmora::access {

namespace {
constexpr std::uint8_t kInlineMap = 0x00;
constexpr std::uint8_t kReferenceMap = 0x01;
constexpr std::size_t kMapPageHeader = 4;
}  // namespace

OwnedPages::OwnedPages(const PageFile& file, RowPointer map) : file_(file) {
    std::vector<std::uint8_t> page;
    file.read(map.page, page);
    const ByteSpan bytes(page.data(), page.size());
    if (bytes.u8(0) != page_type::kData)
        throw FormatError("the usage map of a table is not on a data page");
    if (map.row >= rowSlotCount(bytes, file.format()))
        throw FormatError("the usage map of a table names a missing row");
    const RowSlot slot = rowSlot(bytes, file.format(), map.row);
    const ByteSpan record = bytes.sub(slot.start, slot.end - slot.start);
    switch (record.u8(0)) {
        case kInlineMap: {
            base_ = record.u32(1);
            const ByteSpan bits = record.from(5);
            bitmap_.assign(bits.data(), bits.data() + bits.size());
            break;
        }
        case kReferenceMap:
            reference_ = true;
            for (std::size_t at = 1; at + 4 <= record.size(); at += 4)
                mapPages_.push_back(record.u32(at));
            break;
        default:
            throw FormatError("the usage map of a table has an unknown kind");
    }
}

bool OwnedPages::loadNextMapPage() {
    const std::size_t pagesPerMap = (file_.format().pageSize - kMapPageHeader) * 8;
    while (mapIndex_ < mapPages_.size()) {
        const std::size_t index = mapIndex_++;
        const std::uint32_t number = mapPages_[index];
        if (number == 0) continue;
        std::vector<std::uint8_t> page;
        file_.read(number, page);
        if (page[0] != page_type::kUsageMap)
            throw FormatError("page " + std::to_string(number) + " is not a usage map page");
        bitmap_.assign(page.begin() + kMapPageHeader, page.end());
        base_ = static_cast<std::uint64_t>(index) * pagesPerMap;
        bit_ = 0;
        return true;
    }
    return false;
}

bool OwnedPages::next(std::uint32_t& page) {
    for (;;) {
        while (bit_ < bitmap_.size() * 8) {
            const std::size_t bit = bit_++;
            if ((bitmap_[bit / 8] >> (bit % 8) & 1) == 0) continue;
            const std::uint64_t number = base_ + bit;
            if (number > UINT32_MAX) throw FormatError("a usage map names an impossible page");
            page = static_cast<std::uint32_t>(number);
            return true;
        }
        if (!reference_ || !loadNextMapPage()) return false;
    }
}

}  // namespace velmora::access

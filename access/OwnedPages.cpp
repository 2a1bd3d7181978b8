#include "access/OwnedPages.h"

#include "access/DataPage.h"

namespace velmora::access {

namespace {
constexpr std::uint8_t kInlineMap = 0x00;
constexpr std::uint8_t kReferenceMap = 0x01;
constexpr std::size_t kMapPageHeader = 4;
// Page 0 is the file header, page 1 the global usage map: neither is ever a table's.
constexpr std::uint64_t kFirstTablePage = 2;

// The record of the map; throws FormatError when it cannot be read.
std::vector<std::uint8_t> mapRecord(const PageFile& file, RowPointer map) {
    std::vector<std::uint8_t> page;
    file.read(map.page, page);
    const ByteSpan bytes(page.data(), page.size());
    if (bytes.u8(0) != page_type::kData)
        throw FormatError("it is not on a data page (page " + std::to_string(map.page) + ")");
    const RowTable rows(bytes, file.format());
    if (rows.countDamaged() || map.row >= rows.count())
        throw FormatError("it names a missing row of page " + std::to_string(map.page));
    const RowSlot slot = rows.slot(map.row);
    const ByteSpan record = bytes.sub(slot.start, slot.end - slot.start);
    if (record.empty() || (record.u8(0) != kInlineMap && record.u8(0) != kReferenceMap))
        throw FormatError("it is of an unknown kind");
    return std::vector<std::uint8_t>(record.data(), record.data() + record.size());
}

}  // namespace

OwnedPages::OwnedPages(const PageFile& file, RowPointer map) : file_(file) {
    std::vector<std::uint8_t> record;
    try {
        record = mapRecord(file, map);
    } catch (const FormatError& e) {
        search(kFirstTablePage, file.pagesHeld(),
               std::string("the table's usage map cannot be read: ") + e.what());
        return;
    }
    const ByteSpan bytes(record.data(), record.size());
    if (bytes.u8(0) == kInlineMap) {
        if (bytes.size() < 5) {
            search(kFirstTablePage, file.pagesHeld(), "the table's usage map is cut short");
            return;
        }
        base_ = bytes.u32(1);
        bitmap_.assign(record.begin() + 5, record.end());
        return;
    }
    reference_ = true;
    for (std::size_t at = 1; at + 4 <= bytes.size(); at += 4) mapPages_.push_back(bytes.u32(at));
}

void OwnedPages::search(std::uint64_t first, std::uint64_t end, const std::string& why) {
    searchNext_ = std::max(first, kFirstTablePage);
    searchEnd_ = std::min<std::uint64_t>(end, file_.pagesHeld());
    if (damage_.empty()) damage_ = why;
}

bool OwnedPages::loadNextMapPage() {
    const std::size_t pagesPerMap = (file_.format().pageSize - kMapPageHeader) * 8;
    while (mapIndex_ < mapPages_.size()) {
        const std::size_t index = mapIndex_++;
        const std::uint32_t number = mapPages_[index];
        if (number == 0) continue;
        const std::uint64_t first = static_cast<std::uint64_t>(index) * pagesPerMap;
        std::vector<std::uint8_t> page;
        try {
            file_.read(number, page);
            if (page[0] != page_type::kUsageMap)
                throw FormatError("page " + std::to_string(number) + " is not a usage map page");
        } catch (const FormatError& e) {
            search(first, first + pagesPerMap,
                   std::string("the table's usage map cannot be read: ") + e.what());
            if (searchNext_ < searchEnd_) return true;
            continue;
        }
        bitmap_.assign(page.begin() + kMapPageHeader, page.end());
        base_ = first;
        bit_ = 0;
        return true;
    }
    return false;
}

bool OwnedPages::next(std::uint32_t& page) {
    for (;;) {
        searched_ = searchNext_ < searchEnd_;
        if (searched_) {
            page = static_cast<std::uint32_t>(searchNext_++);
            return true;
        }
        while (bit_ < bitmap_.size() * 8) {
            const std::size_t bit = bit_++;
            if ((bitmap_[bit / 8] >> (bit % 8) & 1) == 0) continue;
            const std::uint64_t number = base_ + bit;
            if (number > UINT32_MAX) break;  // a damaged start page: no page is that far
            page = static_cast<std::uint32_t>(number);
            return true;
        }
        bit_ = bitmap_.size() * 8;
        if (!reference_ || !loadNextMapPage()) return false;
    }
}

std::optional<std::unordered_set<std::uint32_t>> freePages(const PageFile& file) {
    constexpr RowPointer kGlobalMap{1, 0};
    OwnedPages map(file, kGlobalMap);
    std::unordered_set<std::uint32_t> pages;
    for (std::uint32_t page = 0; map.next(page);) {
        if (!map.damage().empty()) return std::nullopt;
        pages.insert(page);
    }
    if (!map.damage().empty()) return std::nullopt;
    return pages;
}

}  // namespace velmora::access

#include "access/IndexLeaves.h"

#include <algorithm>
#include <set>
#include <unordered_set>

#include "access/ByteSpan.h"
#include "access/OwnedPages.h"

namespace velmora::access {

namespace {

constexpr std::size_t kRowPointerSize = 4;  // data page (3 bytes, high first) and row slot

// Adds the row pointers of one leaf page's entries to `rows`; false when an entry is too
// short to hold one.
bool readEntries(ByteSpan page, const JetFormat& format, std::vector<std::uint32_t>& rows) {
    const std::size_t mapBits = (format.leafEntries - format.leafEntryMap) * 8;
    std::size_t start = format.leafEntries;
    for (std::size_t bit = 1; bit < mapBits; ++bit) {
        if ((page.u8(format.leafEntryMap + bit / 8) >> (bit % 8) & 1) == 0) continue;
        const std::size_t end = format.leafEntries + bit;
        if (end > page.size() || end < start + kRowPointerSize) return false;
        rows.push_back(std::uint32_t{page.u8(end - 4)} << 24 |
                       std::uint32_t{page.u8(end - 3)} << 16 |
                       std::uint32_t{page.u8(end - 2)} << 8 | page.u8(end - 1));
        start = end;
    }
    return true;
}

}  // namespace

void IndexLeaves::search() const {
    const auto free = freePages(file_).value_or(std::unordered_set<std::uint32_t>{});
    std::vector<std::uint8_t> page;
    for (std::uint32_t number = 2; number < file_.pageCount(); ++number) {
        if (free.count(number) > 0) continue;  // the leaves of a dropped or rebuilt index
        try {
            file_.read(number, page);
        } catch (const FormatError&) {
            continue;
        }
        if (page[0] == page_type::kIndexLeaf)
            leaves_[ByteSpan(page.data(), page.size()).u32(4)].push_back(number);
    }
}

std::vector<IndexRows> IndexLeaves::indexesOf(std::uint32_t tablePage) const {
    std::call_once(searched_, [this] { search(); });
    const auto found = leaves_.find(tablePage);
    if (found == leaves_.end()) return {};
    const std::set<std::uint32_t> leaves(found->second.begin(), found->second.end());
    const JetFormat& format = file_.format();
    std::vector<std::uint8_t> page;
    std::vector<IndexRows> indexes;
    for (const std::uint32_t first : leaves) {
        // A chain starts at a leaf no leaf of the table comes before.
        file_.read(first, page);
        if (leaves.count(ByteSpan(page.data(), page.size()).u32(format.leafPrevious)) > 0) continue;
        std::vector<std::uint32_t> rows;
        std::unordered_set<std::uint32_t> seen;
        bool whole = true;
        try {
            for (std::uint32_t number = first; number != 0 && whole;) {
                // A leaf met twice, or a link to a page that is no leaf of the table.
                whole = seen.insert(number).second && leaves.count(number) > 0;
                if (!whole) break;
                file_.read(number, page);
                const ByteSpan bytes(page.data(), page.size());
                whole = readEntries(bytes, format, rows);
                number = bytes.u32(format.leafNext);
            }
        } catch (const FormatError&) {
            whole = false;
        }
        if (!whole) continue;
        IndexRows index;
        index.entries = rows.size();
        for (const std::uint32_t row : rows) index.slots[row >> 8].push_back(row & 0xff);
        bool twice = false;
        for (auto& [dataPage, slots] : index.slots) {
            std::sort(slots.begin(), slots.end());
            twice = twice || std::adjacent_find(slots.begin(), slots.end()) != slots.end();
        }
        if (!twice) indexes.push_back(std::move(index));
    }
    return indexes;
}

}  // namespace velmora::access

#include "tests/access/RowSources.h"

#include <algorithm>

#include "access/AccessDatabase.h"
#include "access/DataPage.h"
#include "access/OwnedPages.h"
#include "access/RowLayout.h"
#include "access/TableDefinition.h"

namespace velmora::access::testing {

namespace {

constexpr std::uint32_t kInline = 0x80000000;
constexpr std::uint32_t kSinglePage = 0x40000000;

class SourceWalk {
  public:
    explicit SourceWalk(const AccessDatabase& database) : db_(database) {}

    ByteSpan page(std::uint32_t number) {
        db_.file().read(number, buffer_);
        return ByteSpan(buffer_.data(), buffer_.size());
    }

    PageSet definitionChain(std::uint32_t first) {
        PageSet pages;
        for (std::uint32_t n = first; n != 0 && pages.insert(n).second;) n = page(n).u32(4);
        return pages;
    }

    // The map's page and, for a map of bitmap pages, those.
    PageSet usageMap(RowPointer map) {
        PageSet pages{map.page};
        const ByteSpan bytes = page(map.page);
        const RowSlot slot = RowTable(bytes, db_.file().format()).slot(map.row);
        const ByteSpan record = bytes.sub(slot.start, slot.end - slot.start);
        if (record.u8(0) == 1)
            for (std::size_t at = 1; at + 4 <= record.size(); at += 4)
                if (record.u32(at) != 0) pages.insert(record.u32(at));
        return pages;
    }

    // The pages of a long value's chain (or single page).
    void longValue(ByteSpan header, PageSet& pages) {
        if (header.size() < 12) return;
        const std::uint32_t word = header.u32(0);
        if (word & kInline) return;
        unsigned row = header.u8(4);
        std::uint32_t number = header.u24(5);
        for (int links = 0; number != 0 && links < 100000; ++links) {
            pages.insert(number);
            if (word & kSinglePage) return;
            const ByteSpan bytes = page(number);
            const RowSlot slot = RowTable(bytes, db_.file().format()).slot(row);
            const ByteSpan link = bytes.sub(slot.start, slot.end - slot.start);
            row = link.u8(0);
            number = link.u24(1);
        }
    }

    std::vector<PageSet> rows(const TableDefinition& table) {
        std::vector<PageSet> rows;
        const JetFormat& format = db_.file().format();
        const RowLayout layout(format, table);
        std::vector<Field> fields;
        OwnedPages owned(db_.file(), table.ownedPages);
        std::vector<std::uint8_t> data;
        for (std::uint32_t number = 0; owned.next(number);) {
            db_.file().read(number, data);
            const ByteSpan bytes(data.data(), data.size());
            if (bytes.u8(0) != page_type::kData || bytes.u32(4) != table.page) continue;
            const RowTable slots(bytes, format);
            for (unsigned i = 0; i < slots.count(); ++i) {
                RowSlot slot = slots.slot(i);
                if (slot.deleted || slot.end <= slot.start) continue;
                PageSet& pages = rows.emplace_back(PageSet{number});
                ByteSpan row = bytes.sub(slot.start, slot.end - slot.start);
                if (slot.overflow) {
                    const std::uint32_t target = row.u24(1);
                    const unsigned at = row.u8(0);
                    pages.insert(target);
                    const ByteSpan moved = page(target);
                    slot = RowTable(moved, format).slot(at);
                    moved_.assign(moved.data() + slot.start, moved.data() + slot.end);
                    row = ByteSpan(moved_.data(), moved_.size());
                }
                layout.split(row, fields);
                for (std::size_t c = 0; c < table.columns.size(); ++c) {
                    const std::uint8_t type = table.columns[c].type;
                    if (fields[c].present && (type == jet_type::kMemo || type == jet_type::kOle))
                        longValue(fields[c].bytes, pages);
                }
            }
        }
        return rows;
    }

  private:
    const AccessDatabase& db_;
    std::vector<std::uint8_t> buffer_;
    std::vector<std::uint8_t> moved_;
};

}  // namespace

DatabaseSources sourcesOf(const std::filesystem::path& file) {
    const auto database = AccessDatabase::open(file.string(), "");
    SourceWalk walk(*database);
    DatabaseSources sources;
    PageSet complexValues;  // the tables that hold the values of complex columns
    for (const CatalogueEntry& entry : database->catalogue().entries()) {
        if (entry.definitionPage == 0) continue;
        PageSet pages;
        std::vector<PageSet> rows;
        try {
            const TableDefinition table =
                readTableDefinition(database->file(), database->text(), entry.definitionPage);
            pages = walk.definitionChain(entry.definitionPage);
            const PageSet map = walk.usageMap(table.ownedPages);
            pages.insert(map.begin(), map.end());
            rows = walk.rows(table);
        } catch (const FormatError&) {
            if (entry.tableType == "TABLE") throw;  // only whole originals are compared
        }
        if (entry.tableType == "TABLE") {
            TableSources& t = sources.tables[entry.name];
            t.definitionPage = entry.definitionPage;
            t.structure = std::move(pages);
            t.rows = rows;
            continue;
        }
        PageSet& into = entry.definitionPage == 2 ? sources.catalogue : complexValues;
        into.insert(pages.begin(), pages.end());
        for (const PageSet& row : rows) into.insert(row.begin(), row.end());
    }
    sources.catalogue.insert(0);
    for (auto& [name, table] : sources.tables) {
        const TableDefinition definition =
            readTableDefinition(database->file(), database->text(), table.definitionPage);
        if (std::any_of(definition.columns.begin(), definition.columns.end(),
                        [](const ColumnDefinition& c) { return c.type == jet_type::kComplex; }))
            table.structure.insert(complexValues.begin(), complexValues.end());
    }
    return sources;
}

bool touches(const PageSet& pages, const PageSet& damaged) {
    for (const std::uint32_t page : pages)
        if (damaged.count(page)) return true;
    return false;
}

}  // namespace velmora::access::testing

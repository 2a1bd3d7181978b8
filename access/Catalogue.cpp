#include "access/Catalogue.h"

#include <algorithm>
#include <set>

#include "access/NameFolding.h"
#include "access/OwnedPages.h"
#include "access/RowLayout.h"
#include "access/RowScanner.h"
#include "access/TableDefinition.h"
#include "access/TableRecovery.h"
#include "access/ValueDecoder.h"

namespace velmora::access {

namespace {

constexpr std::uint32_t kCataloguePage = 2;
constexpr int kLocalTable = 1;
constexpr int kLinkedOdbcTable = 4;
constexpr int kQuery = 5;
constexpr int kLinkedTable = 6;
constexpr std::uint32_t kSystemFlags = 0x80000002;
constexpr std::uint32_t kPageMask = 0x00FFFFFF;

// The catalogue's columns are the same, in the same order, in every version of Access: a
// column whose name is damaged is found at its place, when its type is the expected one.
struct CatalogueColumn {
    const char* name;
    std::size_t place;
    std::uint8_t type;
};
constexpr std::size_t kCatalogueColumns = 17;
constexpr CatalogueColumn kId{"Id", 0, jet_type::kLong};
constexpr CatalogueColumn kName{"Name", 2, jet_type::kText};
constexpr CatalogueColumn kType{"Type", 3, jet_type::kInteger};
constexpr CatalogueColumn kFlags{"Flags", 7, jet_type::kLong};
constexpr CatalogueColumn kDatabase{"Database", 8, jet_type::kMemo};
constexpr CatalogueColumn kForeignName{"ForeignName", 10, jet_type::kText};
constexpr CatalogueColumn kProperties{"LvProp", 14, jet_type::kOle};

int optionalColumnIndex(const TableDefinition& table, const CatalogueColumn& column) {
    for (std::size_t i = 0; i < table.columns.size(); ++i)
        if (sameName(table.columns[i].name, column.name)) return static_cast<int>(i);
    if (table.columns.size() == kCatalogueColumns &&
        table.columns[column.place].type == column.type)
        return static_cast<int>(column.place);
    return -1;
}

int columnIndex(const TableDefinition& table, const CatalogueColumn& column) {
    const int index = optionalColumnIndex(table, column);
    if (index < 0)
        throw FormatError("the object catalogue has no column '" + std::string(column.name) + "'");
    return index;
}

}  // namespace

std::string tableTypeOf(int objectType, std::uint32_t flags, std::string_view name) {
    switch (objectType) {
        case kLocalTable: {
            // A table Access made for itself without marking it (MSysCompactError, where
            // compacting notes its errors) is an "ACCESS TABLE": not a user's table, but
            // one that holds rows, so that a run can name it as left out.
            const bool msys = name.size() >= 4 && sameName(name.substr(0, 4), "MSys");
            if ((flags & kSystemFlags) != 0) return "SYSTEM TABLE";
            return msys ? "ACCESS TABLE" : "TABLE";
        }
        case kLinkedTable:
        case kLinkedOdbcTable:
            return "LINK";
        case kQuery:
            return "VIEW";
        default:
            return "";
    }
}

Catalogue Catalogue::read(const PageFile& file, const TextDecoder& text) {
    Catalogue catalogue;
    try {
        catalogue.readEntries(file, text);
    } catch (const FormatError& e) {
        catalogue.damage_.catalogue = e.what();
    }
    if (!catalogue.damage_.catalogue.empty()) catalogue.recoverTables(file, text);
    std::sort(catalogue.entries_.begin(), catalogue.entries_.end(),
              [](const CatalogueEntry& a, const CatalogueEntry& b) {
                  if (a.tableType != b.tableType) return a.tableType < b.tableType;
                  return nameLess(a.name, b.name);
              });
    return catalogue;
}

void Catalogue::readEntries(const PageFile& file, const TextDecoder& text) {
    const TableDefinition objects = readTableDefinition(file, text, kCataloguePage);
    const int idAt = columnIndex(objects, kId);
    const int nameAt = columnIndex(objects, kName);
    const int typeAt = columnIndex(objects, kType);
    const int flagsAt = columnIndex(objects, kFlags);
    const int propertiesAt = columnIndex(objects, kProperties);
    const int databaseAt = optionalColumnIndex(objects, kDatabase);
    const int foreignNameAt = optionalColumnIndex(objects, kForeignName);

    RowScanner rows(file, objects);
    RowLayout layout(file.format(), objects);
    ValueDecoder decoder(file, text);
    std::vector<Field> fields;
    db::Value id, name, type, flags, link;
    while (rows.next()) {
        try {
            layout.split(rows.row(), fields);
            decoder.decode(objects.columns[typeAt], fields[typeAt], type);
            if (type.isNull() || type.kind() != db::ValueKind::Integer) continue;
            decoder.decode(objects.columns[nameAt], fields[nameAt], name);
            decoder.decode(objects.columns[flagsAt], fields[flagsAt], flags);
            const auto objectType = static_cast<std::int16_t>(type.asInt());
            const auto objectFlags = flags.kind() == db::ValueKind::Integer
                                         ? static_cast<std::uint32_t>(flags.asInt())
                                         : 0;
            if (name.kind() != db::ValueKind::Text) continue;
            std::string tableType = tableTypeOf(objectType, objectFlags, name.asText());
            if (tableType.empty()) continue;

            CatalogueEntry entry;
            entry.name = name.asText();
            entry.tableType = std::move(tableType);
            decoder.decode(objects.columns[idAt], fields[idAt], id);
            if (id.kind() == db::ValueKind::Integer) entry.id = id.asInt();
            if (objectType == kLocalTable) {
                if (id.kind() != db::ValueKind::Integer)
                    throw FormatError("the catalogue entry of table '" + entry.name +
                                      "' has no id");
                entry.definitionPage = static_cast<std::uint32_t>(id.asInt()) & kPageMask;
                const Field& properties = fields[propertiesAt];
                if (properties.present)
                    entry.propertiesField.assign(properties.bytes.data(),
                                                 properties.bytes.data() + properties.bytes.size());
            }
            if (objectType == kLinkedTable && databaseAt >= 0 && foreignNameAt >= 0) {
                decoder.decode(objects.columns[databaseAt], fields[databaseAt], link);
                if (link.kind() == db::ValueKind::Text) entry.linkedDatabase = link.asText();
                decoder.decode(objects.columns[foreignNameAt], fields[foreignNameAt], link);
                if (link.kind() == db::ValueKind::Text) entry.foreignName = link.asText();
            }
            entries_.push_back(std::move(entry));
        } catch (const FormatError& e) {
            rows.loseRow(e.what());
        }
    }
    if (!rows.lost().empty()) damage_.catalogue = rows.lost().front().reason;
}

// Every table definition that no entry names, other than those of Access's own tables.
// (A definition that cannot be read is no table to list.)
void Catalogue::recoverTables(const PageFile& file, const TextDecoder& text) {
    std::set<std::uint32_t> named{kCataloguePage};
    for (const CatalogueEntry& e : entries_)
        if (e.definitionPage != 0) named.insert(e.definitionPage);
    // The definitions of dropped tables stay in the file, on pages it lists as free.
    const auto free = freePages(file).value_or(std::unordered_set<std::uint32_t>{});
    for (const std::uint32_t page : tableDefinitionPages(file)) {
        if (named.count(page) > 0 || free.count(page) > 0) continue;
        try {
            const TableDefinition table = readTableDefinition(file, text, page);
            if (table.columns.empty() || isSystemTable(table)) continue;
        } catch (const FormatError&) {
            continue;
        }
        CatalogueEntry entry;
        entry.name = "Recovered_" + std::to_string(page);
        entry.tableType = "TABLE";
        entry.definitionPage = page;
        damage_.recoveredTables.push_back(entry.name);
        entries_.push_back(std::move(entry));
    }
}

const CatalogueEntry* Catalogue::find(std::string_view name) const {
    for (const CatalogueEntry& e : entries_)
        if (e.name == name) return &e;
    const std::u32string wanted = foldName(name);
    for (const CatalogueEntry& e : entries_)
        if (foldName(e.name) == wanted) return &e;
    return nullptr;
}

}  // namespace velmora::access

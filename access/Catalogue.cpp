#include "access/Catalogue.h"

#include <algorithm>

#include "access/NameFolding.h"
#include "access/RowLayout.h"
#include "access/RowScanner.h"
#include "access/TableDefinition.h"
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

int optionalColumnIndex(const TableDefinition& table, std::string_view name) {
    for (std::size_t i = 0; i < table.columns.size(); ++i)
        if (sameName(table.columns[i].name, name)) return static_cast<int>(i);
    return -1;
}

int columnIndex(const TableDefinition& table, std::string_view name) {
    const int index = optionalColumnIndex(table, name);
    if (index < 0)
        throw FormatError("the object catalogue has no column '" + std::string(name) + "'");
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
    const TableDefinition objects = readTableDefinition(file, text, kCataloguePage);
    const int idAt = columnIndex(objects, "Id");
    const int nameAt = columnIndex(objects, "Name");
    const int typeAt = columnIndex(objects, "Type");
    const int flagsAt = columnIndex(objects, "Flags");
    const int propertiesAt = columnIndex(objects, "LvProp");
    const int databaseAt = optionalColumnIndex(objects, "Database");
    const int foreignNameAt = optionalColumnIndex(objects, "ForeignName");

    Catalogue catalogue;
    RowScanner rows(file, objects);
    RowLayout layout(file.format(), objects);
    ValueDecoder decoder(file, text);
    std::vector<Field> fields;
    db::Value id, name, type, flags, link;
    while (rows.next()) {
        layout.split(rows.row(), fields);
        decoder.decode(objects.columns[typeAt], fields[typeAt], type);
        if (type.isNull() || type.kind() != db::ValueKind::Integer) continue;
        decoder.decode(objects.columns[nameAt], fields[nameAt], name);
        decoder.decode(objects.columns[flagsAt], fields[flagsAt], flags);
        const auto objectType = static_cast<std::int16_t>(type.asInt());
        const auto objectFlags =
            flags.kind() == db::ValueKind::Integer ? static_cast<std::uint32_t>(flags.asInt()) : 0;
        if (name.kind() != db::ValueKind::Text) continue;
        std::string tableType = tableTypeOf(objectType, objectFlags, name.asText());
        if (tableType.empty()) continue;

        CatalogueEntry entry;
        entry.name = name.asText();
        entry.tableType = std::move(tableType);
        if (objectType == kLocalTable) {
            decoder.decode(objects.columns[idAt], fields[idAt], id);
            if (id.kind() != db::ValueKind::Integer)
                throw FormatError("the catalogue entry of table '" + entry.name + "' has no id");
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
        catalogue.entries_.push_back(std::move(entry));
    }
    std::sort(catalogue.entries_.begin(), catalogue.entries_.end(),
              [](const CatalogueEntry& a, const CatalogueEntry& b) {
                  if (a.tableType != b.tableType) return a.tableType < b.tableType;
                  return nameLess(a.name, b.name);
              });
    return catalogue;
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

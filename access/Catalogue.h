#pragma once
// The database's object catalogue (the system table MSysObjects, whose definition is
// always on page 2): the tables, linked tables and queries, with the table type the
// schema rowset reports for each.
//
// Order: sorted by TABLE_TYPE ("ACCESS TABLE", "LINK", "SYSTEM TABLE", "TABLE", "VIEW"), then by
// TABLE_NAME compared without regard to case, names that differ only in case by code
// point. That is the order in which Access's own OLE DB provider returns its TABLES
// rowset, and it does not depend on where the catalogue happens to store its rows.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "access/PageFile.h"
#include "access/TextDecoder.h"
#include "dataaccess/Damage.h"

namespace velmora::access {

struct CatalogueEntry {
    std::string name;
    std::string tableType;             // "TABLE", "SYSTEM TABLE", "ACCESS TABLE", "LINK" or "VIEW"
    std::uint32_t definitionPage = 0;  // local tables only
    std::int64_t id = 0;               // the object's id (MSysQueries names a query by it)
    std::vector<std::uint8_t> propertiesField;  // the raw LvProp field (a long-value header)
    // Linked Access tables: the linked database's path as stored and the table's name there.
    std::string linkedDatabase;
    std::string foreignName;
};

// A damaged catalogue gives every entry it can read; the tables whose entries it lost (or
// all tables, when it cannot be read at all) are then found from their definitions and
// listed as "Recovered_<page>", and damage() says so.
class Catalogue {
  public:
    static Catalogue read(const PageFile& file, const TextDecoder& text);

    const std::vector<CatalogueEntry>& entries() const { return entries_; }
    // Looks a name up without regard to case; nullptr when there is none.
    const CatalogueEntry* find(std::string_view name) const;
    const db::SourceDamage& damage() const { return damage_; }

  private:
    // Throws FormatError when the catalogue's own definition cannot be read.
    void readEntries(const PageFile& file, const TextDecoder& text);
    void recoverTables(const PageFile& file, const TextDecoder& text);

    std::vector<CatalogueEntry> entries_;
    db::SourceDamage damage_;
};

// The type reported for a catalogue object, or "" for objects that are not listed
// (forms, reports, containers...). System tables are told by the catalogue's system
// flags and by the "MSys" prefix that Access reserves for them.
std::string tableTypeOf(int objectType, std::uint32_t flags, std::string_view name);

}  // namespace velmora::access

#pragma once
// Attachment, multi-valued and version-history ("complex") columns. A row holds only a
// key into a hidden table of values (named in MSysComplexColumns); the values are read
// from there, so that no key is ever handed on as data:
//   multi-valued     its values, joined by "; "
//   attachment       its file names, joined by "; "
//   version history  each version as "[Version: mm/dd/yyyy hh:nn:ss] text", one a line
//                    (as Access's history of an append-only memo shows them)
//   values of a kind this reader does not know: the hexadecimal text of their bytes,
//                    joined by "; " (the column names the kind, for a report)
// A key without values reads as Null.

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "access/AccessDatabase.h"
#include "access/TableDefinition.h"
#include "dataaccess/Value.h"

namespace velmora::access {

class ComplexValues {
  public:
    // Reads the values of the table's complex columns; throws FormatError when they
    // cannot be found.
    ComplexValues(const AccessDatabase& database, const CatalogueEntry& entry,
                  const TableDefinition& table);

    // Replaces each complex column's key in `row` by its values' text.
    void resolve(std::vector<db::Value>& row) const;

    // The complex columns whose values are of a kind this reader does not know (they
    // read as the hexadecimal text of their bytes): column index and kind.
    std::vector<std::pair<std::size_t, std::string>> unknownKinds() const;

  private:
    struct Column {
        std::size_t index;
        std::unordered_map<std::int64_t, std::string> text;
        std::string unknownKind;
    };
    std::vector<Column> columns_;
};

}  // namespace velmora::access

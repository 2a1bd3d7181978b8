#pragma once
// The rules of a database's user tables as schema rowsets (AdoTypes.h names their
// columns): each column's properties (Required, Default Value, Validation Rule and Text,
// Description, Format, Input Mask, lookup), each relationship (MSysRelationships), and
// the saved queries. A table name (when not empty) keeps that table's rows only; a
// relationship belongs to both its tables.
#include <memory>
#include <string_view>

#include "access/AccessDatabase.h"
#include "dataaccess/Provider.h"

namespace velmora::access {

std::unique_ptr<db::RowCursor> columnRulesRowset(const AccessDatabase& database,
                                                 std::string_view table);
std::unique_ptr<db::RowCursor> foreignKeysRowset(std::shared_ptr<const AccessDatabase> database,
                                                 std::string_view table);
// The saved queries with their SQL text where it can be rebuilt (access/SavedQueries.h).
std::unique_ptr<db::RowCursor> viewsRowset(std::shared_ptr<const AccessDatabase> database,
                                           std::string_view table);

}  // namespace velmora::access

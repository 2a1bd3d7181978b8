#pragma once
// The rules of a database's user tables as schema rowsets (AdoTypes.h names their
// columns): each column's properties (Required, Default Value, Validation Rule and Text,
// Description, Format, Input Mask, lookup), each relationship (MSysRelationships), and
// the saved queries.
#include <memory>

#include "access/AccessDatabase.h"
#include "dataaccess/Provider.h"

namespace velmora::access {

std::unique_ptr<db::RowCursor> columnRulesRowset(const AccessDatabase& database);
std::unique_ptr<db::RowCursor> foreignKeysRowset(std::shared_ptr<const AccessDatabase> database);
std::unique_ptr<db::RowCursor> viewsRowset(const AccessDatabase& database);

}  // namespace velmora::access

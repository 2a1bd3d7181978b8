#pragma once
// The INDEXES schema rowset (kind 12): one row per key column of every index Access
// shows for a table (the primary key, unique and plain indexes), in the order the
// table's definition stores its indexes, columns in key order. The columns are those
// of ADO's INDEXES rowset that Access fills (see dataaccess/AdoTypes.h).

#include <memory>
#include <string>

#include "access/TableDefinition.h"
#include "dataaccess/Provider.h"

namespace velmora::access {

class IndexSchemaRows {
  public:
    // Adds the rows of `table`, listed under `tableName`.
    void add(const std::string& tableName, const TableDefinition& table);
    std::unique_ptr<db::RowCursor> cursor();

  private:
    std::vector<std::vector<db::Value>> rows_;
};

}  // namespace velmora::access

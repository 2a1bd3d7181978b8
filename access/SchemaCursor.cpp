#include "access/SchemaCursor.h"

#include "dataaccess/AdoTypes.h"

namespace velmora::access {

namespace {
constexpr long kNameSize = 128;
}

SchemaCursor::SchemaCursor(std::shared_ptr<const AccessDatabase> database)
    : database_(std::move(database)),
      columns_{{"TABLE_CATALOG", db::ado::adVarWChar, kNameSize},
               {"TABLE_SCHEMA", db::ado::adVarWChar, kNameSize},
               {"TABLE_NAME", db::ado::adVarWChar, kNameSize},
               {"TABLE_TYPE", db::ado::adVarWChar, kNameSize}} {}

std::int64_t SchemaCursor::rowCount() {
    return static_cast<std::int64_t>(database_->catalogue().entries().size());
}

bool SchemaCursor::fetch(std::vector<db::Value>& row) {
    const auto& entries = database_->catalogue().entries();
    if (next_ >= entries.size()) return false;
    const CatalogueEntry& entry = entries[next_++];
    row.resize(columns_.size());
    row[0].setNull();
    row[1].setNull();
    row[2].setText() = entry.name;
    row[3].setText() = entry.tableType;
    return true;
}

}  // namespace velmora::access

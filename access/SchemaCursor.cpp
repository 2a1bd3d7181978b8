#include "access/SchemaCursor.h"

#include "dataaccess/AdoTypes.h"

namespace velmora::access {

namespace {
constexpr long kNameSize = 128;
}

SchemaCursor::SchemaCursor(std::shared_ptr<const AccessDatabase> database, const std::string& table)
    : database_(std::move(database)),
      columns_{{"TABLE_CATALOG", db::ado::adVarWChar, kNameSize},
               {"TABLE_SCHEMA", db::ado::adVarWChar, kNameSize},
               {"TABLE_NAME", db::ado::adVarWChar, kNameSize},
               {"TABLE_TYPE", db::ado::adVarWChar, kNameSize}} {
    if (!table.empty()) {
        if (const CatalogueEntry* entry = database_->catalogue().find(table))
            entries_.push_back(entry);
        return;
    }
    for (const CatalogueEntry& entry : database_->catalogue().entries()) entries_.push_back(&entry);
}

std::int64_t SchemaCursor::rowCount() {
    return static_cast<std::int64_t>(entries_.size());
}

bool SchemaCursor::fetch(std::vector<db::Value>& row) {
    if (next_ >= entries_.size()) return false;
    const CatalogueEntry& entry = *entries_[next_++];
    row.resize(columns_.size());
    row[0].setNull();
    row[1].setNull();
    row[2].setText() = entry.name;
    row[3].setText() = entry.tableType;
    return true;
}

}  // namespace velmora::access

#pragma once
// A read-only session on one Access database.

#include <memory>

#include "access/AccessDatabase.h"
#include "dataaccess/Provider.h"

namespace velmora::access {

class AccessSession final : public db::Session {
  public:
    explicit AccessSession(std::shared_ptr<const AccessDatabase> database)
        : database_(std::move(database)) {}

    // The provider opens databases read-only: always fails.
    void execute(std::string_view statement) override;
    // SELECT * FROM `table` over a table of the database, or of the database beside it
    // that a linked table names; anything else fails.
    std::unique_ptr<db::RowCursor> query(std::string_view statement) override;
    // Kinds 20 (tables), 12 (indexes; a linked table's are read from its database),
    // 4 (column rules), 27 (relationships) and 23 (saved queries).
    std::unique_ptr<db::RowCursor> schema(int kind, std::string_view table) override;
    db::SourceDamage damage() const override { return database_->catalogue().damage(); }

  private:
    struct Located {
        std::shared_ptr<const AccessDatabase> database;
        const CatalogueEntry* entry = nullptr;
    };
    // The table a statement or restriction names, followed through a link.
    Located locate(const std::string& name);
    Located linkedTable(const CatalogueEntry& link);
    std::unique_ptr<db::RowCursor> indexes(std::string_view table);

    std::shared_ptr<const AccessDatabase> database_;
};

}  // namespace velmora::access

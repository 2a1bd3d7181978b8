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
    // Kinds 20 (tables), 4 (column rules), 27 (relationships) and 23 (saved queries).
    std::unique_ptr<db::RowCursor> schema(int kind) override;
    db::SourceDamage damage() const override { return database_->catalogue().damage(); }

  private:
    std::unique_ptr<db::RowCursor> linkedTable(const CatalogueEntry& link);

    std::shared_ptr<const AccessDatabase> database_;
};

}  // namespace velmora::access

#include "access/AccessSession.h"

#include "access/SchemaCursor.h"
#include "access/Statement.h"
#include "access/TableCursor.h"
#include "dataaccess/AdoTypes.h"

namespace velmora::access {

namespace {
[[noreturn]] void fail(const std::string& description) {
    throw db::DbError(db::errc::kProviderFailure, description);
}
}  // namespace

void AccessSession::execute(std::string_view) {
    fail("Cannot update. Database or object is read-only.");
}

std::unique_ptr<db::RowCursor> AccessSession::query(std::string_view statement) {
    const auto name = selectAllTableName(statement);
    if (!name)
        fail(
            "The Access provider runs only statements of the form SELECT * FROM `table name`; "
            "it cannot run '" +
            std::string(statement) + "'.");
    const CatalogueEntry* entry = database_->catalogue().find(*name);
    if (!entry)
        fail("The Microsoft Access database engine cannot find the input table or query '" + *name +
             "'. Make sure it exists and that its name is spelled correctly.");
    if (entry->tableType == "VIEW")
        fail("'" + entry->name + "' is a query; the Access provider reads tables only.");
    if (entry->tableType == "LINK")
        fail("'" + entry->name + "' is a linked table; the Access provider reads only tables " +
             "stored in the database itself.");
    return std::make_unique<TableCursor>(database_, *entry);
}

std::unique_ptr<db::RowCursor> AccessSession::schema(int kind) {
    if (kind != db::ado::adSchemaTables)
        fail("Object or provider is not capable of performing requested operation (schema kind " +
             std::to_string(kind) + " is not supported).");
    return std::make_unique<SchemaCursor>(database_);
}

}  // namespace velmora::access

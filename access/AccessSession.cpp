#include "access/AccessSession.h"

#include <filesystem>

#include "access/IndexRowset.h"
#include "access/NameFolding.h"
#include "access/RulesRowsets.h"
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
    const Located table = locate(*name);
    return std::make_unique<TableCursor>(table.database, *table.entry);
}

AccessSession::Located AccessSession::locate(const std::string& name) {
    const CatalogueEntry* entry = database_->catalogue().find(name);
    if (!entry)
        fail("The Microsoft Access database engine cannot find the input table or query '" + name +
             "'. Make sure it exists and that its name is spelled correctly.");
    if (entry->tableType == "VIEW")
        fail("'" + entry->name + "' is a query; the Access provider reads tables only.");
    if (entry->tableType == "LINK") return linkedTable(*entry);
    return {database_, entry};
}

AccessSession::Located AccessSession::linkedTable(const CatalogueEntry& link) {
    // The stored path is the linking machine's; the linked file is looked for beside
    // this database, by its file name in any letter case.
    const std::string& stored = link.linkedDatabase;
    if (stored.empty())
        fail("'" + link.name + "' is linked to an ODBC data source; the table was not read.");
    const std::string fileName = stored.substr(stored.find_last_of("\\/") + 1);
    const std::filesystem::path folder = std::filesystem::path(database_->path()).parent_path();
    std::filesystem::path found;
    std::error_code ec;
    for (const auto& candidate : std::filesystem::directory_iterator(
             folder.empty() ? std::filesystem::path(".") : folder, ec))
        if (!fileName.empty() && sameName(candidate.path().filename().string(), fileName))
            found = candidate.path();
    if (found.empty() || link.foreignName.empty())
        fail("'" + link.name + "' is a linked table of the database '" + stored +
             "', which is not beside this database; the table was not read.");
    const auto linked = AccessDatabase::open(found.string(), std::string());
    const CatalogueEntry* table = linked->catalogue().find(link.foreignName);
    if (table == nullptr || table->tableType == "VIEW" || table->tableType == "LINK")
        fail("'" + link.name + "' is a linked table whose table '" + link.foreignName +
             "' is not in the database '" + found.string() + "'.");
    return {linked, table};
}

std::unique_ptr<db::RowCursor> AccessSession::schema(int kind, std::string_view table) {
    switch (kind) {
        case db::ado::adSchemaIndexes:
            return indexes(table);
        case db::ado::adSchemaColumns:
            return columnRulesRowset(*database_, table);
        case db::ado::adSchemaForeignKeys:
            return readingGuarded(*database_, "the relationships",
                                  [&] { return foreignKeysRowset(database_, table); });
        case db::ado::adSchemaViews:
            return readingGuarded(*database_, "the saved queries",
                                  [&] { return viewsRowset(database_, table); });
        default:
            break;
    }
    if (kind != db::ado::adSchemaTables)
        fail("Object or provider is not capable of performing requested operation (schema kind " +
             std::to_string(kind) + " is not supported).");
    return std::make_unique<SchemaCursor>(database_, std::string(table));
}

std::unique_ptr<db::RowCursor> AccessSession::indexes(std::string_view restriction) {
    IndexSchemaRows rows;
    const auto addTable = [&rows](const Located& table, const std::string& listedAs) {
        const AccessDatabase& database = *table.database;
        const std::string what = "the indexes of table '" + listedAs + "'";
        readingGuarded(database, what, [&] {
            const TableDefinition definition =
                readTableDefinition(database.file(), database.text(), table.entry->definitionPage);
            if (!definition.indexError.empty()) throw FormatError(definition.indexError);
            rows.add(listedAs, definition);
        });
    };
    if (!restriction.empty()) {
        const std::string name(restriction);
        addTable(locate(name), database_->catalogue().find(name)->name);
    } else {
        for (const CatalogueEntry& entry : database_->catalogue().entries())
            if (entry.tableType == "TABLE") addTable({database_, &entry}, entry.name);
    }
    return rows.cursor();
}

}  // namespace velmora::access

#include "access/IndexRowset.h"

#include "dataaccess/AdoTypes.h"
#include "dataaccess/FixedRowsCursor.h"

namespace velmora::access {

namespace {
constexpr long kNameSize = 128;
}

void IndexSchemaRows::add(const std::string& tableName, const TableDefinition& table) {
    using namespace db::ado;
    for (const IndexDefinition& index : table.indexes) {
        const int nulls = index.primaryKey || index.required ? adIndexNullsDisallow
                          : index.ignoreNulls                ? adIndexNullsIgnore
                                                             : adIndexNullsAllow;
        int ordinal = 0;
        for (const IndexColumn& column : index.columns)
            rows_.push_back(
                {db::Value(tableName), db::Value(index.name), db::Value(index.primaryKey),
                 db::Value(index.unique || index.primaryKey), db::Value(nulls),
                 db::Value(++ordinal), db::Value(table.columns[column.column].name),
                 db::Value(column.descending ? adCollationDescending : adCollationAscending)});
    }
}

std::unique_ptr<db::RowCursor> IndexSchemaRows::cursor() {
    using namespace db::ado;
    return std::make_unique<db::FixedRowsCursor>(
        std::vector<db::ColumnInfo>{{"TABLE_NAME", adVarWChar, kNameSize},
                                    {"INDEX_NAME", adVarWChar, kNameSize},
                                    {"PRIMARY_KEY", adBoolean, 2},
                                    {"UNIQUE", adBoolean, 2},
                                    {"NULLS", adInteger, 4},
                                    {"ORDINAL_POSITION", adInteger, 4},
                                    {"COLUMN_NAME", adVarWChar, kNameSize},
                                    {"COLLATION", adSmallInt, 2}},
        std::move(rows_));
}

}  // namespace velmora::access

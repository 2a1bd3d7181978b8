#pragma once
// The CREATE TABLE and CREATE INDEX statements of one table and the type-mapping
// records of its fields.

#include <QString>
#include <vector>

#include "common/ErrorReport.h"
#include "dataaccess/Recordset.h"
#include "engine/RunHost.h"
#include "engine/RunState.h"

namespace velmora {

// A column as the definition wrote it, for verification to compare with the table.
struct DefinedColumn {
    QString sourceName;  // the field's Access name ("TVXID" has none)
    QString name;        // its name in the table
    QString type;        // its type in the statement: "TEXT(50)", "INT", "DECIMAL(19,0)"
};

// Which fields the row transfer writes as numbers and which as (untransferred) long
// binary data, by ordinal, ascending; and the columns of the definition, "TVXID" first.
struct FieldRoles {
    std::vector<int> NumericFields;
    std::vector<int> BinaryFields;
    std::vector<DefinedColumn> columns;
};

struct TableProfile;
struct SourceRules;

// The run's steps from runstep::kFieldCount to runstep::kCreateIndex: appends the table's
// type-mapping records, dispatches its two statements and returns the field roles. With the profile
// of the table's values, columns whose values the mapped type cannot hold get a type that does, and
// a table whose text needs another code page than 1252 is created in that one; `targetUsed`
// receives the target name as that code page spells it. `keepBinary` gives long binary
// fields a BLOB column that receives their bytes. With the source's `rules`, each column
// carries its required, default and range clauses and `leftBehind` receives what it cannot.
FieldRoles BuildTableDefinition(const QString& sourceName, const QString& targetName,
                                const db::Recordset& sourceRows, Procedure& proc, RunHost& host,
                                RunState& state, const TableProfile* profile = nullptr,
                                QString* targetUsed = nullptr, bool keepBinary = false,
                                const SourceRules* rules = nullptr,
                                QStringList* leftBehind = nullptr);

}  // namespace velmora

#pragma once
// What "--keys access" makes of a table's Access keys. The Access provider lists them
// (the INDEXES schema rowset, the fields' AutoNumber kind); the run turns them into:
//  - the primary key: a table with an Access primary key is keyed on its fields, moved
//    to the front in key order, and has no "TVXID" column (the key identifies each row;
//    reports still give a refused row's number in the source); a table without one is
//    keyed on "TVXID" as in the default mode;
//  - AutoNumber (Long) fields as AUTOINC columns, whose next value follows the largest
//    one written; a column whose values include numbers below 1 (random or replicated
//    numbering) stays INT and is reported;
//  - every other index as a secondary index, created after the rows (one sorted pass),
//    case-insensitive when it has a text field (Access compares text without case),
//    unique and descending where Access says so. One that Paradox cannot hold (more than
//    16 fields, directions that differ between its fields, a field written as MEMO or
//    BLOB) is reported once with its name and reason.

#include <QString>
#include <QStringList>
#include <vector>

#include "dataaccess/Connection.h"
#include "dataaccess/Recordset.h"

namespace velmora {

struct TableProfile;

// An index as the source lists it, fields by ordinal in key order.
struct SourceIndex {
    QString name;
    std::vector<int> fields;
    std::vector<bool> descending;  // per field
    bool primary = false;
    bool unique = false;
};

// The indexes of `sourceName`, through the connection's INDEXES rowset.
std::vector<SourceIndex> ReadSourceIndexes(db::Connection& source, const QString& sourceName,
                                           const db::Recordset& rows);

struct IndexPlan {
    QString accessName;
    std::vector<int> fields;  // ordinals
    bool unique = false;
    bool descending = false;
    bool caseInsensitive = false;
};

// What could not be kept: "The index X" + " of table T" + " is not written: ...".
struct NotKept {
    QString subject;
    QString rest;
};

struct KeyPlan {
    std::vector<int> primary;         // ordinals in key order; empty: keyed on "TVXID"
    QString primaryName;              // the Access primary key's name
    std::vector<int> columnOrder;     // ordinals in the order of the table's columns
    std::vector<bool> autoIncrement;  // per ordinal: written as AUTOINC
    std::vector<IndexPlan> indexes;   // written after the rows
    std::vector<NotKept> notWritten;  // what could not be kept, one sentence each
    int indexesNotWritten = 0;        // the indexes among them
    bool level7 = false;              // a descending index needs a level 7 table
};

// The plan for a table whose fields `rows` lists, from its indexes and the profile of its
// values (AutoNumber values below 1).
KeyPlan PlanKeys(const std::vector<SourceIndex>& indexes, const db::Recordset& rows,
                 const TableProfile* profile);

// The secondary index statement of `index`, with the table's column names by ordinal
// (quoted, as the CREATE TABLE statement has them); `name` is the Paradox index name.
QString SecondaryIndexStatement(const IndexPlan& index, const QString& name,
                                const QString& quotedTable, const std::vector<QString>& columns);

// A Paradox index name for an Access index name: at most 25 characters the code page
// holds, none of [ ] { } ( ) " or "->", not taken by another index of the table (`taken`,
// compared without case), and not the name of its only column unless the index is the
// column's plain index (only a single-field, case-sensitive, ascending index may share
// its field's name).
QString ParadoxIndexName(const QString& accessName, const IndexPlan& index,
                         const QString& onlyColumn, int codePage, const QStringList& taken);

}  // namespace velmora

#pragma once
// The rules of the source's tables, read once per run through the data-access interface:
// each column's Required, Default Value, Validation Rule and Text, Description, Format,
// Input Mask and lookup, each table's own rule, the relationships and the saved queries.
#include <QString>
#include <QStringList>
#include <vector>

#include "dataaccess/Connection.h"

namespace velmora {

struct ColumnProfile;

struct ColumnRules {
    QString table;
    QString column;  // empty for the table's own rule
    bool required = false;
    QString defaultValue;  // the expression as Access shows it
    QString validationRule;
    QString validationText;
    QString description;
    QString format;
    QString inputMask;
    QString lookup;
};

struct Relationship {
    QString name;
    QString parent;
    QString child;
    QStringList parentColumns;  // in order
    QStringList childColumns;
    bool enforced = true;
    bool cascadeUpdates = false;
    bool cascadeDeletes = false;
};

struct SavedQuery {
    QString name;
    QString sql;  // empty when the provider cannot rebuild it
};

struct SourceRules {
    std::vector<ColumnRules> columns;
    std::vector<Relationship> relationships;
    std::vector<SavedQuery> queries;

    // Reads them; a provider without a rowset gives none of that kind.
    static SourceRules read(db::Connection& source);
    // The column's rules, or nullptr (names compared without regard to case).
    const ColumnRules* column(const QString& table, const QString& column) const;
};

// The clauses a CREATE TABLE column carries for its rules (" NOT NULL DEFAULT 0 CHECK
// ("qty" BETWEEN 1 AND 99)"), for a column of `type` ("INT", "TEXT(50)", ...).
// `leftBehind` receives one line per rule Paradox cannot hold, with the reason.
// With the profile of the column's values, a rule that rows already break is listed
// instead, so that no row is refused for it.
QString RuleClauses(const ColumnRules& rules, const QString& quotedColumn, const QString& type,
                    QStringList& leftBehind, const ColumnProfile* values = nullptr);

// The schema report's lines for the tables' own rules and the saved queries, which no
// statement carries (the relationships are engine/Relationships.h's).
QStringList RunLevelLeftBehind(const SourceRules& rules, const QStringList& convertedTables);

}  // namespace velmora

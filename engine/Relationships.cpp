#include "engine/Relationships.h"

#include <set>
#include <unordered_set>

#include "dataaccess/Recordset.h"
#include "engine/RowReport.h"
#include "engine/TargetNames.h"

namespace velmora {

namespace {

// Paradox keeps a referential integrity rule's name in 64 bytes with its terminating zero.
constexpr qsizetype kRuleNameLength = 63;
constexpr int kOrphansShown = 10;

const TableOutcome* writtenTable(const std::vector<TableOutcome>& tables, const QString& source) {
    for (const TableOutcome& t : tables)
        if (t.result == TableResult::Written && t.source.compare(source, Qt::CaseInsensitive) == 0)
            return &t;
    return nullptr;
}

const DefinedColumn* bySourceName(const TableOutcome& table, const QString& source) {
    for (const DefinedColumn& c : table.columns)
        if (!c.sourceName.isEmpty() && c.sourceName.compare(source, Qt::CaseInsensitive) == 0)
            return &c;
    return nullptr;
}

// The table's key columns in key order (keyColumns holds them quoted).
std::vector<const DefinedColumn*> keyOf(const TableOutcome& table) {
    std::vector<const DefinedColumn*> key;
    for (const QString& quoted : table.keyColumns)
        for (const DefinedColumn& c : table.columns)
            if (QuoteIdentifier(c.name) == quoted) key.push_back(&c);
    return key;
}

QString quotedList(const QStringList& names) {
    QStringList quoted;
    for (const QString& name : names) quoted << QuoteIdentifier(name);
    return quoted.join(QStringLiteral(", "));
}

// A counter AUTOINC key is referred to by a Long (INT) field; other types must agree.
bool sameType(const QString& child, const QString& parent) {
    return child == parent || (parent == u"AUTOINC" && child == u"INT");
}

// Why the pairs cannot be linked, or empty; fills the pairs in the parent's key order.
QString pairUp(const Relationship& r, const TableOutcome& child, const TableOutcome& parent,
               CarriedRelationship& out) {
    const std::vector<const DefinedColumn*> key = keyOf(parent);
    QStringList keyNames;
    for (const DefinedColumn* c : key) keyNames << c->sourceName;
    const QString notKeyed =
        QStringLiteral("\"%1\" is keyed on (%2), not on the referenced fields.")
            .arg(r.parent, keyNames.join(QStringLiteral(", ")));
    if (static_cast<qsizetype>(key.size()) != r.parentColumns.size() ||
        static_cast<qsizetype>(key.size()) != parent.keyColumns.size())
        return notKeyed;
    for (const DefinedColumn* parentColumn : key) {
        qsizetype found = -1;
        for (qsizetype i = 0; i < r.parentColumns.size(); ++i)
            if (r.parentColumns[i].compare(parentColumn->sourceName, Qt::CaseInsensitive) == 0)
                found = i;
        if (found < 0) return notKeyed;
        const QString childSource = r.childColumns.value(found);
        const DefinedColumn* childColumn = bySourceName(child, childSource);
        if (childColumn == nullptr)
            return QStringLiteral("the field \"%1\" of \"%2\" was not written.")
                .arg(childSource, r.child);
        if (!sameType(childColumn->type, parentColumn->type))
            return QStringLiteral(
                       "\"%1\" is written as %2 and \"%3\" as %4; Paradox links fields of one "
                       "type only.")
                .arg(childSource, childColumn->type, parentColumn->sourceName, parentColumn->type);
        out.childColumns << childColumn->name;
        out.parentColumns << parentColumn->name;
        out.childSourceColumns << childColumn->sourceName;
        out.parentSourceColumns << parentColumn->sourceName;
    }
    return {};
}

// The value as a key compares it: texts whole, other kinds as the statements write them.
QString keyText(const db::Value& value) {
    return value.kind() == db::ValueKind::Text ? QString::fromStdString(value.asText())
                                               : ReportedValue(value);
}

bool blank(const db::Value& value) {
    return value.isNull() || (value.kind() == db::ValueKind::Text && value.asText().empty());
}

std::string selectAll(const TableOutcome& table, bool inTarget) {
    return (QStringLiteral("SELECT * FROM ") +
            (inTarget ? QuoteIdentifier(table.target) : u'`' + table.source + u'`'))
        .toStdString();
}

}  // namespace

QString NotCarried(const CarriedRelationship& relationship, const QString& reason) {
    return relationship.described + QStringLiteral(" not carried: ") + reason;
}

QString OrphansReason(const Orphans& orphans) {
    QString shown = orphans.shown.join(QStringLiteral(", "));
    if (orphans.rows > orphans.shown.size())
        shown += QStringLiteral(" and %1 more").arg(orphans.rows - orphans.shown.size());
    const QString count = orphans.rows == 1
                              ? QStringLiteral("1 of its rows has")
                              : QStringLiteral("%1 of its rows have").arg(orphans.rows);
    return count + QStringLiteral(" no parent (%1)").arg(shown) +
           QStringLiteral(", and Paradox links no table over such rows; no row was deleted.");
}

RelationshipPlan PlanRelationships(const SourceRules& rules,
                                   const std::vector<TableOutcome>& tables, bool accessKeys) {
    RelationshipPlan plan;
    std::set<QString> namesTaken;  // per child, without regard to case
    for (const Relationship& r : rules.relationships) {
        if (!r.enforced) continue;
        const TableOutcome* child = writtenTable(tables, r.child);
        const TableOutcome* parent = writtenTable(tables, r.parent);
        if (child == nullptr && parent == nullptr) continue;
        CarriedRelationship carried;
        carried.source = &r;
        carried.child = child;
        carried.parent = parent;
        carried.described = QStringLiteral("\"%1\": relationship \"%2\" (%3) to \"%4\" (%5)")
                                .arg(r.child, r.name, r.childColumns.join(QStringLiteral(", ")),
                                     r.parent, r.parentColumns.join(QStringLiteral(", ")));
        if (r.cascadeDeletes)
            plan.leftBehind << carried.described +
                                   QStringLiteral(
                                       ": Cascade Delete not carried: Paradox has none.");
        QString reason;
        if (child == nullptr || parent == nullptr)
            reason = QStringLiteral("the table \"%1\" was not written in this run.")
                         .arg(child == nullptr ? r.child : r.parent);
        else if (!accessKeys)
            reason = QStringLiteral(
                "its parent is keyed on TVXID, not on the referenced fields (try --keys access).");
        else if (!parent->keyedOnAccess)
            reason =
                QStringLiteral("\"%1\" has no primary key, so it is keyed on TVXID.").arg(r.parent);
        else
            reason = pairUp(r, *child, *parent, carried);
        if (!reason.isEmpty()) {
            plan.leftBehind << NotCarried(carried, reason);
        } else {
            QString name = r.name.left(kRuleNameLength);
            for (int n = 1;
                 !namesTaken.insert(child->target.toLower() + u'\x1f' + name.toLower()).second; ++n)
                name = r.name.left(kRuleNameLength - 4) + QString::number(n);
            carried.statement =
                QStringLiteral(
                    "ALTER TABLE %1 ADD CONSTRAINT %2 FOREIGN KEY (%3) "
                    "REFERENCES %4 (%5) ON UPDATE %6")
                    .arg(QuoteIdentifier(child->target), QuoteIdentifier(name),
                         quotedList(carried.childColumns), QuoteIdentifier(parent->target),
                         quotedList(carried.parentColumns),
                         r.cascadeUpdates ? QStringLiteral("CASCADE") : QStringLiteral("RESTRICT"));
            plan.carried.push_back(std::move(carried));
        }
    }
    return plan;
}

Orphans FindOrphans(db::Connection& connection, const CarriedRelationship& relationship,
                    bool inTarget) {
    const QStringList& parentColumns =
        inTarget ? relationship.parentColumns : relationship.parentSourceColumns;
    const QStringList& childColumns =
        inTarget ? relationship.childColumns : relationship.childSourceColumns;
    const auto keyOfRow = [](db::Recordset& rows, const QStringList& columns, bool& isBlank) {
        QString key;
        isBlank = false;
        for (const QString& column : columns) {
            const db::Value& v = rows.fields().item(column.toStdString()).value();
            isBlank = isBlank || blank(v);
            key += keyText(v) + u'\x1f';
        }
        return key;
    };
    std::unordered_set<QString> parents;
    db::Recordset rows;
    bool isBlank = false;
    rows.open(selectAll(*relationship.parent, inTarget), connection);
    for (; !rows.eof(); rows.moveNext()) parents.insert(keyOfRow(rows, parentColumns, isBlank));
    rows.close();

    // A row is named by its TVXID (its number in the source), or by its key.
    const TableOutcome& child = *relationship.child;
    QStringList idColumns;
    if (child.keyedOnAccess)
        for (const DefinedColumn* c : keyOf(child))
            idColumns << (inTarget ? c->name : c->sourceName);
    else if (inTarget)
        idColumns << QStringLiteral("TVXID");
    Orphans orphans;
    rows.open(selectAll(child, inTarget), connection);
    for (std::int64_t number = 0; !rows.eof(); rows.moveNext(), ++number) {
        const QString key = keyOfRow(rows, childColumns, isBlank);
        if (isBlank || parents.count(key) > 0) continue;
        if (++orphans.rows > kOrphansShown) continue;
        if (idColumns.isEmpty()) {
            orphans.shown << QStringLiteral("TVXID %1").arg(number);
            continue;
        }
        QStringList values;
        for (const QString& column : idColumns)
            values << column + u'=' +
                          ReportedValue(rows.fields().item(column.toStdString()).value());
        orphans.shown << (child.keyedOnAccess
                              ? values.join(QStringLiteral(", "))
                              : QStringLiteral("TVXID ") +
                                    ReportedValue(rows.fields().item("TVXID").value()));
    }
    return orphans;
}

}  // namespace velmora

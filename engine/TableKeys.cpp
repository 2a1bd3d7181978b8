#include "engine/TableKeys.h"

#include <algorithm>

#include "dataaccess/AdoTypes.h"
#include "engine/CodePageChoice.h"
#include "engine/ColumnProfile.h"
#include "engine/TargetNames.h"

namespace velmora {

namespace {

constexpr int kMaxIndexFields = 16;
constexpr int kIndexNameLength = 25;

bool isText(std::int16_t type) {
    using namespace db::ado;
    return type == adChar || type == adWChar || type == adVarChar || type == adVarWChar ||
           type == adLongVarChar || type == adLongVarWChar || type == adBSTR;
}

int ordinalOf(const db::Recordset& rows, const std::string& name) {
    for (int i = 0; i < rows.fields().count(); ++i)
        if (rows.fields()[i].name() == name) return i;
    return -1;
}

}  // namespace

std::vector<SourceIndex> ReadSourceIndexes(db::Connection& source, const QString& sourceName,
                                           const db::Recordset& rows) {
    std::vector<SourceIndex> indexes;
    auto listed = source.openSchema(db::ado::adSchemaIndexes, sourceName.toStdString());
    for (; !listed->eof(); listed->moveNext()) {
        const db::Fields& f = listed->fields();
        const QString name = QString::fromStdString(f.item("INDEX_NAME").value().asText());
        if (f.item("ORDINAL_POSITION").value().asInt() == 1 || indexes.empty() ||
            indexes.back().name != name) {
            indexes.push_back({name,
                               {},
                               {},
                               f.item("PRIMARY_KEY").value().asBool(),
                               f.item("UNIQUE").value().asBool()});
        }
        const std::string column = f.item("COLUMN_NAME").value().asText();
        const int ordinal = ordinalOf(rows, column);
        if (ordinal < 0)
            throw std::runtime_error("the index " + name.toStdString() + " of table " +
                                     sourceName.toStdString() + " names the field " + column +
                                     ", which the table does not have");
        indexes.back().fields.push_back(ordinal);
        indexes.back().descending.push_back(f.item("COLLATION").value().asInt() ==
                                            db::ado::adCollationDescending);
    }
    return indexes;
}

KeyPlan PlanKeys(const std::vector<SourceIndex>& indexes, const db::Recordset& rows,
                 const TableProfile* profile) {
    KeyPlan plan;
    const int fields = rows.fields().count();
    const auto fieldName = [&](int ordinal) {
        return QString::fromStdString(rows.fields()[ordinal].name());
    };
    for (const SourceIndex& index : indexes) {
        if (!index.primary || !plan.primary.empty() || !plan.primaryName.isEmpty()) continue;
        plan.primaryName = index.name;
        if (static_cast<int>(index.fields.size()) > kMaxIndexFields)
            plan.notWritten.push_back({QStringLiteral("The primary key ") + index.name,
                                       QStringLiteral("has more than 16 fields, which a Paradox "
                                                      "key cannot hold; the table is keyed on "
                                                      "TVXID.")});
        else
            plan.primary = index.fields;
    }
    plan.columnOrder = plan.primary;
    for (int ordinal = 0; ordinal < fields; ++ordinal)
        if (std::find(plan.primary.begin(), plan.primary.end(), ordinal) == plan.primary.end())
            plan.columnOrder.push_back(ordinal);

    plan.autoIncrement.assign(static_cast<std::size_t>(fields), false);
    for (int ordinal = 0; ordinal < fields; ++ordinal) {
        if (rows.fields()[ordinal].autoNumber() != db::AutoNumber::Increment) continue;
        const ColumnProfile* values =
            profile != nullptr ? &profile->columns[static_cast<std::size_t>(ordinal)] : nullptr;
        if (values != nullptr && values->hasInteger && values->smallestInteger < 1)
            plan.notWritten.push_back(
                {QStringLiteral("The AutoNumber field ") + fieldName(ordinal),
                 QStringLiteral("holds numbers below 1 (") +
                     QString::number(values->smallestInteger) +
                     QStringLiteral("), which a Paradox autoincrement field cannot hold; it is "
                                    "written as INT.")});
        else
            plan.autoIncrement[static_cast<std::size_t>(ordinal)] = true;
    }

    for (const SourceIndex& index : indexes) {
        if (index.primary && index.name == plan.primaryName) continue;
        const auto reported = [&](const QString& why) {
            plan.notWritten.push_back({QStringLiteral("The index ") + index.name,
                                       QStringLiteral("is not written: ") + why});
            ++plan.indexesNotWritten;
        };
        if (static_cast<int>(index.fields.size()) > kMaxIndexFields) {
            reported(
                QStringLiteral("it has more than 16 fields, which a Paradox index cannot hold."));
            continue;
        }
        const bool descending = index.descending.front();
        if (std::any_of(index.descending.begin(), index.descending.end(),
                        [&](bool d) { return d != descending; })) {
            reported(
                QStringLiteral("its fields are sorted in different directions; a Paradox "
                               "index runs one way."));
            continue;
        }
        IndexPlan planned{index.name, index.fields, index.unique, descending, false};
        for (const int ordinal : index.fields)
            planned.caseInsensitive =
                planned.caseInsensitive || isText(rows.fields()[ordinal].type());
        plan.level7 = plan.level7 || descending;
        plan.indexes.push_back(planned);
    }
    return plan;
}

QString SecondaryIndexStatement(const IndexPlan& index, const QString& name,
                                const QString& quotedTable, const std::vector<QString>& columns) {
    QString statement = QStringLiteral("CREATE ");
    if (index.unique) statement += QStringLiteral("UNIQUE ");
    if (index.descending) statement += QStringLiteral("DESC ");
    statement += QStringLiteral("INDEX ") + QuoteIdentifier(name) + QStringLiteral(" ON ") +
                 quotedTable + QStringLiteral(" (");
    for (std::size_t i = 0; i < index.fields.size(); ++i) {
        if (i > 0) statement += QStringLiteral(", ");
        statement += columns[static_cast<std::size_t>(index.fields[i])];
    }
    statement += u')';
    if (index.caseInsensitive) statement += QStringLiteral(" CASE INSENSITIVE");
    return statement;
}

QString ParadoxIndexName(const QString& accessName, const IndexPlan& index,
                         const QString& onlyColumn, int codePage, const QStringList& taken) {
    QString name = BestFitName(accessName, codePage);
    name.replace(QStringLiteral("->"), QStringLiteral("_"));
    for (QChar& c : name)
        if (QStringLiteral("[]{}()\"").contains(c) || c.unicode() < 0x20 || c.unicode() == 0x7F)
            c = u'_';
    while (name.startsWith(u' ')) name.remove(0, 1);
    if (name.isEmpty() || name == QStringLiteral("#")) name = QStringLiteral("Index");
    name = name.left(kIndexNameLength);
    // Only the field's own plain index may take the field's name.
    const bool plain = index.fields.size() == 1 && !index.caseInsensitive && !index.descending;
    if (!onlyColumn.isEmpty() && !plain && name.compare(onlyColumn, Qt::CaseInsensitive) == 0)
        name = name.left(kIndexNameLength - 3) + QStringLiteral("_ci");
    const QString base = name;
    for (int counter = 0; taken.contains(name, Qt::CaseInsensitive); ++counter) {
        const QString digits = QString::number(counter);
        name = base.left(kIndexNameLength - static_cast<int>(digits.size())) + digits;
    }
    return name;
}

}  // namespace velmora

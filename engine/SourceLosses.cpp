#include "engine/SourceLosses.h"

#include "engine/TargetNames.h"

namespace velmora {

namespace {
// A report names this many ranges; --rejects keeps them all.
constexpr qsizetype kShownRanges = 10;
}  // namespace

QString GroupedCount(std::int64_t n) {
    QString digits = QString::number(n < 0 ? -n : n);
    for (qsizetype at = digits.size() - 3; at > 0; at -= 3) digits.insert(at, u',');
    return n < 0 ? u'-' + digits : digits;
}

QString LossRange(const db::LostRows& loss) {
    QString reason = QString::fromStdString(loss.reason);
    if (!loss.countKnown)
        return QStringLiteral("an unknown number of rows from row ") + GroupedCount(loss.first) +
               QStringLiteral(" on: ") + reason;
    if (loss.movedRowsFound > 0)
        reason += QStringLiteral(
                      "; %1 of these rows survive on the pages Access had moved "
                      "them to and are given after the table's last row, their "
                      "places unknown")
                      .arg(GroupedCount(loss.movedRowsFound));
    const std::int64_t places = loss.count + loss.movedRowsFound;
    if (places == 1)
        return QStringLiteral("row ") + GroupedCount(loss.first) + QStringLiteral(": ") + reason;
    return QStringLiteral("rows ") + GroupedCount(loss.first) + QStringLiteral(" to ") +
           GroupedCount(loss.first + places - 1) + QStringLiteral(": ") + reason;
}

TableLosses SummarizeLosses(const std::vector<db::LostRows>& lost,
                            const db::LostColumns& lostColumns) {
    TableLosses losses;
    for (const std::string& name : lostColumns.names)
        losses.columns << QString::fromStdString(name);
    losses.columnsReason = QString::fromStdString(lostColumns.reason);
    for (const db::LostRows& loss : lost) {
        losses.rows += loss.countKnown ? loss.count : 0;
        losses.countKnown = losses.countKnown && loss.countKnown;
        losses.pagesMissing += loss.pagesMissing;
        losses.ranges << LossRange(loss);
    }
    return losses;
}

namespace {

QString QuotedFields(const TableLosses& losses) {
    QStringList quoted;
    for (const QString& column : losses.columns) quoted << QuoteIdentifier(column);
    return (quoted.size() == 1 ? QStringLiteral("field ") : QStringLiteral("fields ")) +
           quoted.join(QStringLiteral(", "));
}

QString ColumnsLeftOut(const TableLosses& losses) {
    return QStringLiteral("its ") + QuotedFields(losses) +
           QStringLiteral(
               " could not be read from the damaged source and were left out of every "
               "row: ") +
           losses.columnsReason;
}

}  // namespace

QString LossReport(const QString& table, std::int64_t rowsInSource, const TableLosses& losses) {
    const QString start = QStringLiteral("Table ") + QuoteIdentifier(table) + QStringLiteral(": ");
    if (losses.ranges.isEmpty()) return start + ColumnsLeftOut(losses) + u'.';
    QString text =
        start +
        (losses.columns.isEmpty() ? QString() : ColumnsLeftOut(losses) + QStringLiteral("; ")) +
        (losses.countKnown ? QString() : QStringLiteral("at least ")) + GroupedCount(losses.rows) +
        QStringLiteral(" of its ") + GroupedCount(rowsInSource) +
        QStringLiteral(
            " rows could not be read from the damaged source and were left out "
            "(rows by TVXID): ") +
        losses.ranges.mid(0, kShownRanges).join(QStringLiteral("; "));
    if (losses.ranges.size() > kShownRanges)
        text += QStringLiteral("; and ") + GroupedCount(losses.ranges.size() - kShownRanges) +
                QStringLiteral(" more ranges");
    return text + u'.';
}

QString LostFieldsNote(const TableLosses& losses) {
    return QuotedFields(losses) + QStringLiteral(", left out of every row: ") +
           losses.columnsReason;
}

QString CatalogueDamageReport(const QString& file, const db::SourceDamage& damage) {
    QString text = QStringLiteral("The catalogue of tables of ") + file +
                   QStringLiteral(" is damaged (") + QString::fromStdString(damage.catalogue) +
                   QStringLiteral(").");
    if (damage.recoveredTables.empty())
        return text + QStringLiteral(" No table was found beyond those it still names.");
    QStringList names;
    for (const std::string& name : damage.recoveredTables) names << QString::fromStdString(name);
    return text + QStringLiteral(" These tables were found from their definitions instead: ") +
           names.join(QStringLiteral(", ")) + u'.';
}

QString StrictRefusal(const QString& table, const QString& file, const TableLosses& losses,
                      bool recovered) {
    const QString damage =
        recovered ? QStringLiteral(
                        "its entry in the catalogue of tables is lost; it was found "
                        "from its definition")
        : !losses.ranges.isEmpty()
            ? losses.ranges.value(0)
            : QStringLiteral("the fields ") + losses.columns.join(QStringLiteral(", ")) +
                  QStringLiteral(": ") + losses.columnsReason;
    return QStringLiteral("Could not read table '") + table + QStringLiteral("' of '") + file +
           QStringLiteral("': the file is damaged (") + damage +
           QStringLiteral("). Strict reading copies nothing of a damaged table.");
}

}  // namespace velmora

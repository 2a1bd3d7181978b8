// The command line's summary and the window's final message read the same records: for a
// run with one table of each outcome, both name every table with the same outcome.

#include <gtest/gtest.h>

#include <QStringList>
#include <map>

#include "cli/TableSummary.h"
#include "engine/RunSummary.h"
#include "tests/support/QtPrinters.h"

using namespace velmora;

namespace {

TableOutcome table(const char* name, TableResult result) {
    TableOutcome t;
    t.source = QString::fromLatin1(name);
    if (result != TableResult::NotReached) t.target = t.source;
    t.result = result;
    t.read = result == TableResult::Written || result == TableResult::PartlyWritten ||
             result == TableResult::NotExecuted;
    if (t.read) t.rowsSent = true, t.rowsInSource = t.rowsRead = t.rowsWritten = 10;
    if (result == TableResult::Failed) t.statementsFailed = 1;
    return t;
}

// The table names after each heading of the final message: "Tables skipped: A, B.".
std::map<QString, QString> headingPerTable(const QString& message) {
    std::map<QString, QString> headings;
    for (const QString& line : message.split(QStringLiteral("\r\n"))) {
        const qsizetype colon = line.indexOf(QStringLiteral(": "));
        if (!line.startsWith(QStringLiteral("Tables ")) || colon < 0 ||
            line.startsWith(QStringLiteral("Tables written: ")))
            continue;
        for (const QString& name : line.mid(colon + 2).chopped(1).split(QStringLiteral(", ")))
            headings[name] = line.left(colon);
    }
    return headings;
}

// What the command line says of each table: "  A -> A: skipped, ..." or "  A: not reached".
std::map<QString, QString> wordsPerTable(const QString& summary) {
    std::map<QString, QString> words;
    for (const QString& line : summary.split(u'\n', Qt::SkipEmptyParts)) {
        const qsizetype colon = line.indexOf(QStringLiteral(": "));
        const QString named = line.left(colon).trimmed();
        words[named.section(QStringLiteral(" -> "), 0, 0)] = line.mid(colon + 2);
    }
    return words;
}

}  // namespace

TEST(RunSummaries, CommandLineAndFinalMessageNameEachTableWithTheSameOutcome) {
    RunStatistics stats;
    stats.tables = {
        table("Orders", TableResult::Written),     table("Regions", TableResult::PartlyWritten),
        table("Notes", TableResult::NotExecuted),  table("Customers", TableResult::Declined),
        table("Damaged", TableResult::Unreadable), table("Products", TableResult::Failed),
        table("Archive", TableResult::NotReached)};
    const QString message = RunSummaryText(stats);
    const std::map<QString, QString> headings = headingPerTable(message);
    const std::map<QString, QString> words =
        wordsPerTable(QString::fromStdString(TableSummary(stats, false)));

    // The message counts the written table; the command line gives its rows.
    EXPECT_TRUE(message.contains(QStringLiteral("\r\nTables written: 1 of 7.\r\n")))
        << message.toStdString();
    EXPECT_EQ(headings.count(QStringLiteral("Orders")), 0u);
    EXPECT_EQ(words.at(QStringLiteral("Orders")),
              QStringLiteral("10 of 10 rows read, 10 written, 0 refused, 0 unreadable"));
    // Every other table under the heading that matches the command line's words for it.
    const struct {
        const char* table;
        const char* heading;
        const char* words;
    } named[] = {
        {"Regions", "Tables partly written (the SQL Preview was closed after an error)",
         "partly written"},
        {"Notes", "Tables skipped", "skipped"},
        {"Customers", "Tables skipped", "skipped"},
        {"Damaged", "Tables skipped", "not readable"},
        {"Products", "Tables that could not be written (each is as it was)", "not written"},
        {"Archive", "Tables not reached", "not reached"},
    };
    EXPECT_EQ(headings.size(), std::size(named)) << message.toStdString();
    EXPECT_EQ(words.size(), stats.tables.size());
    for (const auto& n : named) {
        const QString name = QString::fromLatin1(n.table);
        ASSERT_EQ(headings.count(name), 1u) << n.table << '\n' << message.toStdString();
        ASSERT_EQ(words.count(name), 1u) << n.table;
        EXPECT_EQ(headings.at(name), QString::fromLatin1(n.heading)) << n.table;
        EXPECT_TRUE(words.at(name).contains(QString::fromLatin1(n.words)))
            << words.at(name).toStdString();
    }
}

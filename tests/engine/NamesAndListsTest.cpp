#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "cli/StatementFile.h"
#include "cli/TerminalHost.h"
#include "engine/RunState.h"
#include "engine/StatementList.h"
#include "engine/TargetNames.h"
#include "tests/support/TestHosts.h"

using namespace velmora;

TEST(TargetNames, CleaningAndCutting) {
    EXPECT_EQ(TargetTableName("Order Details"), "OrderDetails");
    EXPECT_EQ(TargetTableName("Sales (2020)'s"), "Sales2020s");
    EXPECT_EQ(TargetTableName("Quarterly Revenue By Region"), "QuarterlyRevenueByRegi");
    EXPECT_EQ(TargetTableName("a/b\\c:d*e?f\"g<h>i|j\tk"), "abcdefghijk");
    EXPECT_EQ(TargetTableName("../../etc/passwd"), "....etcpasswd");
    EXPECT_EQ(QuoteIdentifier("a\"b"), "\"a\"\"b\"");
}

// Cutting at 22 characters and making a name unique never leave half a surrogate pair.
TEST(TargetNames, CutsKeepSurrogatePairsWhole) {
    const QString emoji = QString::fromUtf8("\xF0\x9F\x98\x80");
    EXPECT_EQ(TargetTableName(QString(21, u'a') + emoji + u'b'), QString(21, u'a'));
    EXPECT_EQ(TargetTableName(QString(20, u'a') + emoji + u'b'), QString(20, u'a') + emoji);
    const QString withEmoji = QString(20, u'a') + emoji;
    EXPECT_EQ(UniqueTargetName(withEmoji, {withEmoji.toUpper()}), QString(20, u'a') + u'0');
    EXPECT_EQ(UniqueTargetName("Orders", {"orders", "Order0"}), "Order1");
    EXPECT_EQ(UniqueTargetName("Orders", {"Other"}), "Orders");
}

TEST(TargetNames, ConnectionString) {
    EXPECT_EQ(TargetConnectionString("/data/px"),
              "Driver={Microsoft Paradox Driver (*.db )};DriverID=538;Fil=Paradox "
              "5.X;DefaultDir=/data/px/;"
              "Dbq=/data/px/;CollatingSequence=ASCII;");
    EXPECT_EQ(TargetConnectionString("/a;b={c}"),
              "Driver={Microsoft Paradox Driver (*.db )};DriverID=538;Fil=Paradox "
              "5.X;DefaultDir={/a;b={c}}/};Dbq={/a;b={c}}/};CollatingSequence=ASCII;");
}

TEST(StatementList, EditsCheckMarksAndMemory) {
    StatementList list;
    const std::string statement(120, 'x');
    for (int i = 0; i < 100000; ++i) list.append(std::string_view(statement));
    EXPECT_EQ(list.textBytes(), 120u * 100000u);
    EXPECT_LE(list.memoryBytes(), list.textBytes() * 3 / 2);

    list.setChecked(5, true);
    list.setText(5, QString::fromUtf8("INSERT 'Grüße'"));
    EXPECT_EQ(list.text(5), QString::fromUtf8("INSERT 'Grüße'"));
    EXPECT_TRUE(list.isChecked(5));
    EXPECT_EQ(list.cellLength(5, 0), 14);
    // Rewriting every item keeps memory bounded: old texts are compacted away.
    for (int round = 0; round < 3; ++round)
        for (int i = 0; i < list.count(); ++i) list.setText(i, QString(120, QChar(u'a' + round)));
    EXPECT_EQ(list.text(99999), QString(120, u'c'));
    EXPECT_TRUE(list.isChecked(5));
    EXPECT_LE(list.memoryBytes(), list.textBytes() * 5 / 2);
}

namespace {
struct FakeClipboard : Clipboard {
    int busyAttempts = 0;
    QString text = "untouched";
    bool tryClear() override {
        if (busyAttempts > 0) {
            --busyAttempts;
            return false;
        }
        text.clear();
        return true;
    }
    bool trySetText(const QString& t, int) override {
        if (busyAttempts > 0) {
            --busyAttempts;
            return false;
        }
        text = t;
        return true;
    }
};

struct Table : ClipboardTable {
    std::vector<std::vector<QString>> cells;
    std::vector<bool> checked;
    int tableRows() const override { return static_cast<int>(cells.size()); }
    int tableColumns() const override {
        return cells.empty() ? 1 : static_cast<int>(cells[0].size());
    }
    QString cellText(int r, int c) const override { return cells[r][c]; }
    bool rowChecked(int r) const override { return checked[r]; }
};
}  // namespace

TEST(CopyListViewToClipboard, AlignsColumnsAndTrimsRows) {
    Table t;
    t.cells = {{"x", "yy", "z"}, {"abcde", "abc", "abcd"}};
    t.checked = {true, false};
    FakeClipboard cb;
    NoEventPump pump;
    CopyListViewToClipboard(t, cb, pump);
    EXPECT_EQ(cb.text, "x    \tyy \tz\r\n");

    StatementList list;
    list.append(std::string_view("A  "));
    list.append(std::string_view("B"));
    list.append(std::string_view("C"));
    list.setChecked(0, true);
    list.setChecked(1, true);
    CopyListViewToClipboard(list, cb, pump);
    EXPECT_EQ(cb.text, "A\r\nB\r\n");
}

TEST(CopyListViewToClipboard, EmptyTablesNothingCheckedAndLongLines) {
    FakeClipboard cb;
    NoEventPump pump;
    StatementList list;
    CopyListViewToClipboard(list, cb, pump);
    EXPECT_EQ(cb.text, "untouched");
    list.append(std::string_view("A"));
    CopyListViewToClipboard(list, cb, pump);
    EXPECT_EQ(cb.text, "");
    const std::string longLine(40000, 'q');
    list.append(std::string_view(longLine));
    list.setChecked(1, true);
    cb.busyAttempts = 5;  // held by another program for a moment
    CopyListViewToClipboard(list, cb, pump);
    EXPECT_EQ(cb.text, QString::fromStdString(longLine) + "\r\n");
}

TEST(StatementFile, EscapesRoundTripAndBadEscapesAreNamed) {
    const std::string statement = "INSERT INTO \"T\" VALUES(0,'a\\b\r\nc\td\n')";
    const std::string line = EscapeLine(statement);
    EXPECT_EQ(line, "INSERT INTO \"T\" VALUES(0,'a\\\\b\\r\\nc\\td\\n')");
    EXPECT_EQ(UnescapeLine(line), statement);
    EXPECT_THROW(UnescapeLine("abc\\x"), std::runtime_error);
    EXPECT_THROW(UnescapeLine("abc\\"), std::runtime_error);

    QTemporaryDir dir;
    StatementList list, back;
    list.append(std::string_view(statement));
    list.append(std::string_view("   "));
    WriteStatementFile(dir.filePath("s.sql"), list);
    ReadStatementFile(dir.filePath("s.sql"), back);
    ASSERT_EQ(back.count(), 2);
    EXPECT_EQ(back.utf8(0), statement);
    EXPECT_EQ(back.utf8(1), "   ");

    // A --sql run's file takes each statement as it is made; the list stays empty, and a
    // file that cannot be written is one failure when the preview shows.
    RunState state;
    StatementFilePreview streamed(dir.filePath("streamed.sql"), false);
    streamed.take(statement);
    streamed.take("   ");
    streamed.showPreview(state);
    EXPECT_TRUE(streamed.written());
    EXPECT_EQ(streamed.count(), 2);
    StatementList again;
    ReadStatementFile(dir.filePath("streamed.sql"), again);
    ASSERT_EQ(again.count(), 2);
    EXPECT_EQ(again.utf8(0), statement);
    StatementFilePreview lost(dir.filePath("missing/s.sql"), false);
    lost.take(statement);
    EXPECT_THROW(lost.showPreview(state), std::runtime_error);
    EXPECT_FALSE(lost.written());
}

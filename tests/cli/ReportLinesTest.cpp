// Reports on the command line: one line each, a row's naming its table, row and TVXID;
// the first 20 of a table, then how many more.

#include <gtest/gtest.h>

#include <sstream>

#include "cli/CommandLine.h"
#include "cli/ReportLines.h"
#include "common/ErrorReport.h"

using namespace velmora;

namespace {

QString rowReport(const QString& table, int tvxid, const QString& values = {}) {
    const QString description =
        QStringLiteral(
            "[Paradox Driver] SQLException: the character \u014C does not exist\r\n"
            "in code page 1252\r\nRefused: table \"") +
        QString(table).replace(u'"', QStringLiteral("\"\"")) + QStringLiteral("\", row TVXID ") +
        QString::number(tvxid) + (values.isEmpty() ? QString() : " (" + values + ")");
    return composeErrorReport(description, reportLocation("Form1", "PushButton7_Click"), 490);
}

QStringList lines(const std::ostringstream& out) {
    return QString::fromStdString(out.str()).split(u'\n', Qt::SkipEmptyParts);
}

}  // namespace

TEST(ReportLines, EachReportIsOneLineNamingTableRowAndTvxid) {
    EXPECT_EQ(ReportLine(rowReport("Orders", 17, "ID=5, City='\u014Csaka'"), false),
              "velmora-convert: table \"Orders\", row 18 (TVXID 17): refused: [Paradox Driver] "
              "SQLException: the character \u014C does not exist in code page 1252 "
              "[ID=5, City='\u014Csaka']");
    // A name holding a double quote reads back whole; --verbose adds where it was made.
    EXPECT_EQ(ReportLine(rowReport("Sales \"2020\"", 0), true),
              "velmora-convert: table \"Sales \"\"2020\"\"\", row 1 (TVXID 0): refused: "
              "[Paradox Driver] SQLException: the character \u014C does not exist in code page "
              "1252 (in Kestrune2021/08/31.Form1.PushButton7_Click at line 490)");
    const QString unread = composeErrorReport(
        "Page 12 is damaged\r\nNot read and left out: table \"T\", row TVXID 4", "in x ", 492);
    EXPECT_EQ(ReportLine(unread, false),
              "velmora-convert: table \"T\", row 5 (TVXID 4): not read and left out: Page 12 is "
              "damaged");
    EXPECT_EQ(ReportLine(composeErrorReport("Not a valid password.", "in x ", 134), false),
              "velmora-convert: Not a valid password.");
    EXPECT_EQ(ReportLine("plain\r\ntext", false), "velmora-convert: plain text");
}

TEST(ReportLines, FirstTwentyOfATableThenHowManyMore) {
    for (const Verbosity verbosity : {Verbosity::Normal, Verbosity::Verbose}) {
        std::ostringstream messages, errors;
        TerminalPrompts prompts(OverwritePolicy::No, verbosity, messages, nullptr, &errors);
        prompts.setHiddenReportsHint(" (see r.sql)");
        for (int row = 0; row < 25; ++row) prompts.errorReport(rowReport("T", row));
        for (int row = 0; row < 3; ++row) prompts.errorReport(rowReport("U", row));
        prompts.errorReport(composeErrorReport("The folder is gone", "in x ", 140));
        prompts.finish();
        const QStringList printed = lines(errors);
        EXPECT_EQ(prompts.reports(), 29);
        if (verbosity == Verbosity::Verbose) {
            EXPECT_EQ(printed.size(), 29);
            continue;
        }
        ASSERT_EQ(printed.size(), 20 + 1 + 3 + 1) << errors.str();
        EXPECT_TRUE(printed[19].contains("row 20 (TVXID 19)"));
        // The count comes when the next table reports, before its first line.
        EXPECT_EQ(printed[20],
                  "velmora-convert: table \"T\": 5 more row reports not shown "
                  "(see r.sql)");
        EXPECT_TRUE(printed[21].startsWith("velmora-convert: table \"U\", row 1 (TVXID 0)"));
        EXPECT_EQ(printed[24], "velmora-convert: The folder is gone");
        EXPECT_TRUE(messages.str().empty());
    }
    // Quiet keeps the reports but not the run's messages.
    std::ostringstream messages, errors;
    TerminalPrompts quiet(OverwritePolicy::No, Verbosity::Quiet, messages, nullptr, &errors);
    quiet.message("Done.", {});
    quiet.errorReport(rowReport("T", 1));
    EXPECT_TRUE(messages.str().empty());
    EXPECT_EQ(lines(errors).size(), 1);
}

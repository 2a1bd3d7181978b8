#include <gtest/gtest.h>

#include <QStringList>

#include <stdexcept>

#include "common/ErrorReport.h"
#include "common/Prompts.h"
#include "dataaccess/DbError.h"
#include "tests/support/TestHosts.h"

using namespace velmora;

using test::RecordingPrompts;

TEST(ErrorReport, ComposesDescriptionLocationLineAndMailRequest) {
    const QString text =
        composeErrorReport("Permission denied", reportLocation("Form1", "PushButton1_Click"), 104);
    EXPECT_TRUE(text.startsWith(
        "Permission denied\r\nin Kestrune2021/08/31.Form1.PushButton1_Click at line 104\r\r"
        "Please email screenshot of this message to "));
    EXPECT_FALSE(text.contains("\r\r\n"));
}

TEST(ErrorReport, FolderWalkUsesItsOwnProjectName) {
    EXPECT_EQ(reportLocation("AddFolder", "GetSubDirectories2016", "Quillmere"),
              "in Quillmere2021/08/31.AddFolder.GetSubDirectories2016 ");
}

TEST(Procedure, FailingStepIsReportedAndTheNextStepRuns) {
    RecordingPrompts prompts;
    Procedure proc(prompts, reportLocation("Form1", "PushButton3_Click"));
    QStringList ran;
    proc.step(100, [&] { throw velmora::db::DbError(5, "boom"); });
    proc.step(102, [&] { ran << "102"; });
    ASSERT_EQ(prompts.reports.size(), 1);
    EXPECT_TRUE(prompts.reports[0].startsWith(
        "boom\r\nin Kestrune2021/08/31.Form1.PushButton3_Click at line 100"));
    EXPECT_EQ(ran, QStringList{"102"});
}

TEST(Procedure, FailingDecisionTestEntersTheGuardedBranch) {
    RecordingPrompts prompts;
    Procedure proc(prompts, "in x ");
    EXPECT_TRUE(proc.test(118, []() -> bool { throw std::runtime_error("no"); }));
    EXPECT_FALSE(proc.test(120, [] { return false; }));
    EXPECT_EQ(prompts.reports.size(), 1);
}

// Execute SQL through the real Paradox driver: an SQL error on the third line, another
// error on the third line, jumping back to the error, and fixing lines until the list
// runs through.

#include <QProgressBar>
#include <QTest>
#include <algorithm>

#include "preview/CaptionedProgressBar.h"
#include "preview/ExactTextBox.h"
#include "preview/PreviewWindow.h"
#include "preview/StatementView.h"
#include "tests/preview/ModalHandler.h"
#include "tests/preview/PreviewFixtures.h"
#include "tests/support/ScratchTargetFolder.h"

namespace velmora::test {
namespace {

using Keys = std::vector<std::int64_t>;

const QString kCreate = QStringLiteral("CREATE TABLE \"t\"(\"TVXID\" INT,\"Name\" TEXT(10))");
QString Insert(int key, const QString& name) {
    return QStringLiteral("INSERT INTO \"t\" VALUES(%1,'%2')").arg(key).arg(name);
}

struct DriverExecutionTest : ::testing::Test {
    TargetFolder folder;
    RunState state;
    ModalHandler modals;

    void SetUp() override {
        state.targetConnection = std::make_unique<db::Connection>();
        const std::string problem = folder.open(*state.targetConnection);
        if (!problem.empty()) FAIL() << "the Paradox driver cannot open a folder: " << problem;
        // As a per-table preview finds them.
        state.stopAfterPreview = true;
        state.previewExecuted = false;
    }

    bool lineVisible(PreviewWindow& form, int line) {
        auto* list = Child<StatementView>(&form, "ListView1");
        return list->viewport()->rect().intersects(
            list->visualRect(state.statements.index(line - 1)));
    }
};

TEST_F(DriverExecutionTest, AnSqlErrorOnTheThirdLineKeepsTheWindowOpenAtThatLine) {
    Fill(state.statements, {kCreate, Insert(1, "a"), Insert(2, "far too long for ten"),
                            Insert(3, "c"), Insert(4, "d")});
    PreviewWindow form(state, nullptr);
    form.show();
    Click(&form, "PushButton1");

    ASSERT_EQ(modals.texts(), QStringList({"Error found."}));
    EXPECT_EQ(form.errorLine, 3);
    auto* list = Child<StatementView>(&form, "ListView1");
    EXPECT_EQ(list->currentIndex().row(), 2);
    EXPECT_TRUE(list->selectionModel()->isRowSelected(2));
    const QString error = Child<ExactTextBox>(&form, "Text1")->exactText();
    EXPECT_TRUE(error.contains(QStringLiteral("SQLException"), Qt::CaseInsensitive))
        << error.toStdString();
    auto* bar = Child<CaptionedProgressBar>(&form, "ProgressBar1");
    EXPECT_EQ(bar->exactValue(), 0.0);
    EXPECT_TRUE(form.isVisible());
    EXPECT_TRUE(state.stopAfterPreview);
    EXPECT_FALSE(state.previewExecuted);
    EXPECT_EQ(folder.keys("t"), Keys({1}));  // lines 1 and 2 stay applied

    // Jump To Error Line comes back to it.
    list->setCurrentIndex(state.statements.index(4));
    Click(&form, "PushButton6");
    EXPECT_EQ(list->currentIndex().row(), 2);

    // Lines that ran are marked, and the idle bar says where the next run begins.
    EXPECT_TRUE(state.statements.isExecuted(0));
    EXPECT_TRUE(state.statements.isExecuted(1));
    EXPECT_FALSE(state.statements.isExecuted(2));
    EXPECT_EQ(bar->text(), QStringLiteral("2 of 5 lines done; Execute SQL resumes at line 3"));

    // Executing again goes on at line 3, not at line 1, whose table now exists.
    Click(&form, "PushButton1");
    EXPECT_EQ(form.errorLine, 3);
    EXPECT_EQ(modals.texts(), QStringList({"Error found.", "Error found."}));
    EXPECT_EQ(folder.keys("t"), Keys({1}));

    // A line edited after it ran is to run again: execution now resumes there.
    state.statements.setText(1, Insert(5, "e"));
    EXPECT_FALSE(state.statements.isExecuted(1));
    EXPECT_EQ(bar->text(), QStringLiteral("1 of 5 lines done; Execute SQL resumes at line 2"));

    // Line 3 fixed: the rest runs and the window closes.
    state.statements.setText(2, Insert(2, "b"));
    Click(&form, "PushButton1");
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(state.previewExecuted);
    EXPECT_FALSE(state.stopAfterPreview);
    Keys keys = folder.keys("t");
    std::sort(keys.begin(), keys.end());
    EXPECT_EQ(keys, Keys({1, 2, 3, 4, 5}));
    EXPECT_EQ(modals.boxes.size(), 2u);
}

TEST_F(DriverExecutionTest, TheFailingLineIsScrolledIntoView) {
    QStringList lines = {kCreate};
    for (int key = 1; key < 300; ++key) lines << Insert(key, key == 250 ? "eleven char" : "x");
    Fill(state.statements, lines);
    PreviewWindow form(state, nullptr);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    ASSERT_FALSE(lineVisible(form, 251));
    Click(&form, "PushButton1");
    EXPECT_EQ(form.errorLine, 251);
    EXPECT_TRUE(lineVisible(form, 251));

    auto* list = Child<StatementView>(&form, "ListView1");
    list->scrollToTop();
    ASSERT_FALSE(lineVisible(form, 251));
    Click(&form, "PushButton6");
    EXPECT_TRUE(lineVisible(form, 251));
}

TEST_F(DriverExecutionTest, AnotherErrorOnTheThirdLineIsReportedAndTheRestStillRuns) {
    Fill(state.statements,
         {kCreate, Insert(1, "a"), Insert(2, "b"), Insert(3, "c"), Insert(4, "d")});
    PreviewWindow form(state, nullptr);
    form.show();
    // The target goes away just before line 3 and is back for line 4.
    auto* bar = Child<QProgressBar>(&form, "ProgressBar1");
    QObject::connect(bar, &QProgressBar::valueChanged, [&](int value) {
        if (value == 600) state.targetConnection->close();
        if (value == 800) folder.open(*state.targetConnection);
    });
    Click(&form, "PushButton1");
    ASSERT_EQ(modals.boxes.size(), 1u);
    EXPECT_TRUE(modals.boxes[0].text.startsWith(
        QStringLiteral("Operation is not allowed when the object is closed.\r\nin "
                       "Kestrune2021/08/31.Form2.PushButton1_Click at line 132\r\r")));
    EXPECT_EQ(modals.boxes[0].caption, QStringLiteral("Application Error"));
    EXPECT_EQ(form.errorLine, 0);
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(state.previewExecuted);
    EXPECT_FALSE(state.stopAfterPreview);
    EXPECT_EQ(folder.keys("t"), Keys({1, 3, 4}));
}

TEST_F(DriverExecutionTest, SpacesAroundAStatementGoToTheDriverAsTheyAre) {
    Fill(state.statements, {QStringLiteral("  ") + kCreate + QStringLiteral("  "), "",
                            QStringLiteral(" ") + Insert(7, "g") + QStringLiteral("   ")});
    PreviewWindow form(state, nullptr);
    form.show();
    Click(&form, "PushButton1");
    EXPECT_TRUE(modals.boxes.empty()) << modals.texts().join(u'|').toStdString();
    EXPECT_TRUE(state.previewExecuted);
    EXPECT_EQ(folder.keys("t"), Keys({7}));
}

}  // namespace
}  // namespace velmora::test

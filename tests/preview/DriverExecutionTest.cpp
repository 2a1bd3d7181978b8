// Execute SQL through the real Paradox driver: an SQL error on the third line, a cancel or
// a lost connection in the middle of a table, jumping back to the error, and fixing lines
// until the list runs through.

#include <QFile>
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
    // Lines 1 and 2 stay applied, but the table appears only once all its lines ran.
    EXPECT_FALSE(QFile::exists(folder.dir.filePath("t.db")));

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
    EXPECT_FALSE(QFile::exists(folder.dir.filePath("t.db")));

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

// A table's lines run together: Cancel (or Escape, or the close box) while they run, or a
// connection lost in their middle, leaves the table as it was before them; the next table
// starts afresh.
TEST_F(DriverExecutionTest, CancelOrALostConnectionLeavesTheTableAsItWas) {
    QStringList lines = {kCreate};
    for (int key = 1; key <= 40; ++key) lines << Insert(key, "new");
    const auto seed = [&] {  // the table as it was: one row
        db::Connection c;
        folder.open(c);
        c.execute("DROP TABLE \"t\"");
        c.execute(kCreate.toStdString());
        c.execute(Insert(99, "old").toStdString());
    };
    {
        db::Connection c;
        folder.open(c);
        c.execute(kCreate.toStdString());
    }
    for (const char* how : {"Cancel", "Escape", "close", "connection"}) {
        SCOPED_TRACE(how);
        seed();
        state.statements.clear();
        Fill(state.statements, QStringList{"DROP TABLE \"t\""} + lines);
        PreviewWindow form(state, nullptr);
        form.show();
        auto* bar = Child<QProgressBar>(&form, "ProgressBar1");
        bool done = false;
        QObject::connect(bar, &QProgressBar::valueChanged, [&](int value) {
            if (value < 500 || done) return;
            done = true;
            if (QString(how) == "Cancel") Click(&form, "CancelExecute");
            if (QString(how) == "Escape") QTest::keyClick(&form, Qt::Key_Escape);
            if (QString(how) == "close") form.close();
            if (QString(how) == "connection") state.targetConnection->close();
        });
        Click(&form, "PushButton1");
        if (QString(how) == "connection") {
            EXPECT_EQ(modals.boxes.front().caption, QStringLiteral("Application Error"));
            EXPECT_GT(form.errorLine, 2);
            EXPECT_FALSE(state.statements.isExecuted(0));
            folder.open(*state.targetConnection);
        }
        EXPECT_EQ(folder.keys("t"), Keys({99}));
        EXPECT_EQ(form.isVisible(), QString(how) != "close");
        if (QString(how) != "connection") {
            EXPECT_FALSE(state.statements.isExecuted(0));
            EXPECT_FALSE(state.previewExecuted);
        }
        form.close();
    }
    modals.boxes.clear();
    // Run through: the new table takes the old one's place.
    state.statements.clear();
    Fill(state.statements, QStringList{"DROP TABLE \"t\""} + lines);
    PreviewWindow form(state, nullptr);
    form.show();
    Click(&form, "PushButton1");
    EXPECT_TRUE(state.previewExecuted);
    EXPECT_EQ(folder.keys("t").size(), 40u);
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

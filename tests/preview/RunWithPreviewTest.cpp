// Whole conversions of the sample database with the real SQL Preview window, per
// table and per file: what each preview shows, and how Execute SQL, Skip, Back and
// the close box steer the rest of the run.

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <map>

#include "dataaccess/Recordset.h"
#include "engine/AccessCatalog.h"
#include "engine/ConversionRun.h"
#include "engine/SourceConnection.h"
#include "gui/MessagePrompts.h"
#include "gui/WindowSupport.h"
#include "preview/ExactTextBox.h"
#include "preview/PreviewWindowHost.h"
#include "tests/preview/ModalHandler.h"
#include "tests/preview/PreviewFixtures.h"
#include "tests/support/ScratchTargetFolder.h"
#include "tests/support/TestHosts.h"

namespace velmora::test {
namespace {

// What one preview showed.
struct Shown {
    QString firstLine;
    int lines = 0;
    QStringList creates;       // the tables whose CREATE TABLE it holds
    QStringList mappedTables;  // the tables of the type view's rows
    QString error;             // the error box after Execute SQL, when the window stayed open
};

struct RunWithPreviewTest : ::testing::Test {
    TargetFolder folder;
    FixedInputs inputs;
    MessagePrompts prompts;
    SilentProgress progress;
    NoBusyPointer pointer;
    WindowPreviewHost preview{nullptr};
    QtEventPump pump;
    RunHost host{inputs, prompts, progress, pointer, preview, pump};
    RunState state;
    ModalHandler modals;
    std::vector<Shown> shown;
    bool expectErrors = false;
    // How the run's final message begins: "Done." alone when nothing was left out.
    QString summary = QStringLiteral("Done.");

    // What a user does about the sample's "Ōsaka", which code page 1252 cannot hold: one
    // Find and Replace, which replaces every occurrence.
    void spellOsakaInLatin(QWidget* preview) {
        modals.first([](QWidget* dialog) {
            Child<QLineEdit>(dialog, "Text1")->setText(QStringLiteral("ō"));
            Child<QLineEdit>(dialog, "Text2")->setText(QStringLiteral("O"));
            Click(dialog, "PushButton2");
            // A table without the text says "No match" and leaves the dialog open.
            if (dialog->isVisible()) Click(dialog, "PushButton1");
        });
        Click(preview, "PushButton3");
    }

    void SetUp() override {
        // The run works only on a folder that already holds a table.
        db::Connection seed;
        const std::string problem = folder.open(seed);
        if (!problem.empty()) FAIL() << "the Paradox driver cannot open a folder: " << problem;
        seed.execute("CREATE TABLE \"Seed\"(\"TVXID\" INT)");
        inputs.targetFolder = folder.dir.path();
        inputs.sourceFile = QStringLiteral(VELMORA_SOURCE_DIR "/Samples/sample.mdb");
        inputs.preview = true;
    }

    // Each preview in turn is closed with the next of `buttons` ("close box" for the
    // title bar's), after fixing the sample's text when `fix` says so; a window that
    // stays open after Execute SQL is backed out of.
    void run(bool perTable, const std::vector<const char*>& buttons, bool fix = true) {
        inputs.perTable = perTable;
        inputs.perFile = !perTable;
        for (const char* button : buttons) {
            modals.then([this, button, fix](QWidget* window) {
                if (fix) spellOsakaInLatin(window);
                Shown s;
                s.lines = state.statements.count();
                if (s.lines > 0) s.firstLine = state.statements.text(0);
                for (const QString& line : Texts(state.statements))
                    if (line.startsWith(QStringLiteral("CREATE TABLE ")))
                        s.creates << line.section(u'"', 1, 1);
                for (int i = 0; i < state.typeMappings.count(); ++i)
                    if (!s.mappedTables.contains(state.typeMappings.at(i).AccessTable))
                        s.mappedTables << state.typeMappings.at(i).AccessTable;
                if (QString(button) == QStringLiteral("close box"))
                    window->close();
                else
                    Click(window, button);
                if (window->isVisible()) {
                    s.error = Child<ExactTextBox>(window, "Text1")->exactText();
                    Click(window, "PushButton5");
                }
                shown.push_back(s);
            });
        }
        ConversionRun(host, state).start();
        EXPECT_EQ(modals.pendingActions(), 0) << "fewer previews than expected";
        if (!expectErrors) {
            for (const Shown& s : shown) EXPECT_TRUE(s.error.isEmpty()) << s.error.toStdString();
        }
        EXPECT_EQ(modals.texts().filter(QStringLiteral("Application Error")), QStringList());
        ASSERT_FALSE(modals.boxes.empty());
        EXPECT_TRUE(modals.boxes.back().text.startsWith(summary))
            << modals.boxes.back().text.toStdString();
        EXPECT_FALSE(state.conversionRunning);
    }

    // Row counts of the source's tables, or of the tables written, by target name.
    std::map<QString, std::int64_t> rowCounts(bool target) const {
        db::Connection connection;
        if (target)
            folder.open(connection);
        else
            connection.open(SourceConnectionString(QString(), QString(), inputs).toStdString());
        std::map<QString, std::int64_t> counts;
        for (const QString& table :
             GetSourceTables(inputs.sourceFile, inputs).value_or(QStringList())) {
            const QString name = TargetTableName(table);
            db::Recordset rows;
            rows.open(("SELECT * FROM " + (target ? u'"' + name + u'"' : u'`' + table + u'`'))
                          .toStdString(),
                      connection);
            counts[name] = rows.recordCount();
        }
        return counts;
    }

    QStringList tablesWritten() const {
        QStringList names;
        for (const QString& file : QDir(folder.dir.path()).entryList({"*.db"}, QDir::Files))
            if (file.compare(QStringLiteral("Seed.db"), Qt::CaseInsensitive) != 0)
                names << file.chopped(3);
        names.sort(Qt::CaseInsensitive);
        return names;
    }
};

const QStringList kAllTables = {"Customers", "OrderDetails", "Orders", "Products", "Sales2020s"};
// Tables are processed from the last listed in the catalogue to the first.
const QStringList kRunOrder = {"Sales2020s", "Products", "Orders", "OrderDetails", "Customers"};

TEST_F(RunWithPreviewTest, PerTableEachPreviewShowsOneTableAndExecutingGoesOn) {
    run(true, {"PushButton1", "PushButton1", "PushButton1", "PushButton1", "PushButton1"});
    ASSERT_EQ(shown.size(), 5u);
    for (std::size_t i = 0; i < shown.size(); ++i) {
        EXPECT_EQ(shown[i].creates, QStringList({kRunOrder[static_cast<int>(i)]}));
        EXPECT_TRUE(shown[i].firstLine.startsWith(QStringLiteral("CREATE TABLE \"") +
                                                  kRunOrder[static_cast<int>(i)] + u'"'))
            << shown[i].firstLine.toStdString();
        EXPECT_EQ(shown[i].mappedTables.size(), 1)
            << shown[i].mappedTables.join(u',').toStdString();
    }
    EXPECT_EQ(tablesWritten(), kAllTables);
    EXPECT_EQ(folder.keys("Orders").size(), 200u);
    EXPECT_EQ(folder.keys("Customers").size(), 10u);
}

TEST_F(RunWithPreviewTest, PerTableAnSqlErrorThenBackEndsTheRun) {
    expectErrors = true;
    summary = QStringLiteral(
        "Done, but not everything was copied.\r\nTables written: 2 of 5.\r\n"
        "Tables skipped: Orders.\r\n"
        "Tables not reached: Customers, Order Details.");
    run(true, {"PushButton1", "PushButton1", "PushButton1"}, false);
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_TRUE(shown[2].error.contains(QStringLiteral("Ōsaka"))) << shown[2].error.toStdString();
    EXPECT_TRUE(modals.texts().contains(QStringLiteral("Error found.")));
    // The table whose statements stopped part way is not there at all: never half a table.
    EXPECT_EQ(tablesWritten(), QStringList({"Products", "Sales2020s"}));
}

TEST_F(RunWithPreviewTest, PerTableSkipGoesOnWithTheNextTable) {
    summary = QStringLiteral(
        "Done, but not everything was copied.\r\nTables written: 4 of 5.\r\n"
        "Tables skipped: Sales (2020)'s.");
    run(true, {"PushButton9", "PushButton1", "PushButton1", "PushButton1", "PushButton1"});
    EXPECT_EQ(shown.size(), 5u);
    EXPECT_EQ(tablesWritten(), QStringList({"Customers", "OrderDetails", "Orders", "Products"}));
    EXPECT_FALSE(state.targetConnection->isOpen());
}

TEST_F(RunWithPreviewTest, PerTableBackOrTheCloseBoxEndsTheRun) {
    summary = QStringLiteral("Done, but not everything was copied.");
    run(true, {"PushButton1", "PushButton5"});
    EXPECT_EQ(shown.size(), 2u);
    EXPECT_EQ(tablesWritten(), QStringList({"Sales2020s"}));
    EXPECT_FALSE(state.targetConnection->isOpen());

    shown.clear();
    modals.boxes.clear();
    run(true, {"close box"});
    EXPECT_EQ(shown.size(), 1u);
    EXPECT_EQ(tablesWritten(), QStringList({"Sales2020s"}));
}

TEST_F(RunWithPreviewTest, PerFileOnePreviewHoldsEveryTable) {
    run(false, {"PushButton1"});
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].creates, kRunOrder);
    EXPECT_EQ(shown[0].mappedTables.size(), 5);
    EXPECT_TRUE(state.previewExecuted);
    EXPECT_EQ(tablesWritten(), kAllTables);
    EXPECT_FALSE(state.targetConnection->isOpen());
}

TEST_F(RunWithPreviewTest, PerFileBackAfterAnSqlErrorSaysWhatWasWritten) {
    expectErrors = true;
    summary =
        QStringLiteral("Done, but not everything was copied.\r\nThe SQL Preview was closed after ");
    run(false, {"PushButton1"}, false);
    EXPECT_TRUE(modals.boxes.back().text.endsWith(
        QStringLiteral(" of its 736 statements had run; the tables it completed stay in the "
                       "folder, the others are as they were.")))
        << modals.boxes.back().text.toStdString();
    EXPECT_EQ(tablesWritten(), QStringList({"Products", "Sales2020s"}));
}

TEST_F(RunWithPreviewTest, PerFileSkipBackAndCloseBoxWriteNothing) {
    summary = QStringLiteral(
        "Nothing was copied.\r\nThe SQL Preview was closed without executing its statements.");
    for (const char* how : {"PushButton9", "PushButton5", "close box"}) {
        shown.clear();
        modals.boxes.clear();
        state.statements.clear();
        state.typeMappings.clear();
        run(false, {how});
        EXPECT_EQ(shown.size(), 1u) << how;
        EXPECT_FALSE(state.previewExecuted) << how;
        EXPECT_EQ(tablesWritten(), QStringList()) << how;
        EXPECT_FALSE(state.targetConnection->isOpen()) << how;
    }
}

TEST_F(RunWithPreviewTest, EachRunShowsOnlyItsOwnStatements) {
    // Backed out of, then run again: the second preview holds one run's statements.
    summary = QStringLiteral("Nothing was copied.");
    run(false, {"PushButton5"}, false);
    summary = QStringLiteral("Done.");
    run(false, {"PushButton1"});
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[1].lines, shown[0].lines);
    EXPECT_EQ(shown[1].creates, kRunOrder);
    EXPECT_EQ(shown[1].mappedTables.size(), 5);
    EXPECT_EQ(tablesWritten(), kAllTables);

    // After a successful run, the next one (Yes to each overwrite question) starts with
    // its own DROP TABLE, not with the last run's CREATE TABLE.
    summary = QStringLiteral("Nothing was copied.");
    run(false, {"PushButton5"}, false);
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[2].firstLine, QStringLiteral("DROP TABLE \"Sales2020s\""));
    EXPECT_EQ(shown[2].lines, shown[0].lines + 5);
    EXPECT_EQ(shown[2].creates, kRunOrder);

    // A database that cannot be opened (as with a wrong password) shows no preview, only
    // the one message that says why.
    QTemporaryDir other;
    QFile garbage(other.filePath(QStringLiteral("other.mdb")));
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
    garbage.write(QByteArray(4096, 'x'));
    garbage.close();
    inputs.sourceFile = garbage.fileName();
    expectErrors = true;
    summary = QStringLiteral("The database ") + garbage.fileName() +
              QStringLiteral(" cannot be opened: ");
    modals.boxes.clear();
    run(false, {}, false);
    EXPECT_EQ(shown.size(), 3u);
    EXPECT_EQ(modals.boxes.size(), 1u);
}

TEST_F(RunWithPreviewTest, AfterAFixExecuteSqlGoesOnWhereItStoppedAndFinishesEveryTable) {
    inputs.perFile = true;
    QString firstError;
    bool closed = false;
    modals.then([&](QWidget* window) {
        Click(window, "PushButton1");
        firstError = Child<ExactTextBox>(window, "Text1")->exactText();
        spellOsakaInLatin(window);
        Click(window, "PushButton1");
        closed = !window->isVisible();
        if (!closed) Click(window, "PushButton5");
    });
    ConversionRun(host, state).start();
    EXPECT_TRUE(firstError.contains(QStringLiteral("Ōsaka"))) << firstError.toStdString();
    EXPECT_TRUE(closed);
    EXPECT_TRUE(state.previewExecuted);
    EXPECT_EQ(modals.texts().filter(QStringLiteral("Application Error")), QStringList());
    EXPECT_EQ(tablesWritten(), kAllTables);
    EXPECT_EQ(rowCounts(true), rowCounts(false));
}

}  // namespace
}  // namespace velmora::test

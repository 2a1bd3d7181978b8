// The run's flow over the real Access provider and Paradox driver, with scripted
// answers and a scripted preview window.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "dataaccess/Recordset.h"
#include "engine/ConversionRun.h"
#include "engine/TargetNames.h"
#include "tests/support/TestHosts.h"

using namespace velmora;

namespace {

QString samplePath() {
    return QStringLiteral(VELMORA_SOURCE_DIR "/Samples/sample.mdb");
}

// The sample's tables as the catalogue lists them.
const QStringList kSampleTables = {"Customers", "Order Details", "Orders", "Products",
                                   "Sales (2020)'s"};
// Rows naming Ōsaka, which the tables' code page (1252) cannot hold: the driver refuses them
// rather than change the text, and each is reported.
constexpr int kRefusedCustomers = 1;
constexpr int kRefusedOrders = 16;
constexpr int kRefusedRows = kRefusedCustomers + kRefusedOrders;

// The run's final message when the sample's refused rows were all it left out.
const QString kRefusedSummary = QStringLiteral(
    "Done, but not everything was copied.\r\nTables written: 5 of 5.\r\n"
    "Rows refused: 17 (each was reported with its table and reason).");
const QString kNotExecutedSummary = QStringLiteral(
    "Done, but not everything was copied.\r\nThe SQL Preview was closed without executing its "
    "statements: no table was written.");

// Every report names step 490 (a refused row) and the character that does not fit.
bool onlyRefusedRows(const QStringList& reports) {
    for (const QString& r : reports)
        if (!r.contains("PushButton7_Click at line 490") || !r.contains(QString::fromUtf8("Ō")))
            return false;
    return true;
}

// A preview window whose user executes every line and goes on past refused ones.
void executeEachLine(RunState& s) {
    for (int i = 0; i < s.statements.count(); ++i) {
        try {
            s.targetConnection->execute(s.statements.utf8(i));
        } catch (const db::DbError&) {
        }
    }
}

struct RunFlow : ::testing::Test {
    QTemporaryDir folder;
    test::Harness h;

    void SetUp() override {
        h.inputs.targetFolder = folder.path();
        h.inputs.sourceFile = samplePath();
        seedTable("Seed");
    }
    // The run only works in a folder that already holds a Paradox table.
    void seedTable(const QString& name) {
        db::Connection c;
        OpenTargetConnection(c, folder.path());
        c.execute(("CREATE TABLE \"" + name + "\"(\"A\" INT)").toStdString());
        c.close();
    }
    void directMode() { h.inputs.preview = false; }
    void perTable() {
        h.inputs.preview = true;
        h.inputs.perFile = false;
        h.inputs.perTable = true;
    }
    void perFile() {
        h.inputs.preview = true;
        h.inputs.perFile = true;
        h.inputs.perTable = false;
    }
    void run() { ConversionRun(h.host, h.state, QLocale::c()).start(); }
    std::int64_t rowsIn(const QString& table) {
        db::Connection c;
        OpenTargetConnection(c, folder.path());
        db::Recordset rs;
        rs.open(("SELECT * FROM \"" + table + "\"").toStdString(), c);
        return rs.recordCount();
    }
    bool tableExists(const QString& name) { return QFile::exists(folder.filePath(name + ".db")); }
    QStringList createdTables() const {
        QStringList names;
        for (int i = 0; i < h.state.statements.count(); ++i) {
            const QString s = h.state.statements.text(i);
            if (s.startsWith("CREATE TABLE")) names << s.section('"', 1, 1);
        }
        return names;
    }
};

}  // namespace

TEST_F(RunFlow, DirectModeCopiesEveryTableLastListedFirst) {
    directMode();
    run();
    EXPECT_EQ(h.prompts.reports.size(), kRefusedRows);
    EXPECT_TRUE(onlyRefusedRows(h.prompts.reports))
        << h.prompts.reports.join("\n---\n").toStdString();
    EXPECT_EQ(h.prompts.messages, QStringList{kRefusedSummary});
    EXPECT_EQ(h.state.sourceTables, kSampleTables);
    EXPECT_EQ(rowsIn("Customers"), 10 - kRefusedCustomers);
    EXPECT_EQ(rowsIn("OrderDetails"), 490);
    EXPECT_EQ(rowsIn("Orders"), 200 - kRefusedOrders);
    EXPECT_EQ(rowsIn("Products"), 10);
    EXPECT_EQ(rowsIn("Sales2020s"), 16);
    EXPECT_FALSE(h.state.conversionRunning);
    EXPECT_EQ(h.pointer.states, (std::vector<bool>{true, false}));
    ASSERT_FALSE(h.progress.values.empty());
    EXPECT_EQ(h.progress.values.back(), 0.0);
    EXPECT_TRUE(h.progress.captions.contains("Please wait.. Processing table Sales (2020)'s"));
    EXPECT_LT(h.progress.captions.indexOf("Please wait.. Processing table Sales (2020)'s"),
              h.progress.captions.indexOf("Please wait.. Processing table Customers"));
}

TEST_F(RunFlow, OverwriteQuestionYesDropsAndRecreatesNoSkips) {
    directMode();
    run();
    h.prompts.messages.clear();
    h.prompts.reports.clear();
    // Customers (last asked) is kept, everything else replaced.
    h.prompts.answers = {true, true, true, true, false};
    run();
    EXPECT_EQ(h.prompts.questions,
              (QStringList{"Overwrite?|Would you like to overwrite Sales (2020)'s?",
                           "Overwrite?|Would you like to overwrite Products?",
                           "Overwrite?|Would you like to overwrite Orders?",
                           "Overwrite?|Would you like to overwrite Order Details?",
                           "Overwrite?|Would you like to overwrite Customers?"}));
    EXPECT_EQ(h.prompts.reports.size(), kRefusedOrders);
    EXPECT_TRUE(onlyRefusedRows(h.prompts.reports));
    EXPECT_EQ(rowsIn("OrderDetails"), 490);
    EXPECT_EQ(rowsIn("Customers"), 10 - kRefusedCustomers);
    // Each run starts with an empty type-mapping list, and a kept table adds nothing.
    int customerFields = 0;
    for (int i = 0; i < h.state.typeMappings.count(); ++i)
        customerFields += h.state.typeMappings.at(i).AccessTable == "Customers";
    EXPECT_EQ(customerFields, 0);
    EXPECT_GT(h.state.typeMappings.count(), 0);
    EXPECT_EQ(h.prompts.messages,
              QStringList{"Done, but not everything was copied.\r\nTables written: 4 of 5.\r\n"
                          "Rows refused: 16 (each was reported with its table and reason).\r\n"
                          "Tables skipped: Customers."});
}

TEST_F(RunFlow, PerTablePreviewShowsOneTableAtATimeSkipGoesOnBackStops) {
    perTable();
    QStringList seen;
    h.preview.onShow = [&](RunState& s) {
        seen << createdTables();
        EXPECT_EQ(s.typeMappings.at(0).AccessTable,
                  kSampleTables[kSampleTables.size() - seen.size()]);
        if (seen.size() < 3) s.stopAfterPreview = false;  // Skip Table
    };                                                    // the third window closes with Back
    run();
    EXPECT_EQ(seen, (QStringList{"Sales2020s", "Products", "Orders"}));
    EXPECT_EQ(h.preview.shown, 3);
    EXPECT_EQ(h.prompts.messages,
              QStringList{"Done, but not everything was copied.\r\nTables written: 0 of 5.\r\n"
                          "Tables skipped: Sales (2020)'s, Products, Orders.\r\n"
                          "Tables not reached: Customers, Order Details."});
    EXPECT_FALSE(tableExists("Orders"));
}

TEST_F(RunFlow, PerTablePreviewExecutedWritesEachTableBeforeTheNext) {
    perTable();
    QList<std::int64_t> salesRowsSeen;
    h.preview.onShow = [&](RunState& s) {
        // The table shown first is already in the folder while the next ones are previewed.
        if (tableExists("Sales2020s")) salesRowsSeen << rowsIn("Sales2020s");
        executeEachLine(s);
        s.previewExecuted = true;
        s.stopAfterPreview = false;
    };
    run();
    EXPECT_EQ(h.preview.shown, 5);
    EXPECT_EQ(salesRowsSeen, (QList<std::int64_t>{16, 16, 16, 16}));
    EXPECT_EQ(rowsIn("Customers"), 10 - kRefusedCustomers);
}

TEST_F(RunFlow, PerFilePreviewOnceWithAllStatements) {
    perFile();
    int statements = 0;
    h.preview.onShow = [&](RunState& s) {
        statements = s.statements.count();
        EXPECT_EQ(createdTables(),
                  (QStringList{"Sales2020s", "Products", "Orders", "OrderDetails", "Customers"}));
        executeEachLine(s);
        s.previewExecuted = true;
    };
    run();
    EXPECT_EQ(h.preview.shown, 1);
    EXPECT_EQ(statements, 5 * 2 + 10 + 490 + 200 + 10 + 16);
    EXPECT_EQ(rowsIn("Orders"), 200 - kRefusedOrders);
    EXPECT_EQ(h.prompts.reports, QStringList());
}

TEST_F(RunFlow, PerFilePreviewClosedWithoutExecutingWritesNothing) {
    perFile();
    run();
    EXPECT_EQ(h.preview.shown, 1);
    EXPECT_FALSE(tableExists("Orders"));
    EXPECT_EQ(h.prompts.reports, QStringList());
    EXPECT_EQ(h.prompts.messages, QStringList{kNotExecutedSummary});
}

TEST_F(RunFlow, PreviewTickedWithoutOptionCollectsAndNeverShows) {
    perFile();
    h.inputs.perFile = false;
    run();
    EXPECT_EQ(h.preview.shown, 0);
    EXPECT_GT(h.state.statements.count(), 700);
    EXPECT_FALSE(tableExists("Orders"));
}

TEST_F(RunFlow, MissingAccessFileIsReportedAndTheRunEnds) {
    directMode();
    h.inputs.sourceFile = folder.filePath("missing.mdb");
    run();
    EXPECT_EQ(h.prompts.messages, (QStringList{"Unable to access the database", "Done."}));
    ASSERT_EQ(h.prompts.reports.size(), 2);
    EXPECT_TRUE(h.prompts.reports[0].contains("PushButton7_Click at line 134"));
    EXPECT_TRUE(h.prompts.reports[1].contains("PushButton7_Click at line 536"));
}

TEST_F(RunFlow, EmptyFolderBoxOrFolderWithoutTablesEndsSilently) {
    directMode();
    h.inputs.targetFolder.clear();
    run();
    QTemporaryDir empty;
    h.inputs.targetFolder = empty.path();
    run();
    EXPECT_TRUE(h.prompts.messages.isEmpty());
    EXPECT_TRUE(h.prompts.reports.isEmpty());
    EXPECT_TRUE(h.pointer.states.empty());
    EXPECT_FALSE(h.state.conversionRunning);
}

TEST_F(RunFlow, SecondStartWhileRunningDoesNothing) {
    perFile();
    ConversionRun run(h.host, h.state, QLocale::c());
    h.preview.onShow = [&](RunState&) { run.start(); };
    run.start();
    EXPECT_EQ(h.preview.shown, 1);
    EXPECT_EQ(h.prompts.messages, QStringList{kNotExecutedSummary});
}

TEST_F(RunFlow, FailingStatementIsReportedAndTheRunGoesOn) {
    directMode();
    // A folder where the Products table file cannot be created.
    QDir(folder.path()).mkdir("Products.db");
    run();
    ASSERT_FALSE(h.prompts.reports.isEmpty());
    EXPECT_TRUE(h.prompts.reports[0].contains("PushButton7_Click at line 358"));
    EXPECT_TRUE(h.prompts.reports[1].contains("PushButton7_Click at line 368"));
    // CREATE TABLE, CREATE INDEX and each Products row, then the other tables as usual.
    EXPECT_EQ(h.prompts.reports.size(), 1 + 1 + 10 + kRefusedRows);
    EXPECT_EQ(rowsIn("Orders"), 200 - kRefusedOrders);
    EXPECT_EQ(rowsIn("Customers"), 10 - kRefusedCustomers);
    EXPECT_EQ(h.prompts.messages,
              QStringList{"Done, but not everything was copied.\r\nTables written: 4 of 5.\r\n"
                          "Rows refused: 27 (each was reported with its table and reason).\r\n"
                          "Other statements that failed: 2 (each was reported).\r\n"
                          "Tables that could not be created: Products."});
}

TEST_F(RunFlow, CleanedTargetNameAlreadyInTheFolderIsAskedFor) {
    directMode();
    seedTable("ORDERDETAILS");
    h.prompts.answers = {true};
    run();
    EXPECT_EQ(h.prompts.questions,
              QStringList{"Overwrite?|Would you like to overwrite Order Details?"});
    EXPECT_TRUE(onlyRefusedRows(h.prompts.reports));
    EXPECT_EQ(rowsIn("OrderDetails"), 490);
}

TEST_F(RunFlow, TargetThatCannotOpenIsReportedOnceNotPerRow) {
    directMode();
    // A folder name holding ";" splits the target connection string, so the driver looks
    // for a folder that does not exist although this one holds a table.
    const QString odd = folder.filePath("x;Fil=Paradox 7");
    QDir().mkpath(odd);
    QFile::copy(folder.filePath("Seed.db"), odd + "/Seed.db");
    h.inputs.targetFolder = odd;
    run();
    // The failed open, and closing the connection that never opened; no row is tried.
    ASSERT_EQ(h.prompts.reports.size(), 2);
    EXPECT_TRUE(h.prompts.reports[0].contains("PushButton7_Click at line 140"));
    EXPECT_TRUE(h.prompts.reports[1].contains("PushButton7_Click at line 534"));
    EXPECT_EQ(h.prompts.messages,
              QStringList{"Done, but not everything was copied.\r\nTables written: 0 of 5.\r\n"
                          "Tables not reached: " +
                          kSampleTables.join(", ") + "."});
}

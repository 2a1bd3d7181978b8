// The run's flow over the real Access provider and Paradox driver, with scripted
// answers and a scripted preview window.

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "dataaccess/AdoTypes.h"
#include "dataaccess/ProviderDirectory.h"
#include "dataaccess/Recordset.h"
#include "engine/ConversionRun.h"
#include "engine/SourceConnection.h"
#include "engine/TargetNames.h"
#include "engine/Verification.h"
#include "tests/support/Corpus.h"
#include "tests/support/FileSizeLimit.h"
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
    "Nothing was copied.\r\nThe SQL Preview was closed without executing its statements.");

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
    EXPECT_TRUE(h.progress.captions.contains("Please wait... Processing table Sales (2020)'s"));
    EXPECT_LT(h.progress.captions.indexOf("Please wait... Processing table Sales (2020)'s"),
              h.progress.captions.indexOf("Please wait... Processing table Customers"));
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

// A source that cannot be opened is one message naming the file and the reason: no
// report, no "Done.", the folder unchanged and a missing one not created.
TEST_F(RunFlow, SourceThatCannotBeOpenedIsOneMessageAndChangesNothing) {
    directMode();
    const QString notAccess = folder.filePath("notes.mdb");
    QFile text(notAccess);
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("shopping list\n");
    text.close();
    const QStringList before = QDir(folder.path()).entryList(QDir::AllEntries | QDir::Hidden);
    for (const QString& source : {folder.filePath("missing.mdb"), notAccess}) {
        h.prompts.messages.clear();
        h.inputs.sourceFile = source;
        run();
        ASSERT_EQ(h.prompts.messages.size(), 1);
        EXPECT_TRUE(
            h.prompts.messages[0].startsWith("The database " + source + " cannot be opened: "))
            << h.prompts.messages[0].toStdString();
        EXPECT_TRUE(h.prompts.reports.isEmpty());
        EXPECT_EQ(QDir(folder.path()).entryList(QDir::AllEntries | QDir::Hidden), before);
    }
    const QString newFolder = folder.filePath("new");
    h.inputs.targetFolder = newFolder;
    h.prompts.answers = {true};  // yes, create the folder and the tables there
    ConversionRun(h.host, h.state, QLocale::c(), RunOptions{.askAboutFolderWithoutTables = true})
        .start();
    EXPECT_FALSE(QFileInfo::exists(newFolder));
    EXPECT_EQ(h.pointer.states.back(), false);
}

// A cancel in the middle of a table that is being overwritten leaves it as it was, byte
// for byte, and the final message names every table left so.
TEST_F(RunFlow, CancelInTheMiddleOfATableLeavesItAsItWas) {
    directMode();
    run();
    const auto bytes = [&](const QString& file) {
        QFile f(folder.filePath(file));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    const QByteArray orders = bytes("Orders.db");
    h.prompts.messages.clear();
    h.prompts.answers = {true, true, true, true, true};
    // Half way through the rows of Orders, the third table.
    struct CancellingProgress final : ProgressSink {
        RunState* state = nullptr;
        QString caption;
        void setValue(double percent) override {
            if (caption.contains(", Orders: row") && percent > 50) state->cancelRequested = true;
        }
        void setCaption(const QString& text) override { caption = text; }
    } progress;
    progress.state = &h.state;
    RunHost host{h.inputs, h.prompts, progress, h.pointer, h.preview, h.pump};
    ConversionRun run(host, h.state, QLocale::c());
    run.start();
    EXPECT_TRUE(run.statistics().cancelled);
    EXPECT_EQ(bytes("Orders.db"), orders);
    EXPECT_EQ(rowsIn("Orders"), 200 - kRefusedOrders);
    ASSERT_EQ(h.prompts.messages.size(), 1);
    EXPECT_TRUE(
        h.prompts.messages[0].startsWith("Cancelled: not everything was copied.\r\n"
                                         "Tables written: 2 of 5.\r\n"))
        << h.prompts.messages[0].toStdString();
    EXPECT_TRUE(h.prompts.messages[0].endsWith(
        "Tables left as they were: Orders, Customers, Order Details."))
        << h.prompts.messages[0].toStdString();
    for (const QFileInfo& entry :
         QDir(folder.path()).entryInfoList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot))
        ADD_FAILURE() << "left behind: " << entry.fileName().toStdString();
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
    // Only CREATE TABLE: a table that could not be made gets no index and no rows (none
    // may go into whatever holds its name); then the other tables as usual.
    EXPECT_EQ(h.prompts.reports.size(), 1 + kRefusedRows);
    EXPECT_EQ(rowsIn("Orders"), 200 - kRefusedOrders);
    EXPECT_EQ(rowsIn("Customers"), 10 - kRefusedCustomers);
    EXPECT_EQ(h.prompts.messages,
              QStringList{"Done, but not everything was copied.\r\nTables written: 4 of 5.\r\n"
                          "Rows refused: 17 (each was reported with its table and reason).\r\n"
                          "Other statements that failed: 1 (each was reported).\r\n"
                          "Tables that could not be written (each is as it was): Products."});
}

TEST_F(RunFlow, TableLockedByAnotherWriterKeepsItsRowsAndGetsNoneOfTheRun) {
    directMode();
    run();
    h.prompts.reports.clear();
    const QString orders = folder.filePath("Orders.db");
    QFile file(orders);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    // Another program holds the table for the whole second run, which overwrites all.
    const int fd = ::open(QFile::encodeName(orders).constData(), O_RDWR);
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    ASSERT_EQ(fcntl(fd, F_OFD_SETLK, &lock), 0);
    h.prompts.answers = {true, true, true, true, true};
    run();
    ::close(fd);
    // Orders: one report (its DROP TABLE names the lock), no row tried; the other tables
    // are written again as before.
    const QStringList lockReports = h.prompts.reports.filter("locked by another program");
    ASSERT_EQ(lockReports.size(), 1) << h.prompts.reports.join("\n---\n").toStdString();
    EXPECT_TRUE(lockReports[0].contains("PushButton7_Click at line 188"));
    EXPECT_EQ(h.prompts.reports.size(), 1 + kRefusedCustomers);
    file.seek(0);
    EXPECT_EQ(file.readAll(), before);
    EXPECT_EQ(rowsIn("Customers"), 10 - kRefusedCustomers);
    EXPECT_EQ(rowsIn("OrderDetails"), 490);
}

TEST_F(RunFlow, FullDiskEndsTheRunWithOneReport) {
    directMode();
    run();
    h.prompts.reports.clear();
    const QString orders = folder.filePath("Orders.db");
    QFile file(orders);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    h.prompts.answers = {true, true, true, true, true};
    {
        // Room for the new tables' headers (2 KB), none for a data block: the first table
        // the run writes fails at its first row.
        test::FileSizeLimit full(2048);
        run();
    }
    ASSERT_EQ(h.prompts.reports.size(), 1) << h.prompts.reports.join("\n---\n").toStdString();
    EXPECT_TRUE(h.prompts.reports[0].contains("stopped after 0 of 16 rows"))
        << h.prompts.reports[0].toStdString();
    EXPECT_TRUE(h.prompts.messages.last().endsWith(
        "Tables not reached: Customers, Order Details, Orders, Products."))
        << h.prompts.messages.last().toStdString();
    file.seek(0);
    EXPECT_EQ(file.readAll(), before) << "the run ended before it reached Orders";
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
    // The folder goes away once the run has found a table in it (as the busy pointer
    // comes up), so the target connection cannot open.
    struct FolderRemover final : BusyPointer {
        QString folder;
        void setBusy(bool busy) override {
            if (busy) QDir(folder).removeRecursively();
        }
    } remover;
    remover.folder = folder.path();
    RunHost host{h.inputs, h.prompts, h.progress, remover, h.preview, h.pump};
    ConversionRun(host, h.state, QLocale::c()).start();
    // The failed open, and closing the connection that never opened; no row is tried.
    ASSERT_EQ(h.prompts.reports.size(), 2);
    EXPECT_TRUE(h.prompts.reports[0].contains("PushButton7_Click at line 140"));
    EXPECT_TRUE(h.prompts.reports[1].contains("PushButton7_Click at line 534"));
    EXPECT_EQ(h.prompts.messages,
              QStringList{"Done, but not everything was copied.\r\nTables written: 0 of 5.\r\n"
                          "Tables not reached: " +
                          kSampleTables.join(", ") + "."});

    // Gone half way through Orders: one report, and the rows not sent are not counted as
    // rows the source could not give.
    QDir().mkpath(folder.path());
    seedTable("Seed");
    h.prompts.reports.clear();
    h.prompts.messages.clear();
    struct RemovingProgress final : ProgressSink {
        QString folder, caption;
        void setValue(double percent) override {
            if (caption.contains(", Orders: row") && percent > 50) QDir(folder).removeRecursively();
        }
        void setCaption(const QString& text) override { caption = text; }
    } progress;
    progress.folder = folder.path();
    RunHost midTable{h.inputs, h.prompts, progress, h.pointer, h.preview, h.pump};
    ConversionRun run(midTable, h.state, QLocale::c());
    run.start();
    EXPECT_EQ(run.statistics().rowsUnreadable(), 0);
    ASSERT_EQ(h.prompts.messages.size(), 1);
    EXPECT_FALSE(h.prompts.messages[0].contains("could not be read"))
        << h.prompts.messages[0].toStdString();
    EXPECT_EQ(h.prompts.reports.filter("no longer exists").size(), 1)
        << h.prompts.reports.join("\n").toStdString();
}

// Paths holding the characters of connection strings (";", "=", "{", "}") reach the
// right file and the right folder, never a sibling whose name is a prefix.
TEST_F(RunFlow, SourceAndTargetPathsWithConnectionStringCharacters) {
    directMode();
    const QString odd = folder.filePath("aa;bb=c}{Fil=Paradox 7");
    QDir().mkpath(odd);
    QDir().mkpath(folder.filePath("aa"));
    QFile::copy(folder.filePath("Seed.db"), odd + "/Seed.db");
    const QString source = folder.filePath("x;y=z{1}.mdb");
    QFile::copy(samplePath(), source);
    h.inputs.targetFolder = odd;
    h.inputs.sourceFile = source;
    run();
    EXPECT_TRUE(onlyRefusedRows(h.prompts.reports)) << h.prompts.reports.join("\n").toStdString();
    EXPECT_EQ(h.prompts.reports.size(), kRefusedRows);
    EXPECT_TRUE(QFile::exists(odd + "/Orders.db"));
    EXPECT_TRUE(QDir(folder.filePath("aa")).isEmpty());
}

// A copy of the sample whose table Customers is renamed "Orders ()": its cleaned name
// is that of Orders. Each table gets its own Paradox table and the rename is reported;
// the summary tells per table what was read, written and refused.
TEST_F(RunFlow, NamesCollidingInOneRunGetTheirOwnTables) {
    directMode();
    QFile sample(samplePath());
    ASSERT_TRUE(sample.open(QIODevice::ReadOnly));
    QByteArray bytes = sample.readAll();
    const QByteArray from(reinterpret_cast<const char*>(u"Customers"), 18);
    const QByteArray to(reinterpret_cast<const char*>(u"Orders ()"), 18);
    ASSERT_EQ(bytes.count(from), 1);
    bytes.replace(from, to);
    const QString source = folder.filePath("renamed.mdb");
    QFile copy(source);
    ASSERT_TRUE(copy.open(QIODevice::WriteOnly) && copy.write(bytes) == bytes.size());
    copy.close();
    h.inputs.sourceFile = source;

    ConversionRun run(h.host, h.state, QLocale::c());
    run.start();
    EXPECT_EQ(rowsIn("Orders"), 10 - kRefusedCustomers);  // "Orders ()" comes first
    EXPECT_EQ(rowsIn("Order0"), 200 - kRefusedOrders);
    EXPECT_EQ(h.prompts.reports.filter("The table Orders is written as Order0").size(), 1);

    const std::vector<TableOutcome>& tables = run.statistics().tables;
    ASSERT_EQ(tables.size(), 5u);
    const TableOutcome& orders = tables[3];
    EXPECT_EQ(orders.source, "Orders");
    EXPECT_EQ(orders.target, "Order0");
    EXPECT_FALSE(orders.note.isEmpty());
    EXPECT_EQ(orders.rowsInSource, 200);
    EXPECT_EQ(orders.rowsRead, 200);
    EXPECT_EQ(orders.rowsWritten, 200 - kRefusedOrders);
    EXPECT_EQ(orders.rowsRefused, kRefusedOrders);
    EXPECT_TRUE(tables[2].note.isEmpty());
}

// Names cut at 22 characters are made unique only within a run: a second run asks
// whether to overwrite the tables of the first, and writes no further copies.
TEST_F(RunFlow, TwentyTwoCharacterNamesAreOverwrittenNotCopied) {
    const auto root = test::corpusRoot();
    VELMORA_NEED_CORPUS(root, "access corpus");
    h.inputs.sourceFile = QString::fromStdString(
        (*root / "access/jackcess/src/test/data/V2000/testIndexPropertiesV2000.mdb").string());
    directMode();
    run();
    const QStringList first = QDir(folder.path()).entryList({"*.db"}, QDir::Files, QDir::Name);
    EXPECT_TRUE(first.contains("TableIgnoreNulls1_temp.db")) << first.join(' ').toStdString();
    h.prompts.answers.assign(10, true);
    run();
    EXPECT_EQ(QDir(folder.path()).entryList({"*.db"}, QDir::Files, QDir::Name), first);
    EXPECT_TRUE(h.prompts.questions.filter("TableIgnoreNulls1_temp").size() == 1)
        << h.prompts.questions.join('\n').toStdString();
}

// The verification pass reads the written tables back: every arrived row is identical,
// each refused row is named, and a byte changed in a written record is found, as is a
// field name changed in a header.
TEST_F(RunFlow, VerificationNamesRowsThatDifferOrAreMissing) {
    directMode();
    ConversionRun run(h.host, h.state, QLocale::c());
    run.start();
    QFile products(folder.filePath("Products.db"));
    ASSERT_TRUE(products.open(QIODevice::ReadWrite));
    QByteArray bytes = products.readAll();
    ASSERT_EQ(bytes.count("Headlamp"), 1);
    ASSERT_EQ(bytes.count("Unit Price"), 1);
    bytes.replace("Headlamp", "Headlimp");
    bytes.replace("Unit Price", "Unit Prize");  // a field name planted in the header
    products.seek(0);
    products.write(bytes);
    products.close();

    // The run verified its tables before the change.
    ASSERT_TRUE(run.statistics().verified);
    ASSERT_EQ(run.statistics().verification().size(), 5u);
    EXPECT_TRUE(run.statistics().verification()[1].allIdentical());

    db::Connection source, target;
    source.open(SourceConnectionString({}, {}, h.inputs).toStdString());
    OpenTargetConnection(target, folder.path());
    std::vector<TablePair> tables;
    for (const TableOutcome& t : run.statistics().tables)
        tables.push_back({t.source, t.target, t.columns});
    const auto results = VerifyTables(tables, source, target);
    ASSERT_EQ(results.size(), 5u);
    const QString summary = VerificationSummary(results);
    EXPECT_TRUE(summary.contains("Sales2020s: 16 of 16 rows verified identical\n"));
    EXPECT_TRUE(
        summary.contains("Products: 9 of 10 rows verified identical; first differing "
                         "rows (TVXID): 3\n"))
        << summary.toStdString();
    EXPECT_TRUE(summary.contains("Product Name is 'Headlimp 300lm' instead of 'Headlamp 300lm'"))
        << summary.toStdString();
    EXPECT_TRUE(
        summary.contains("\n  Its fields differ from the definition: field 4 is named "
                         "\"Unit Prize EUR\" instead of \"Unit Price EUR\""))
        << summary.toStdString();
    EXPECT_TRUE(summary.contains("Orders: 184 of 200 rows verified identical"));
    EXPECT_TRUE(results[1].firstDifference.contains("TVXID 3"));
    EXPECT_FALSE(results[2].allIdentical());
    EXPECT_TRUE(results[0].allIdentical());
}

// A source that fails on and on without moving on past a row ends the comparison there,
// as it ended the copy: the rows it delivered are compared, and the verification ends.
TEST(Verification, EndsWhereTheSourceCannotMoveOn) {
    db::registerBuiltInDriver("stuck source", [] {
        return std::make_shared<test::MemorySource>([] {
            auto rows = std::make_unique<test::MemoryRows>(
                std::vector<db::ColumnInfo>{{"N", db::ado::adInteger, 4}},
                std::vector<std::vector<db::Value>>{
                    {db::Value(7)}, {db::Value(8)}, {db::Value(9)}});
            rows->stuckFrom = 1;
            return rows;
        });
    });
    QTemporaryDir folder;
    db::Connection source, target;
    source.open("Driver={Stuck Source}");
    OpenTargetConnection(target, folder.path());
    target.execute(R"(CREATE TABLE "T"("TVXID" INT, "N" INT))");
    target.execute(R"(CREATE INDEX "T" ON "T" ("TVXID") WITH PRIMARY)");
    target.execute(R"(INSERT INTO "T" VALUES(0, 7))");
    const auto results = VerifyTables({{"T", "T"}}, source, target);
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].sourceRows, 1);
    EXPECT_TRUE(results[0].allIdentical()) << results[0].firstDifference.toStdString();
}

// Once a step reports again, the report offers quiet; when the user takes it, the
// further reports of the run go to a log in the Paradox folder that "Done." names.
TEST_F(RunFlow, FurtherReportsCanGoToALogInsteadOfBoxes) {
    struct QuietAfterOffer final : test::RecordingPrompts {
        int offers = 0;
        bool errorReportOfferingQuiet(const QString& text) override {
            ++offers;
            errorReport(text);
            return true;
        }
    } prompts;
    directMode();
    RunHost host{h.inputs, prompts, h.progress, h.pointer, h.preview, h.pump};
    ConversionRun run(host, h.state, QLocale::c());
    run.start();
    EXPECT_EQ(prompts.reports.size(), 2);
    EXPECT_EQ(prompts.offers, 1);
    EXPECT_EQ(run.statistics().unshownReports, kRefusedRows - 2);
    const QString log = folder.filePath("velmora-reports.log");
    EXPECT_EQ(run.statistics().reportLog, log);
    ASSERT_EQ(prompts.messages.size(), 1);
    EXPECT_TRUE(prompts.messages[0].endsWith(
        "\r\n\r\n15 further reports were not shown; they are in " + log + '.'))
        << prompts.messages[0].toStdString();
    QFile file(log);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(file.readAll()).count("PushButton7_Click at line 490"),
              kRefusedRows - 2);
}

// A damaged source gives every row it can still read under its own TVXID; what it lost is
// reported once per table, counted in the last word and passed on as ranges (the command
// line's rejects file takes them); the rows written still verify. Strict reading refuses
// the damaged table whole instead, with one report, and converts the others.
TEST_F(RunFlow, DamagedSourceGivesItsReadableRowsAndTellsWhatItLostOnce) {
    // Page 46 of the sample holds Orders' rows 73 to 144 (TVXID), between pages 41 and 49.
    QFile sample(samplePath());
    ASSERT_TRUE(sample.open(QIODevice::ReadOnly));
    QByteArray bytes = sample.readAll();
    bytes.replace(46 * 4096, 4096, QByteArray(4096, '\0'));
    QTemporaryDir work;
    const QString damaged = work.filePath("damaged.mdb");
    QFile copy(damaged);
    ASSERT_TRUE(copy.open(QIODevice::WriteOnly) && copy.write(bytes) == bytes.size());
    copy.close();
    h.inputs.sourceFile = damaged;
    directMode();
    QStringList lostRanges;
    h.state.onRowsLost = [&](const QString& table, const QString& range) {
        lostRanges << table + u'|' + range;
    };
    ConversionRun run(h.host, h.state, QLocale::c());
    run.start();

    const QString range = QStringLiteral(
        "rows 73 to 144: page 46, which the table's usage map names, is not one of its data pages");
    EXPECT_EQ(lostRanges, QStringList{"Orders|" + range});
    QStringList lossReports = h.prompts.reports.filter(QStringLiteral("damaged source"));
    ASSERT_EQ(lossReports.size(), 1);
    EXPECT_TRUE(lossReports[0].contains("Table \"Orders\": 72 of its 200 rows could not be read"));
    EXPECT_TRUE(lossReports[0].contains(range)) << lossReports[0].toStdString();
    EXPECT_TRUE(lossReports[0].contains("PushButton7_Click at line 497"));
    EXPECT_TRUE(h.prompts.messages.last().contains(
        "Rows left out because the source is damaged: 72 in Orders"));
    const TableOutcome& orders = run.statistics().tables[2];
    EXPECT_EQ(orders.source, "Orders");
    EXPECT_EQ(orders.rowsInSource, 200);
    EXPECT_EQ(orders.rowsLost, 72);
    EXPECT_EQ(orders.rowsRead, 128);

    // Every row written sits under the TVXID it has in the undamaged sample.
    db::Connection original, target;
    test::Harness whole;
    whole.inputs.sourceFile = samplePath();
    original.open(SourceConnectionString({}, {}, whole.inputs).toStdString());
    OpenTargetConnection(target, folder.path());
    std::map<std::int64_t, std::int64_t> idByTvxid;
    db::Recordset source, written;
    for (source.open("SELECT * FROM `Orders`", original); !source.eof(); source.moveNext())
        idByTvxid[source.rowNumber()] = source.fields()[0].value().asInt();
    std::int64_t rows = 0;
    for (written.open("SELECT * FROM \"Orders\"", target); !written.eof(); written.moveNext()) {
        const std::int64_t tvxid = written.fields()[0].value().asInt();
        EXPECT_TRUE(tvxid < 73 || tvxid > 144) << tvxid;
        EXPECT_EQ(written.fields()[1].value().asInt(), idByTvxid.at(tvxid)) << tvxid;
        ++rows;
    }
    EXPECT_EQ(rows, orders.rowsWritten);
    EXPECT_EQ(orders.rowsWritten + orders.rowsRefused, 128);  // refused: rows naming Ōsaka
    ASSERT_TRUE(run.statistics().verified && orders.verification);
    EXPECT_EQ(orders.verification->sourceRows, 128);
    EXPECT_EQ(orders.verification->identical, rows);

    // Strict reading: the damaged table is refused whole, the others still arrive.
    QTemporaryDir strictFolder;
    test::Harness strict;
    strict.inputs = h.inputs;
    strict.inputs.targetFolder = strictFolder.path();
    RunOptions options;
    options.acceptFolderWithoutTables = true;
    options.strict = true;
    ConversionRun(strict.host, strict.state, QLocale::c(), options).start();
    const QStringList refusals = strict.prompts.reports.filter("Strict reading copies nothing");
    ASSERT_EQ(refusals.size(), 1);
    EXPECT_TRUE(refusals[0].contains("Could not read table 'Orders'"));
    EXPECT_TRUE(refusals[0].contains(range));
    EXPECT_FALSE(QFile::exists(strictFolder.filePath("Orders.db")));
    EXPECT_TRUE(QFile::exists(strictFolder.filePath("Products.db")));
    EXPECT_TRUE(strict.prompts.messages.last().contains("Tables skipped: Orders."));

    // Without its catalogue the source's tables are found from their definitions, and the
    // last word names them.
    bytes.replace(2 * 4096, 4096, QByteArray(4096, '\0'));
    ASSERT_TRUE(copy.open(QIODevice::WriteOnly) && copy.write(bytes) == bytes.size());
    copy.close();
    QTemporaryDir recoveredFolder;
    test::Harness recovered;
    recovered.inputs = h.inputs;
    recovered.inputs.targetFolder = recoveredFolder.path();
    options.strict = false;
    ConversionRun run2(recovered.host, recovered.state, QLocale::c(), options);
    run2.start();
    EXPECT_EQ(run2.statistics().recoveredTables.size(), 5);
    EXPECT_EQ(recovered.prompts.reports.filter("The catalogue of tables of").size(), 1);
    EXPECT_TRUE(recovered.prompts.messages.last().contains(
        "The source's catalogue of tables is damaged; these tables were found from their "
        "definitions: Recovered_"));
    EXPECT_EQ(run2.statistics().count(TableResult::Written), 5);
}

// Straight to the target a table is read once; a table whose values call for another
// definition than its column types (here a text no single code page holds) is written again
// after a first pass. Either way it gets the definition a preview's run gives it, and each
// refused row is reported and rejected once.
TEST_F(RunFlow, TableReadOnceOrWrittenAgainSaysEverythingOnce) {
    const auto root = test::corpusRoot();
    VELMORA_NEED_CORPUS(root, "access corpus");
    for (const QString& source :
         {samplePath(),
          QString::fromStdString((*root / "access/generated/edge_v2000.mdb").string())}) {
        SCOPED_TRACE(source.toStdString());
        h.inputs.sourceFile = source;
        perFile();
        h.preview.onShow = {};
        run();
        std::vector<TypeMappingEntry> previewed;
        for (int i = 0; i < h.state.typeMappings.count(); ++i)
            previewed.push_back(h.state.typeMappings.at(i));
        ASSERT_FALSE(previewed.empty());

        QTemporaryDir direct;
        h.inputs.targetFolder = direct.path();
        db::Connection seed;
        OpenTargetConnection(seed, direct.path());
        seed.execute("CREATE TABLE \"Seed\"(\"A\" INT)");
        seed.close();
        directMode();
        h.prompts.reports.clear();
        QStringList rejected;
        h.state.onRefused = [&rejected](std::string_view statement, const QString&) {
            rejected << QString::fromUtf8(statement.data(),
                                          static_cast<qsizetype>(statement.size()));
        };
        ConversionRun conversion(h.host, h.state, QLocale::c());
        conversion.start();
        h.state.onRefused = {};
        std::vector<TypeMappingEntry> written;
        for (int i = 0; i < h.state.typeMappings.count(); ++i)
            written.push_back(h.state.typeMappings.at(i));
        EXPECT_EQ(written, previewed);
        std::int64_t refused = 0, rowsWritten = 0, identical = 0;
        for (const TableOutcome& table : conversion.statistics().tables) {
            refused += table.rowsRefused;
            rowsWritten += table.rowsWritten;
            EXPECT_EQ(table.result, TableResult::Written) << table.source.toStdString();
        }
        EXPECT_GT(refused, 0);
        EXPECT_EQ(h.prompts.reports.size(), refused);
        EXPECT_EQ(rejected.size(), refused);
        EXPECT_EQ(rejected.removeDuplicates(), 0);
        ASSERT_TRUE(conversion.statistics().verified);
        for (const TableVerification& table : conversion.statistics().verification()) {
            identical += table.identical;
            EXPECT_TRUE(table.structureDifference.isEmpty())
                << table.structureDifference.toStdString();
        }
        EXPECT_EQ(identical, rowsWritten);
        h.inputs.targetFolder = folder.path();
    }
}

// Whole conversions of the sample database started from "Start Converting", with every
// message box answered as it comes.

#include <QDir>
#include <QFileInfo>
#include <QProgressBar>
#include <QTextDocumentFragment>
#include <QTimer>
#include <QtTest>

#include "common/Helpers.h"
#include "dataaccess/Connection.h"
#include "dataaccess/Recordset.h"
#include "engine/AccessCatalog.h"
#include "engine/SourceConnection.h"
#include "engine/TargetFolder.h"
#include "engine/TargetNames.h"
#include "tests/mainwindow/FormFixture.h"
#include "tests/mainwindow/TestGroups.h"

namespace velmora::test {

namespace {

std::int64_t rowCount(const QString& statement, const std::string& connectionString) {
    db::Connection connection;
    connection.open(connectionString);
    db::Recordset rows;
    rows.open(statement.toStdString(), connection);
    return rows.recordCount();
}

// The sample's tables and their row counts, read through the Access provider.
QMap<QString, std::int64_t> sampleTables() {
    FixedInputs inputs;
    inputs.sourceFile = ProgramFolder() + "/Samples/sample.mdb";
    const auto names = GetSourceTables(inputs.sourceFile, inputs);
    QMap<QString, std::int64_t> tables;
    for (const QString& name : names.value_or(QStringList()))
        tables[name] = rowCount("SELECT * FROM `" + name + u'`',
                                SourceConnectionString(QString(), QString(), inputs).toStdString());
    return tables;
}

// A message as the user reads it: rich text (the last word with its links) as plain text.
QString shownText(const QString& text) {
    return Qt::mightBeRichText(text) ? QTextDocumentFragment::fromHtml(text).toPlainText() : text;
}

// A copy of the program's sample Paradox folder, tables only.
QString copySampleTables(const QString& target) {
    QDir().mkpath(target);
    const QString samples = ProgramFolder() + "/Samples";
    for (const QString& name : QDir(samples).entryList(QDir::Files))
        if (!name.endsWith(".mdb")) QFile::copy(samples + u'/' + name, target + u'/' + name);
    return target;
}

}  // namespace

class ConversionTest final : public QObject {
    Q_OBJECT
  private slots:
    void sampleConvertsFromTheButton();
    void perFilePreviewShowsEveryStatementOnce();
    void perTablePreviewFollowsTheTablesOnTheProgressBar();
    void folderWithoutTablesOffersToCreateThem();
    void escapeOrClosingDuringARunLeavesTheTableAsItWas();
};

void ConversionTest::sampleConvertsFromTheButton() {
    const auto tables = sampleTables();
    QVERIFY(tables.size() >= 5);
    FormFixture f;
    MainWindow& form = f.make();
    QVERIFY(form.load());
    f.button("PushButton4")->click();
    form.setParadoxFolder(copySampleTables(f.path("paradox")));
    if (f.previewCheck()->isChecked()) f.previewCheck()->click();  // straight into the tables
    form.show();

    // A second press while the run yields is ignored; it proves the window's events are
    // handled during the run.
    bool pressedDuringRun = false;
    QTimer::singleShot(0, &form, [&] {
        pressedDuringRun = form.runState().conversionRunning;
        f.button("PushButton7")->click();
    });
    f.button("PushButton7")->click();

    QVERIFY(pressedDuringRun);
    // The sample holds a few texts with characters that Paradox tables (code page 1252)
    // cannot hold: each such row is reported and left out, the rest goes in, and the
    // final message says so.
    const RunState& state = form.runState();
    QVERIFY(!f.answerer.seen.isEmpty());
    // The last word says what to do about such rows, and offers the folder.
    QCOMPARE(shownText(f.answerer.seen.last().text),
             QStringLiteral("Done, but not everything was copied.\nTables written: %1 of %1.\n"
                            "Rows refused: %2 (each was reported with its table and reason).\n\n"
                            "Rows refused because their table's code page cannot hold their text "
                            "are kept, in a best-fit spelling, when Options says \"Keep the row\".")
                 .arg(tables.size())
                 .arg(state.statementsFailed));
    QCOMPARE(f.answerer.seen.last().title, QStringLiteral("Velmora"));
    QCOMPARE(f.answerer.seen.size() - 1, state.statementsFailed);
    for (qsizetype i = 0; i + 1 < f.answerer.seen.size(); ++i) {
        const SeenModal& report = f.answerer.seen[i];
        QCOMPARE(report.title, QStringLiteral("Application Error"));
        QVERIFY2(report.text.contains("does not exist in code page 1252") &&
                     report.text.contains("Form1.PushButton7_Click at line "),
                 qPrintable(report.text));
    }
    QVERIFY(state.statementsFailed < 20);
    std::int64_t sourceRows = 0, targetRows = 0;
    const std::string target = TargetConnectionString(form.paradoxFolder()).toStdString();
    for (auto table = tables.cbegin(); table != tables.cend(); ++table) {
        const QString name = TargetTableName(table.key());
        QVERIFY2(TableFileExists(form.paradoxFolder(), name), qPrintable(name));
        const std::int64_t written = rowCount("SELECT * FROM \"" + name + u'"', target);
        QVERIFY(written <= table.value());
        sourceRows += table.value();
        targetRows += written;
    }
    QCOMPARE(targetRows, sourceRows - state.statementsFailed);
    // CREATE TABLE and CREATE INDEX per table, one INSERT per row written.
    QCOMPARE(state.statementsExecuted, targetRows + 2 * tables.size());
    auto* bar = form.findChild<QProgressBar*>("ProgressBar1");
    QCOMPARE(bar->value(), 0);
    QCOMPARE(bar->text(), QString());
    QVERIFY(!form.pointer().busy());
    QVERIFY(!form.runState().conversionRunning);
}

void ConversionTest::perFilePreviewShowsEveryStatementOnce() {
    const auto tables = sampleTables();
    FormFixture f;
    MainWindow& form = f.make();
    QVERIFY(form.load());
    f.button("PushButton4")->click();
    form.setParadoxFolder(copySampleTables(f.path("paradox")));
    QVERIFY(f.previewCheck()->isChecked());
    f.option("Option1")->click();
    int statements = 0;
    f.preview.onShow = [&](RunState& state) {
        statements = state.statements.count();
        state.previewExecuted = false;  // closed without executing
    };
    f.button("PushButton7")->click();
    QCOMPARE(f.preview.shown, 1);
    std::int64_t rows = 0;
    for (std::int64_t count : tables) rows += count;
    QCOMPARE(statements, rows + 2 * tables.size());
    // Collecting fails nowhere; the preview closed without executing, which the end says.
    QCOMPARE(f.answerer.seen.size(), 1);
    QCOMPARE(shownText(f.answerer.seen[0].text),
             QStringLiteral("Nothing was copied.\nThe SQL Preview was closed without executing its "
                            "statements."));
    // Nothing was executed: the folder holds only the copied sample tables.
    for (const QString& name : tables.keys())
        QVERIFY(!TableFileExists(form.paradoxFolder(), TargetTableName(name)));
}

void ConversionTest::perTablePreviewFollowsTheTablesOnTheProgressBar() {
    const auto tables = sampleTables();
    FormFixture f;
    MainWindow& form = f.make();
    QVERIFY(form.load());
    f.button("PushButton4")->click();
    form.setParadoxFolder(copySampleTables(f.path("paradox")));
    f.option("Option2")->click();
    auto* bar = form.findChild<QProgressBar*>("ProgressBar1");
    QStringList captions;
    f.preview.onShow = [&](RunState& state) {
        captions << bar->text();
        QVERIFY(form.pointer().busy());
        state.previewExecuted = true;  // as Execute SQL leaves it
        state.stopAfterPreview = false;
    };
    f.button("PushButton7")->click();
    // Every table is named on the bar while its preview shows, with its place among the
    // tables and its rows.
    QCOMPARE(captions.size(), tables.size());
    for (qsizetype i = 0; i < captions.size(); ++i) {
        const QStringList& listed = form.runState().sourceTables;  // converted last first
        const QString name = listed.value(listed.size() - 1 - i);
        QCOMPARE(captions[i], QStringLiteral("Table %1 of %2, %3: row %4 of %4")
                                  .arg(i + 1)
                                  .arg(tables.size())
                                  .arg(name)
                                  .arg(tables[name]));
    }
    QCOMPARE(shownText(f.answerer.texts().value(0)), QStringLiteral("Done."));
    QCOMPARE(bar->text(), QString());
    QVERIFY(!form.pointer().busy());
}

void ConversionTest::folderWithoutTablesOffersToCreateThem() {
    const auto tables = sampleTables();
    FormFixture f;
    MainWindow& form = f.make();
    QVERIFY(form.load());
    f.button("PushButton4")->click();
    if (f.previewCheck()->isChecked()) f.previewCheck()->click();
    // An empty folder box is only told about.
    form.setParadoxFolder(QString());
    f.button("PushButton7")->click();
    QCOMPARE(f.answerer.texts(), QStringList{"Please choose the Paradox folder first."});
    f.answerer.seen.clear();

    const QString empty = f.path("empty");
    QDir().mkpath(empty);
    form.setParadoxFolder(empty);

    // No ends the run and writes nothing.
    f.answerer.thenClick(QMessageBox::No);
    f.button("PushButton7")->click();
    QCOMPARE(f.answerer.texts(), QStringList{"The folder " + empty +
                                             " holds no Paradox table yet.\r\n\r\n"
                                             "Create the tables there?"});
    QCOMPARE(f.answerer.seen[0].title, QStringLiteral("Velmora"));
    QVERIFY(QDir(empty).isEmpty());
    QVERIFY(!form.runState().conversionRunning);

    // Yes converts into it as into a folder with tables.
    f.answerer.seen.clear();
    f.answerer.thenClick(QMessageBox::Yes);
    f.button("PushButton7")->click();
    for (const QString& name : tables.keys())
        QVERIFY2(TableFileExists(empty, TargetTableName(name)), qPrintable(name));
    QVERIFY(f.answerer.seen.last().text.startsWith("Done"));

    // A folder that does not exist yet is offered too, and made once the database opened:
    // a database that cannot be opened is one message, and the folder is not made.
    const QString fresh = f.path("new/tables");
    form.setParadoxFolder(fresh);
    const QString database = form.accessFile();
    f.text("Text5")->setText(f.path("missing.mdb"));
    f.answerer.seen.clear();
    f.answerer.thenClick(QMessageBox::Yes);
    f.button("PushButton7")->click();
    QCOMPARE(f.answerer.texts().size(), 2);
    QCOMPARE(f.answerer.texts().last(), "The database " + f.path("missing.mdb") +
                                            " cannot be opened: the file does not exist.");
    QVERIFY(!QFileInfo::exists(fresh));
    f.text("Text5")->setText(database);
    f.answerer.seen.clear();
    f.answerer.thenClick(QMessageBox::Yes);
    f.button("PushButton7")->click();
    QVERIFY2(f.answerer.seen[0].text.contains("does not exist yet"),
             qPrintable(f.answerer.seen[0].text));
    for (const QString& name : tables.keys())
        QVERIFY2(TableFileExists(fresh, TargetTableName(name)), qPrintable(name));
}

// Escape (Cancel) in the middle of a table being overwritten, and closing the window in the
// middle of one: the table stays as it was, byte for byte; meanwhile only Cancel can be
// pressed.
void ConversionTest::escapeOrClosingDuringARunLeavesTheTableAsItWas() {
    FormFixture f;
    MainWindow& form = f.make();
    QVERIFY(form.load());
    f.button("PushButton4")->click();
    form.setParadoxFolder(copySampleTables(f.path("paradox")));
    if (f.previewCheck()->isChecked()) f.previewCheck()->click();
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    f.button("PushButton7")->click();  // the tables are there now
    QFile orders(form.paradoxFolder() + "/Orders.db");
    QVERIFY(orders.open(QIODevice::ReadOnly));
    const QByteArray before = orders.readAll();
    orders.close();
    auto* bar = form.findChild<QProgressBar*>("ProgressBar1");
    for (const bool closing : {false, true}) {
        f.answerer.seen.clear();
        for (int table = 0; table < 3; ++table) f.answerer.thenClick(QMessageBox::Yes);
        if (closing) f.answerer.thenClick(QMessageBox::Yes);  // cancel it and close
        bool stopped = false, onlyCancel = false;
        const auto connection =
            QObject::connect(bar, &QProgressBar::valueChanged, &form, [&](int value) {
                if (stopped || !bar->text().endsWith("Orders") || value < 10) return;
                stopped = true;
                onlyCancel = f.button("PushButton7")->isHidden() &&
                             !f.button("PushButton3")->isEnabled() &&
                             !f.text("Text1")->isEnabled() && f.button("CancelRun")->isVisible();
                if (closing)
                    form.close();
                else
                    QTest::keyClick(f.button("CancelRun"), Qt::Key_Escape);
            });
        f.button("PushButton7")->click();
        QObject::disconnect(connection);
        QVERIFY(stopped);
        QVERIFY(onlyCancel);
        const QString last = f.answerer.seen.last().text;
        QVERIFY2(last.startsWith("Cancelled: not everything was copied.") &&
                     last.contains("Tables left as they were: Orders, Customers, Order Details."),
                 qPrintable(last));
        QVERIFY(orders.open(QIODevice::ReadOnly));
        QCOMPARE(orders.readAll(), before);
        orders.close();
        QCOMPARE(
            QDir(form.paradoxFolder()).entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot),
            QStringList());
        QVERIFY(f.button("PushButton7")->isEnabled() && !f.button("CancelRun")->isVisible());
        QCoreApplication::processEvents();
        QCOMPARE(form.isVisible(), !closing);
    }
}

}  // namespace velmora::test

#include "ConversionTest.moc"

VELMORA_TEST_GROUP(ConversionTest);

// velmora-convert --batch on corpus databases: a folder tree with a protected database,
// one whose password the map lacks and a damaged one; a batch killed and resumed; the
// same tables whatever the number of databases at a time; slices merged with jq.

#include <gtest/gtest.h>
#include <signal.h>

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <map>

#include "tests/support/Corpus.h"

namespace {

const QString kConverter = QStringLiteral(VELMORA_BIN_DIR "/velmora-convert");

struct Outcome {
    int exitCode = -1;
    QByteArray out, errors;
    QJsonObject json() const { return QJsonDocument::fromJson(out).object(); }
};

Outcome converter(const QStringList& args) {
    QProcess process;
    process.start(kConverter, args);
    process.waitForFinished(300000);
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

QString corpusFile(const QString& relative) {
    const auto root = velmora::test::corpusRoot();
    return root ? QString::fromStdString((*root / "access").string()) + u'/' + relative : QString();
}

// Small databases of the corpus that convert completely, with a few rows each.
const QStringList kComplete = {
    "jackcess/src/test/data/V2000/test2V2000.mdb",
    "jackcess/src/test/data/V2000/compIndexTestV2000.mdb",
    "jackcess/src/test/data/V2000/bigIndexTestV2000.mdb",
    "jackcess/src/test/data/V2003/overflowTestV2003.mdb",
    "jackcess/src/test/data/V2003/fixedNumericTestV2003.mdb",
    "jackcess/src/test/data/V2003/test2V2003.mdb",
    "jackcess/src/test/data/V1997/indexTestV1997.mdb",
    "jackcess/src/test/data/V2007/testV2007.accdb",
    "mdbtestdata/data/DateTestDatabase.mdb",
    "ucanaccess/src/test/resources/testdbs/functionsV2003.mdb",
};

// A list file of corpus databases; empty when the corpus is missing.
QString writeList(const QString& path, const QStringList& relatives) {
    QFile list(path);
    if (!list.open(QIODevice::WriteOnly)) return {};
    for (const QString& relative : relatives) {
        const QString file = corpusFile(relative);
        if (!QFile::exists(file)) return {};
        list.write(file.toUtf8() + '\n');
    }
    return path;
}

std::map<QString, QJsonObject> byFolder(const QJsonObject& summary, const QString& into) {
    std::map<QString, QJsonObject> databases;
    for (const QJsonValue& value : summary["databases"].toArray())
        databases[value["folder"].toString().mid(into.size() + 1)] = value.toObject();
    return databases;
}

// Every table file below `folder` (not the batch's logs, summaries and manifest) with
// its content.
std::map<QString, QByteArray> tableFiles(const QString& folder) {
    std::map<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (QDir(folder).relativeFilePath(path).contains(u'/')) {
            QFile file(path);
            file.open(QIODevice::ReadOnly);
            files[QDir(folder).relativeFilePath(path)] = file.readAll();
        }
    }
    return files;
}

QDateTime modified(const QString& path) {
    return QFileInfo(path).lastModified();
}

}  // namespace

TEST(Batch, FolderTreeConvertsTheGoodAndReportsTheRest) {
    const QString root = corpusFile(QString());
    VELMORA_NEED_CORPUS(QFile::exists(corpusFile(kComplete[0])), "access corpus");
    QTemporaryDir work;
    const QString tree = work.filePath("tree");
    for (const auto& [from, to] : std::vector<std::pair<QString, QString>>{
             {"access_parser/examples/test.mdb", "good/test.mdb"},
             {"jackcess/src/test/data/V1997/testV1997.mdb", "good/deeper/same.mdb"},
             {"jackcess/src/test/data/V2007/testV2007.accdb", "good/deeper/same.accdb"},
             {"jackcessencrypt/src/test/data/db2007-enc.accdb", "locked/db2007-enc.accdb"},
             {"mdb-reader/test/password/data/V2003_with-password.mdb", "locked/unmapped.mdb"}}) {
        ASSERT_TRUE(QDir().mkpath(QFileInfo(tree + u'/' + to).path()));
        ASSERT_TRUE(QFile::copy(root + from, tree + u'/' + to)) << from.toStdString();
    }
    // Cut short: its tables' pages lie past the end of the file.
    QFile whole(root + "jackcess/src/test/data/V2000/testV2000.mdb");
    QFile cut(tree + "/damaged/cut.mdb");
    ASSERT_TRUE(whole.open(QIODevice::ReadOnly) && QDir().mkpath(tree + "/damaged") &&
                cut.open(QIODevice::WriteOnly));
    cut.write(whole.read(100000));
    cut.close();
    const QString map = work.filePath("passwords");
    QFile mapFile(map);
    ASSERT_TRUE(mapFile.open(QIODevice::WriteOnly));
    mapFile.write("# pattern, tab, password\n*.none\tnot this\nlocked/db2007-enc.accdb\tTest123\n");
    mapFile.close();

    const QString into = work.filePath("out");
    const QStringList batch{"--batch", tree, "--into", into, "--password-map", map, "-j", "2"};
    const Outcome first = converter(batch + QStringList{"--json"});
    EXPECT_EQ(first.exitCode, 1) << first.errors.toStdString();
    const QJsonObject summary = first.json();
    EXPECT_EQ(summary["exit_status"].toInt(), 1);
    auto databases = byFolder(summary, into);
    const std::map<QString, QString> expected = {
        {"good/test", "complete"},          {"good/deeper/same", "complete"},
        {"good/deeper/same-2", "complete"},  // two files with one name: made unique
        {"locked/db2007-enc", "complete"},  {"locked/unmapped", "no_password"},
        {"damaged/cut", "incomplete"}};
    ASSERT_EQ(databases.size(), expected.size()) << first.out.toStdString();
    qint64 written = 0;
    for (const auto& [folder, outcome] : expected) {
        const QJsonObject& d = databases[folder];
        EXPECT_EQ(d["outcome"].toString(), outcome) << folder.toStdString();
        written += d["rows_written"].toInteger();
        if (outcome != "complete") continue;
        // The database's own run's summary, carried whole, agrees with the record.
        EXPECT_EQ(d["summary"]["totals"]["rows_written"], d["rows_written"]);
        EXPECT_GT(d["rows_written"].toInteger(), 0) << folder.toStdString();
        EXPECT_FALSE(QDir(into + u'/' + folder).entryList({"*.db"}).isEmpty());
    }
    EXPECT_EQ(summary["totals"]["rows_written"].toInteger(), written);
    EXPECT_EQ(summary["totals"]["complete"].toInt(), 4);
    EXPECT_TRUE(databases["damaged/cut"]["error"].toString().contains("damaged"));
    EXPECT_FALSE(QFile::exists(into + "/locked/unmapped")) << "skipped before any table";
    EXPECT_TRUE(first.errors.contains("locked/unmapped: no password"));
    // The password is in no output and no file the batch wrote.
    EXPECT_FALSE(first.out.contains("Test123") || first.errors.contains("Test123"));
    QDirIterator files(into, QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        QFile file(files.next());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_FALSE(file.readAll().contains("Test123")) << file.fileName().toStdString();
    }

    // Again: the complete ones are skipped and their tables left untouched; the table
    // says so.
    const QString table = into + "/good/test/ClarotyTable.db";
    const QDateTime before = modified(table);
    QThread::msleep(20);
    const Outcome second = converter(batch);
    EXPECT_EQ(second.exitCode, 1);
    EXPECT_EQ(modified(table), before);
    const QList<QByteArray> lines = second.out.trimmed().split('\n');
    EXPECT_TRUE(lines.last().startsWith(
        "Databases: 6 (4 complete (4 in an earlier run), 1 incomplete, 1 no password)"))
        << second.out.toStdString();
    EXPECT_EQ(second.out.count("complete earlier"), 4);
    // --redo converts them all again.
    const Outcome redone = converter(batch + QStringList{"--redo", "--json"});
    EXPECT_EQ(redone.json()["totals"].toObject()["skipped"].toInt(), 0);
    EXPECT_NE(modified(table), before);
}

// Killed while a database is being converted: the finished ones stay complete and the
// next run converts only the others.
TEST(Batch, KilledBatchResumesWithoutRedoingFinishedDatabases) {
    QTemporaryDir work;
    const QString list = writeList(work.filePath("list"), kComplete);
    VELMORA_NEED_CORPUS(!list.isEmpty(), "access corpus");
    const QString into = work.filePath("out");
    QProcess batch;
    batch.start(kConverter, {"--batch", "@" + list, "--into", into, "-j", "1", "--json"});
    ASSERT_TRUE(batch.waitForStarted());
    // Stopped once two databases are finished.
    QFile manifest(into + "/velmora-batch.manifest");
    for (int i = 0; i < 3000; ++i) {
        QThread::msleep(5);
        if (manifest.open(QIODevice::ReadOnly)) {
            const int finished = manifest.readAll().count("\"state\":\"finished\"");
            manifest.close();
            if (finished >= 2) break;
        }
    }
    ::kill(static_cast<pid_t>(batch.processId()), SIGTERM);
    ASSERT_TRUE(batch.waitForFinished(60000));
    EXPECT_EQ(batch.exitCode(), 128 + SIGTERM);
    const auto stopped =
        byFolder(QJsonDocument::fromJson(batch.readAllStandardOutput()).object(), into);
    ASSERT_EQ(stopped.size(), std::size_t(kComplete.size()));
    std::map<QString, QDateTime> finished;
    int notReached = 0;
    for (const auto& [folder, d] : stopped) {
        const QString outcome = d["outcome"].toString();
        EXPECT_TRUE(outcome == "complete" || outcome == "interrupted" || outcome == "not_reached")
            << outcome.toStdString();
        if (outcome == "complete")
            finished[folder] = modified(into + u'/' + folder + u'/' +
                                        QDir(into + u'/' + folder).entryList({"*.db"}).first());
        notReached += outcome == "not_reached" ? 1 : 0;
    }
    EXPECT_GE(finished.size(), 2u);
    EXPECT_GT(notReached, 0) << "stopped before the end";

    const Outcome resumed = converter({"--batch", "@" + list, "--into", into, "--json"});
    EXPECT_EQ(resumed.exitCode, 0) << resumed.errors.toStdString();
    for (const auto& [folder, d] : byFolder(resumed.json(), into)) {
        EXPECT_EQ(d["outcome"].toString(), "complete") << folder.toStdString();
        EXPECT_EQ(d["skipped"].toBool(), finished.count(folder) == 1) << folder.toStdString();
    }
    for (const auto& [folder, time] : finished)
        EXPECT_EQ(modified(into + u'/' + folder + u'/' +
                           QDir(into + u'/' + folder).entryList({"*.db"}).first()),
                  time);
}

TEST(Batch, OneOrTwoAtATimeGiveIdenticalTables) {
    QTemporaryDir work;
    // With one whose rows are partly refused; each database's run gets the table options.
    const QString list = writeList(work.filePath("list"),
                                   kComplete + QStringList{"generated/alltypes_2k_v2000.mdb"});
    VELMORA_NEED_CORPUS(!list.isEmpty(), "access corpus");
    const QStringList keys{"--keys", "access", "-q"};
    const Outcome serial = converter(
        QStringList{"--batch", "@" + list, "--into", work.filePath("j1"), "-j", "1"} + keys);
    const Outcome parallel = converter(
        QStringList{"--batch", "@" + list, "--into", work.filePath("j2"), "-j", "2"} + keys);
    EXPECT_EQ(serial.exitCode, 1);
    EXPECT_EQ(parallel.exitCode, 1);
    const auto one = tableFiles(work.filePath("j1"));
    EXPECT_GT(one.size(), 2u * kComplete.size());
    EXPECT_TRUE(one == tableFiles(work.filePath("j2")));
    EXPECT_TRUE(std::any_of(one.begin(), one.end(), [](const auto& file) {
        return file.first.endsWith(".XG0");
    })) << "no secondary index: --keys access did not reach the databases' runs";
}

// The documented way to spread a batch over machines: a list cut into slices, each a
// batch of its own, the summaries merged with jq into the totals of one batch.
TEST(Batch, SlicesMergedWithJqAddUpToOneBatch) {
    QTemporaryDir work;
    const QStringList relatives = kComplete.mid(0, 5) + QStringList{"generated/edge_v2000.mdb"};
    const QString list = writeList(work.filePath("list"), relatives);
    VELMORA_NEED_CORPUS(!list.isEmpty(), "access corpus");
    const Outcome whole =
        converter({"--batch", "@" + list, "--into", work.filePath("whole"), "--json"});
    QProcess slices;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("PATH", QStringLiteral(VELMORA_BIN_DIR ":") + environment.value("PATH"));
    slices.setProcessEnvironment(environment);
    slices.start("sh", {VELMORA_SOURCE_DIR "/docs/examples/batch-slices.sh", list, "3",
                        work.filePath("sliced")});
    ASSERT_TRUE(slices.waitForFinished(300000));
    EXPECT_EQ(slices.exitCode(), 1) << slices.readAllStandardError().toStdString();
    QFile merged(work.filePath("sliced/summary.json"));
    ASSERT_TRUE(merged.open(QIODevice::ReadOnly));
    const QJsonObject sum = QJsonDocument::fromJson(merged.readAll()).object();
    EXPECT_EQ(sum["databases"].toArray().size(), relatives.size());
    const QJsonObject totals = whole.json()["totals"].toObject();
    for (const QString& key : totals.keys())
        EXPECT_EQ(sum["totals"][key], totals[key]) << key.toStdString();
    EXPECT_EQ(sum["exit_status"].toInt(), 1);
}

// Each mistake is one error before anything is written.
TEST(Batch, WrongCombinationsAreOneErrorFirst) {
    QTemporaryDir work;
    const QString into = work.filePath("out");
    QFile map(work.filePath("map"));
    ASSERT_TRUE(map.open(QIODevice::WriteOnly));
    map.write("a.mdb\tfine\nb.mdb secret-without-tab\n");
    map.close();
    const QString sample = QStringLiteral(VELMORA_SOURCE_DIR "/Samples/sample.mdb");
    const std::vector<std::pair<QStringList, QString>> cases = {
        {{"--batch", sample}, "--batch needs --into FOLDER"},
        {{"--into", into, sample, into}, "--into goes with --batch"},
        {{"--batch", "--password", "x", sample, "--into", into}, "--password-map"},
        {{"--batch", "-j", "0", sample, "--into", into}, "--jobs takes a number"},
        {{"--batch", "--overwrite", "ask", sample, "--into", into}, "a batch asks nothing"},
        {{"--batch", "--sql", "f", sample, "--into", into}, "--sql is for one database"},
        {{"--batch", "--password-map", map.fileName(), sample, "--into", into},
         map.fileName() + " line 2: expected a path or pattern, a tab and the password"},
        {{"--batch", work.filePath("empty"), "--into", into}, "no database (.mdb, .accdb)"},
    };
    QDir().mkpath(work.filePath("empty"));
    for (const auto& [args, error] : cases) {
        const Outcome run = converter(args);
        EXPECT_EQ(run.exitCode, 2) << args.join(' ').toStdString();
        EXPECT_EQ(run.errors.count('\n'), run.errors.contains("Try '") ? 2 : 1)
            << run.errors.toStdString();
        EXPECT_TRUE(run.errors.contains(error.toUtf8())) << run.errors.toStdString();
        EXPECT_FALSE(run.errors.contains("secret"));
        EXPECT_FALSE(QFile::exists(into));
    }
}

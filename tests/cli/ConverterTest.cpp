// velmora-convert as its users run it, on the sample database: the conventions of its
// neighbours (version, usage, one error before anything is written), table selection,
// statements on standard output, and the JSON summary.

#include <gtest/gtest.h>
#include <signal.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include "common/AppInfo.h"
#include "tests/support/Corpus.h"

namespace {

const QString kSample = QStringLiteral(VELMORA_SOURCE_DIR "/Samples/sample.mdb");

struct Outcome {
    int exitCode = -1;
    QString out;
    QString errors;
    QStringList errorLines() const { return errors.split(u'\n', Qt::SkipEmptyParts); }
};

Outcome converter(const QStringList& args) {
    QProcess process;
    process.start(QStringLiteral(VELMORA_BIN_DIR "/velmora-convert"), args);
    process.waitForFinished(300000);
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

QStringList tablesIn(const QString& folder) {
    return QDir(folder).entryList({"*.db"}, QDir::Files, QDir::Name);
}

}  // namespace

TEST(Converter, VersionUsageAndErrorsAsItsNeighbours) {
    for (const char* option : {"--version", "-V"}) {
        const Outcome version = converter({option});
        EXPECT_EQ(version.exitCode, 0);
        EXPECT_EQ(version.out, "velmora-convert " + velmora::programVersion() + "\n");
    }
    const Outcome help = converter({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.startsWith("Usage: velmora-convert [OPTION]... SOURCE TARGET_FOLDER\n"));
    EXPECT_FALSE(help.out.contains("--help-all")) << "the toolkit's options stay out";
    for (const QString& line : help.out.split(u'\n'))
        EXPECT_LE(line.size(), 80) << line.toStdString();
    const Outcome wrong = converter({"--bogus", kSample, "out"});
    EXPECT_EQ(wrong.exitCode, 2);
    EXPECT_EQ(wrong.errorLines(),
              (QStringList{"velmora-convert: Unknown option 'bogus'.",
                           "Try 'velmora-convert --help' for more information."}));
}

TEST(Converter, SampleReportsOneLineEachWithinTheLimit) {
    QTemporaryDir out;
    const Outcome run = converter({"--new-folder", kSample, out.filePath("t")});
    EXPECT_EQ(run.exitCode, 1);
    const QStringList lines = run.errorLines();
    EXPECT_LT(lines.size(), 25) << run.errors.toStdString();
    const QRegularExpression rowLine(QStringLiteral(
        "^velmora-convert: table \"Orders\", row (\\d+) \\(TVXID (\\d+)\\): refused: .*\u014C"));
    int rowReports = 0;
    for (const QString& line : lines) {
        const auto match = rowLine.match(line);
        if (!match.hasMatch()) continue;
        ++rowReports;
        EXPECT_EQ(match.captured(1).toInt(), match.captured(2).toInt() + 1);
    }
    EXPECT_EQ(rowReports, 16) << run.errors.toStdString();
    EXPECT_FALSE(run.errors.contains("Please email")) << "the window's box stays in the window";
    EXPECT_TRUE(
        run.out.contains("Orders -> Orders: 200 of 200 rows read, 184 written, 16 refused"));
}

TEST(Converter, TablesSelectedByNameOrLeftOut) {
    QTemporaryDir out;
    const Outcome only = converter({"--new-folder", "-t", "customers", "--table", "ORDERS", "-q",
                                    kSample, out.filePath("only")});
    EXPECT_EQ(tablesIn(out.filePath("only")), (QStringList{"Customers.db", "Orders.db"}));
    EXPECT_TRUE(only.out.isEmpty()) << "--quiet prints no summary";
    converter({"--new-folder", "--exclude-table", "Orders", kSample, out.filePath("but")});
    const QStringList rest = tablesIn(out.filePath("but"));
    EXPECT_EQ(rest.size(), 4);
    EXPECT_FALSE(rest.contains("Orders.db"));
    // A name the source does not hold: one error, and nothing written.
    const Outcome missing =
        converter({"--new-folder", "-t", "Nope", kSample, out.filePath("none")});
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_EQ(missing.errorLines().size(), 1) << missing.errors.toStdString();
    EXPECT_TRUE(missing.errors.contains("no table \"Nope\""));
    EXPECT_FALSE(QFile::exists(out.filePath("none")));
}

TEST(Converter, StatementsToStandardOutputForAnyFolder) {
    QTemporaryDir work;
    const QString nowhere = work.filePath("not/there");
    const Outcome run = converter({"--sql", "-", "-t", "Customers", kSample, nowhere});
    EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
    const QStringList statements = run.out.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(statements.size(), 2 + 10);
    EXPECT_TRUE(statements[0].startsWith("CREATE TABLE \"Customers\""));
    EXPECT_TRUE(statements[2].startsWith("INSERT INTO \"Customers\" VALUES(0,"));
    EXPECT_TRUE(run.errors.contains("Tables: 1, rows listed: 10")) << "the summary moves aside";
    EXPECT_FALSE(QFile::exists(nowhere));
}

TEST(Converter, FolderThatCannotBeWrittenIsOneErrorFirst) {
    for (const QStringList& target :
         {QStringList{"/proc"}, QStringList{"--new-folder", "/proc/velmora"}}) {
        const Outcome run = converter(QStringList{kSample} + target);
        EXPECT_EQ(run.exitCode, 2);
        ASSERT_EQ(run.errorLines().size(), 1) << run.errors.toStdString();
        EXPECT_TRUE(run.errors.startsWith("velmora-convert: ") && run.errors.contains("cannot "))
            << run.errors.toStdString();
        EXPECT_TRUE(run.out.isEmpty());
    }
}

TEST(Converter, ListsAndTypesHaveAHeaderAndUsersNames) {
    const Outcome list = converter({"--list", kSample});
    const QStringList lines = list.out.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 1 + 5);
    EXPECT_EQ(lines[0], "table\trows");
    EXPECT_TRUE(lines.contains("Orders\t200"));
    const Outcome types = converter({"--sql", "/dev/null", "--types", "-", kSample, "nowhere"});
    EXPECT_TRUE(types.out.startsWith("table\tfield\taccess_type\tparadox_type\n"));
    EXPECT_TRUE(types.out.contains("\tShort Text\tTEXT"));
    EXPECT_FALSE(types.out.contains("\thar\t"));
}

// The summary as JSON: every table with its counts, the totals their sums, the exit status
// the program's own, and the verification result the one --verify prints.
TEST(Converter, JsonSummaryParsesAndAgreesWithVerification) {
    QTemporaryDir out;
    const Outcome run =
        converter({"--new-folder", "--verify", "--json", kSample, out.filePath("t")});
    QJsonParseError error;
    const QJsonObject summary = QJsonDocument::fromJson(run.out.toUtf8(), &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << run.out.toStdString();
    EXPECT_EQ(summary["format_version"].toInt(), 1);
    EXPECT_EQ(summary["exit_status"].toInt(), run.exitCode);
    EXPECT_EQ(summary["source"].toString(), kSample);
    EXPECT_TRUE(summary["verified"].toBool());
    const QJsonArray tables = summary["tables"].toArray();
    ASSERT_EQ(tables.size(), 5);
    qint64 written = 0, refused = 0;
    for (const QJsonValue& value : tables) {
        const QJsonObject t = value.toObject();
        for (const char* key :
             {"source", "target", "code_page", "outcome", "rows_in_source", "rows_read",
              "rows_written", "rows_refused", "rows_unreadable", "verification"})
            EXPECT_TRUE(t.contains(key)) << key;
        EXPECT_EQ(t["outcome"].toString(), "written");
        EXPECT_EQ(t["code_page"].toInt(), 1252);
        EXPECT_EQ(t["rows_read"].toInteger(),
                  t["rows_written"].toInteger() + t["rows_refused"].toInteger());
        const QJsonObject verification = t["verification"].toObject();
        EXPECT_EQ(verification["rows_identical"].toInteger(), t["rows_written"].toInteger());
        EXPECT_EQ(verification["rows_compared"].toInteger(), t["rows_in_source"].toInteger());
        written += t["rows_written"].toInteger();
        refused += t["rows_refused"].toInteger();
    }
    const QJsonObject totals = summary["totals"].toObject();
    EXPECT_EQ(totals["rows_written"].toInteger(), written);
    EXPECT_EQ(totals["rows_refused"].toInteger(), refused);
    EXPECT_EQ(refused, 17);
    // To a file, the same document; the text summary stays on standard output.
    const QString file = out.filePath("summary.json");
    const Outcome again = converter(
        {"--new-folder", "--overwrite", "yes", "--summary-file", file, kSample, out.filePath("t")});
    EXPECT_TRUE(again.out.contains("Tables: 5"));
    QFile json(file);
    ASSERT_TRUE(json.open(QIODevice::ReadOnly));
    EXPECT_EQ(QJsonDocument::fromJson(json.readAll())["totals"]["rows_written"].toInteger(),
              written);
}

// SIGINT and SIGTERM in the middle of overwriting a table: the run says how far it got and
// which table it left as it was, exits 128 + the signal, and the table's files are the old
// ones, byte for byte, with no staging folder left beside them.
TEST(Converter, SignalsCancelAnOverwriteLeavingTheTableAsItWas) {
    const auto root = velmora::test::corpusRoot();
    VELMORA_NEED_CORPUS(root, "access corpus");
    const QString source = QString::fromStdString(
        (*root / "access/generated/rc4_jet4_nopw_alltypes_20k_v2000.mdb").string());
    QTemporaryDir work;
    const QString folder = work.filePath("t");
    converter({"--new-folder", source, folder});
    auto bytesOf = [&] {
        QByteArray all;
        for (const char* file : {"AllTypes.db", "AllTypes.px", "AllTypes.mb"}) {
            QFile f(folder + u'/' + QLatin1String(file));
            EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << file;
            all += f.readAll();
        }
        return all;
    };
    const QByteArray before = bytesOf();
    ASSERT_GT(before.size(), 1'000'000);
    for (const int signal : {SIGINT, SIGTERM}) {
        QProcess process;
        process.start(QStringLiteral(VELMORA_BIN_DIR "/velmora-convert"),
                      {"--overwrite", "yes", source, folder});
        ASSERT_TRUE(process.waitForStarted());
        // Signalled once the new AllTypes is part written in its staging folder.
        bool underWay = false;
        for (int i = 0; i < 6000 && !underWay; ++i) {
            QThread::msleep(5);
            for (const QString& staging :
                 QDir(folder).entryList({".velmora-new-*"}, QDir::Dirs | QDir::Hidden))
                underWay = QFileInfo(folder + u'/' + staging + "/AllTypes.db").size() > 100'000;
        }
        ASSERT_TRUE(underWay);
        ::kill(static_cast<pid_t>(process.processId()), signal);
        ASSERT_TRUE(process.waitForFinished(60000));
        const QString out = QString::fromUtf8(process.readAllStandardOutput());
        EXPECT_EQ(process.exitCode(), 128 + signal) << out.toStdString();
        EXPECT_TRUE(out.startsWith("Cancelled: not everything was copied.\n")) << out.toStdString();
        EXPECT_TRUE(out.contains("Tables left as they were: AllTypes.")) << out.toStdString();
        EXPECT_TRUE(out.contains(QRegularExpression(
            "AllTypes -> AllTypes: cancelled after \\d+ of 20000 rows, left as it was")))
            << out.toStdString();
        EXPECT_EQ(bytesOf(), before);
        EXPECT_TRUE(
            QDir(folder).entryList({".velmora-new-*"}, QDir::Dirs | QDir::Hidden).isEmpty());
    }
}

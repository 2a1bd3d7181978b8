// Converts real Access databases with the command-line converter and reads every table
// back through the Paradox driver: every row is in the target or reported, and every
// value that arrived is the source value.

#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <cmath>
#include <map>
#include <tuple>

#include "common/text/TableCodePages.h"
#include "dataaccess/AdoTypes.h"
#include "dataaccess/Calendar.h"
#include "dataaccess/Connection.h"
#include "dataaccess/Recordset.h"
#include "engine/AccessCatalog.h"
#include "engine/CodePageChoice.h"
#include "engine/SourceConnection.h"
#include "engine/TargetFolder.h"
#include "engine/TargetNames.h"
#include "tests/support/Corpus.h"
#include "tests/support/QtPrinters.h"

using namespace velmora;
using namespace velmora::db;

namespace {

QString corpusDir() {
    return QString::fromStdString(test::corpusFolder().string());
}

// A number as exact text where the value kind allows it, for comparing across types.
std::optional<long double> numberOf(const Value& v) {
    switch (v.kind()) {
        case ValueKind::Boolean:
            return v.asBool() ? 1 : 0;
        case ValueKind::Integer:
            return static_cast<long double>(v.asInt());
        case ValueKind::Single:
            return v.asSingle();
        case ValueKind::Double:
            return v.asDouble();
        case ValueKind::Currency:
            return std::stold(v.asCurrency().toString());
        case ValueKind::Decimal:
            return std::stold(v.asDecimal().toString());
        default:
            return std::nullopt;
    }
}

bool isEmpty(const Value& v) {
    return v.isNull() || (v.kind() == ValueKind::Text && v.asText().empty());
}

// The value the converter must have written for a source value of a field.
::testing::AssertionResult sameValue(const Value& source, const Value& target, std::int16_t type) {
    if (type == ado::adLongVarBinary) {  // not transferred
        if (isEmpty(target)) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "binary field not empty";
    }
    if (isEmpty(source) || (source.kind() == ValueKind::Bytes && source.asBytes().empty())) {
        if (isEmpty(target)) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "expected NULL";
    }
    switch (source.kind()) {
        case ValueKind::Double:
        case ValueKind::Single:
            if (std::isnan(*numberOf(source)) && target.kind() == ValueKind::Double &&
                std::isnan(target.asDouble()))
                return ::testing::AssertionSuccess();
            break;
        case ValueKind::Decimal:  // too many digits for BCD: its exact text
            if (target.kind() == ValueKind::Text) {
                if (target.asText() == source.asDecimal().toString())
                    return ::testing::AssertionSuccess();
                return ::testing::AssertionFailure() << "decimal text changed";
            }
            break;
        default:
            break;
    }
    switch (source.kind()) {
        case ValueKind::Text:
            if (target.kind() == ValueKind::Text && target.asText() == source.asText())
                return ::testing::AssertionSuccess();
            return ::testing::AssertionFailure()
                   << "text '" << source.asText() << "' became '"
                   << (target.kind() == ValueKind::Text ? target.asText() : "?") << "'";
        case ValueKind::DateTime: {
            if (target.kind() != ValueKind::DateTime)
                return ::testing::AssertionFailure() << "not a date";
            // Written to the nearest millisecond.
            if (std::fabs(source.asDateTime().serial - target.asDateTime().serial) <
                0.5001 / 86400000)
                return ::testing::AssertionSuccess();
            return ::testing::AssertionFailure() << "date " << source.asDateTime().serial
                                                 << " became " << target.asDateTime().serial;
        }
        case ValueKind::Guid:
            if (target.kind() == ValueKind::Text && target.asText() == source.asGuid().toString())
                return ::testing::AssertionSuccess();
            return ::testing::AssertionFailure() << "GUID changed";
        case ValueKind::Bytes: {  // short binary: its bytes in hexadecimal
            QByteArray hex = QByteArray(reinterpret_cast<const char*>(source.asBytes().data()),
                                        static_cast<qsizetype>(source.asBytes().size()))
                                 .toHex()
                                 .toUpper();
            if (target.kind() == ValueKind::Text && target.asText() == hex.toStdString())
                return ::testing::AssertionSuccess();
            return ::testing::AssertionFailure() << "binary changed";
        }
        case ValueKind::Single: {
            const auto t = numberOf(target);
            if (t && static_cast<float>(*t) == source.asSingle())
                return ::testing::AssertionSuccess();
            return ::testing::AssertionFailure() << "single " << source.asSingle() << " changed";
        }
        default: {
            const auto s = numberOf(source), t = numberOf(target);
            if (s && t && *s == *t) return ::testing::AssertionSuccess();
            return ::testing::AssertionFailure() << "number changed";
        }
    }
}

struct Converted {
    int exitCode = -1;
    QString errors;
    QString output;
};

Converted convert(const QString& source, const QString& target, const QString& password = {},
                  const QStringList& options = {}) {
    QProcess process;
    // --verbose: every report, each naming the step that made it, as the counts below need.
    QStringList args =
        options + QStringList{"--verbose", "--new-folder", "--overwrite", "yes", source, target};
    if (!password.isEmpty()) args.prepend(password), args.prepend("--password");
    process.start(QStringLiteral(VELMORA_BIN_DIR "/velmora-convert"), args);
    process.waitForFinished(600000);
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardError()),
            QString::fromUtf8(process.readAllStandardOutput())};
}

// Every table written follows the level rules: blocks of 2, 4, 16 or 32 KB, and level 7
// (version byte 0x0C) exactly for the 16 and 32 KB ones.
void expectLevelsFollowBlockSizes(const QString& folder) {
    for (const QFileInfo& table :
         QDir(folder).entryInfoList({QStringLiteral("*.db")}, QDir::Files)) {
        QFile file(table.filePath());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray header = file.read(0x3A);
        ASSERT_EQ(header.size(), 0x3A);
        const int blockKb = static_cast<unsigned char>(header[0x05]);
        const int version = static_cast<unsigned char>(header[0x39]);
        EXPECT_TRUE(blockKb == 2 || blockKb == 4 || blockKb == 16 || blockKb == 32)
            << table.fileName().toStdString() << " " << blockKb;
        EXPECT_EQ(version, blockKb > 4 ? 0x0C : 0x0B) << table.fileName().toStdString();
    }
}

// The code page a written table declares (0x6A of its header).
int codePageOf(const QString& folder, const QString& table) {
    QFile file(QDir(folder).filePath(table + ".db"));
    if (!file.open(QIODevice::ReadOnly)) return 0;
    const QByteArray header = file.read(0x6C);
    if (header.size() < 0x6C) return 0;
    return static_cast<unsigned char>(header[0x6A]) | static_cast<unsigned char>(header[0x6B]) << 8;
}

// The written table's field names against the source's: "TVXID", then each field as Access
// names it wherever the table's code page holds the name and Paradox takes it as it is;
// only the others take the documented spelling (cleaned, best fit, counter).
void expectFieldNames(const Recordset& src, const Recordset& dst, int codePage,
                      const std::string& where) {
    EXPECT_EQ(dst.fields().count(), src.fields().count() + 1) << where;
    if (dst.fields().count() != src.fields().count() + 1) return;
    EXPECT_EQ(dst.fields()[0].name(), "TVXID") << where;
    QStringList taken{QStringLiteral("TVXID")};
    for (int i = 0; i < src.fields().count(); ++i) {
        const QString name = QString::fromStdString(src.fields()[i].name());
        const QString spelled = BestFitName(CleanFieldName(name, i), codePage);
        QString expected = spelled.left(kColumnNameLength);
        for (int counter = 0; taken.contains(expected, Qt::CaseInsensitive); ++counter)
            expected = CountedColumnName(spelled, counter);
        const bool unchanged = !taken.contains(name, Qt::CaseInsensitive) &&
                               CodePageHolds(codePage, name.toStdString()) &&
                               CleanFieldName(name, i) == name && name.size() <= kColumnNameLength;
        taken << expected;
        const QString written = QString::fromStdString(dst.fields()[i + 1].name());
        EXPECT_EQ(written, unchanged ? name : expected) << where << " field " << i;
    }
}

// Compares every table of `source` with its converted table; returns the rows checked.
std::int64_t compareDatabase(const QString& source, const QString& folder, const QString& errors,
                             const QString& password = {}) {
    expectLevelsFollowBlockSizes(folder);
    FixedInputs inputs;
    inputs.sourceFile = source;
    inputs.sourcePassword = password;
    Connection access, paradox;
    access.open(SourceConnectionString({}, {}, inputs).toStdString());
    OpenTargetConnection(paradox, folder);
    const QStringList tables = GetSourceTables(source, inputs).value();
    // Each rejected row is one report at step 490, each unreadable one at step 492.
    const qsizetype rowReports = errors.count(QStringLiteral("PushButton7_Click at line 490")) +
                                 errors.count(QStringLiteral("PushButton7_Click at line 492"));
    std::int64_t checked = 0, missing = 0;
    QStringList seenTargets;
    for (const QString& table : tables) {
        QString target = TargetTableName(table);
        if (seenTargets.contains(target, Qt::CaseInsensitive)) continue;  // renamed duplicate; skip
        seenTargets << target;
        Recordset src, dst;
        try {
            src.open(("SELECT * FROM `" + table + "`").toStdString(), access);
        } catch (const DbError&) {  // unreadable: reported, and no table is created
            EXPECT_FALSE(TableFileExists(folder, target)) << target.toStdString();
            continue;
        }
        // A name its code page cannot hold is spelled as that code page can.
        QString written;
        for (const int codePage : text::kTableCodePages) {
            try {
                written = BestFitName(target, codePage);
                dst.open(("SELECT * FROM " + QuoteIdentifier(written)).toStdString(), paradox);
                break;
            } catch (const DbError&) {
            }
        }
        if (!dst.isOpen()) {
            ADD_FAILURE() << "table " << target.toStdString() << " missing";
            continue;
        }
        expectFieldNames(src, dst, codePageOf(folder, written),
                         source.toStdString() + " " + table.toStdString());
        std::map<std::int64_t, std::vector<Value>> arrived;
        while (!dst.eof()) {
            std::vector<Value> row;
            for (int i = 0; i < dst.fields().count(); ++i) row.push_back(dst.fields()[i].value());
            arrived[row[0].asInt()] = std::move(row);
            dst.moveNext();
        }
        std::int64_t number = 0;
        while (!src.eof()) {
            // Rows a damaged source left out keep their numbers, and so do the rows after.
            number = src.rowNumber();
            const auto it = arrived.find(number);
            if (it == arrived.end()) {
                ++missing;
            } else {
                for (int i = 0; i < src.fields().count(); ++i) {
                    EXPECT_TRUE(sameValue(src.fields()[i].value(),
                                          it->second[static_cast<std::size_t>(i) + 1],
                                          src.fields()[i].type()))
                        << source.toStdString() << " " << table.toStdString() << " row " << number
                        << " field " << src.fields()[i].name();
                }
                ++checked;
            }
            // A row the source cannot deliver is missing under its own number.
            for (++number;; ++number, ++missing) {
                try {
                    src.moveNext();
                    break;
                } catch (const DbError&) {
                    EXPECT_FALSE(arrived.count(number)) << "unread row written: " << number;
                }
            }
        }
    }
    EXPECT_EQ(missing, rowReports) << "every missing row is reported";
    // Each refusal left is a row whose text the table's code page cannot hold.
    EXPECT_EQ(errors.count(QStringLiteral("does not exist in code page")),
              errors.count(QStringLiteral("PushButton7_Click at line 490")))
        << errors.toStdString();
    return checked;
}

}  // namespace

TEST(EndToEnd, SampleDatabaseArrivesWhole) {
    QTemporaryDir out;
    const QString source = QStringLiteral(VELMORA_SOURCE_DIR "/Samples/sample.mdb");
    const Converted result = convert(source, out.path());
    // Seventeen rows name Ōsaka, which code page 1252 cannot hold: refused and reported,
    // so the converter says not every statement succeeded.
    EXPECT_EQ(result.exitCode, 1) << result.errors.toStdString();
    EXPECT_EQ(result.errors.count(QString::fromUtf8("the character Ō (U+014C) does not exist")),
              17);
    EXPECT_EQ(compareDatabase(source, out.path(), result.errors), 10 + 10 + 200 + 490 + 16 - 17);
}

// Damaged copies of the sample: a table whose definition is damaged is reported once
// and the later tables still convert; a row that cannot be read is reported and left
// out, never replaced by the row before it.
TEST(EndToEnd, DamagedSampleCopiesConvertEveryReadablePart) {
    QFile sample(QStringLiteral(VELMORA_SOURCE_DIR "/Samples/sample.mdb"));
    ASSERT_TRUE(sample.open(QIODevice::ReadOnly));
    const QByteArray bytes = sample.readAll();
    for (const auto& [offset, value, tables] :
         {std::tuple{131030, '\x63',
                     QStringList{"Orders", "OrderDetails", "Customers", "Sales2020s"}},
          std::tuple{
              225138, '\x27',
              QStringList{"Products", "Orders", "OrderDetails", "Customers", "Sales2020s"}}}) {
        QTemporaryDir work;
        const QString source = work.filePath("damaged.mdb");
        QByteArray damaged = bytes;
        damaged[offset] = value;
        QFile out(source);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly) && out.write(damaged) == damaged.size());
        out.close();
        const QString target = work.filePath("out");
        const Converted result = convert(source, target);
        for (const QString& table : tables)
            EXPECT_TRUE(TableFileExists(target, table)) << offset << " " << table.toStdString();
        EXPECT_GT(compareDatabase(source, target, result.errors), 600) << offset;
    }
}

QString runConverter(const QStringList& args, int* exitCode = nullptr) {
    QProcess process;
    process.start(QStringLiteral(VELMORA_BIN_DIR "/velmora-convert"), args);
    process.waitForFinished(600000);
    if (exitCode) *exitCode = process.exitCode();
    return QString::fromUtf8(process.readAllStandardOutput() + process.readAllStandardError());
}

// The refused statements go to the rejects file with their errors as comments; once
// fixed, executing the file brings every row in, and verification then finds every
// row of the untouched tables identical. The rejects file may lie in the new folder.
TEST(EndToEnd, RejectsFileRoundTrip) {
    QTemporaryDir work;
    const QString target = work.filePath("out"), rejects = work.filePath("out/rejects.sql");
    int exitCode = 0;
    const QString output =
        runConverter({"--new-folder", "--rejects", rejects, "--verify",
                      QStringLiteral(VELMORA_SOURCE_DIR "/Samples/sample.mdb"), target},
                     &exitCode);
    EXPECT_EQ(exitCode, 1);
    EXPECT_TRUE(output.contains("Orders -> Orders: 200 of 200 rows read, 184 written, 16 refused"))
        << output.toStdString();
    EXPECT_TRUE(
        output.contains("Orders: 184 of 200 rows verified identical; first differing rows "
                        "(TVXID): 39, 41"));
    QFile file(rejects);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QString text = QString::fromUtf8(file.readAll());
    file.close();
    EXPECT_EQ(text.count(QStringLiteral("\n-- [Paradox Driver]")) + 1, 17);
    EXPECT_EQ(text.count(QStringLiteral("\nINSERT INTO \"Orders\" VALUES(")), 16);
    text.replace(QString::fromUtf8("Ō"), QStringLiteral("O"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text.toUtf8());
    file.close();
    runConverter({"--execute", rejects, target}, &exitCode);
    EXPECT_EQ(exitCode, 0);
    Connection paradox;
    OpenTargetConnection(paradox, target);
    for (const auto& [table, rows] : {std::pair{"Orders", 200}, std::pair{"Customers", 10}}) {
        Recordset rs;
        rs.open(std::string("SELECT * FROM \"") + table + '"', paradox);
        EXPECT_EQ(rs.recordCount(), rows) << table;
    }
}

// Damaged copies of corpus files give what survives and name what is lost. Cut short where
// a table's properties begin (page 172; its rows lie before), its calculated fields cannot
// be typed: every row arrives without them, and the run names those fields in the report,
// the rejects file, the summary and the exit code. With the page holding every row's place
// zeroed, the two rows Access had moved elsewhere arrive after the last place.
TEST(EndToEnd, DamagedCorpusCopiesGiveWhatSurvivesAndNameWhatIsLost) {
    QTemporaryDir work;
    const auto damagedCopy = [&](const char* file, const QString& name, qint64 keep,
                                 qint64 zeroFrom) {
        QFile whole(corpusDir() + "/access/jackcess/src/test/data/" + file);
        EXPECT_TRUE(whole.open(QIODevice::ReadOnly));
        QByteArray bytes = whole.read(keep);
        if (zeroFrom >= 0) bytes.replace(zeroFrom, 4096, QByteArray(4096, '\0'));
        QFile copy(work.filePath(name));
        EXPECT_TRUE(copy.open(QIODevice::WriteOnly) && copy.write(bytes) == bytes.size());
        return copy.fileName();
    };
    const QString cut = damagedCopy("V2010/calcFieldTestV2010.accdb", "cut.accdb", 172 * 4096, -1);
    const QString target = work.filePath("out"), rejects = work.filePath("rejects.sql");
    int exitCode = 0;
    QString output =
        runConverter({"--new-folder", "--verify", "--rejects", rejects, cut, target}, &exitCode);
    EXPECT_EQ(exitCode, 1);
    const QString fields = QStringLiteral("\"LastFirst\", \"LastFirstLen\", \"MonthlySalary\"");
    EXPECT_TRUE(output.contains("Table \"Table1\": its fields " + fields)) << output.toStdString();
    EXPECT_TRUE(
        output.contains("4 of 4 rows read, 4 written, 0 refused, 0 unreadable, 11 fields "
                        "lost to damage in the source"));
    EXPECT_TRUE(
        output.contains("Fields left out because the source is damaged: Table1.LastFirst, "));
    EXPECT_TRUE(output.contains("Table1: 4 of 4 rows verified identical")) << output.toStdString();
    QFile notes(rejects);
    ASSERT_TRUE(notes.open(QIODevice::ReadOnly));
    EXPECT_TRUE(
        QString::fromUtf8(notes.readAll())
            .contains("-- Not read from the damaged source: table \"Table1\", fields " + fields));
    Connection paradox;
    OpenTargetConnection(paradox, target);
    Recordset rs;
    rs.open("SELECT * FROM \"Table1\"", paradox);
    QStringList columns;
    for (int i = 0; i < rs.fields().count(); ++i)
        columns << QString::fromStdString(rs.fields()[i].name());
    EXPECT_EQ(columns.join(u','), "TVXID,ID,FirstName,LastName,City,Salary,Popularity");
    EXPECT_EQ(rs.recordCount(), 4);
    rs.close();

    const QString zeroed =
        damagedCopy("V2003/overflowTestV2003.mdb", "zeroed.mdb", 1 << 30, 27 * 4096);
    output = runConverter({"--verify", "--overwrite", "yes", zeroed, target}, &exitCode);
    EXPECT_EQ(exitCode, 1);
    EXPECT_TRUE(output.contains(
        "5 of its 7 rows could not be read from the damaged source and were left out (rows by "
        "TVXID): rows 0 to 6: page 27, which the table's usage map names, is not one of its data "
        "pages; 2 of these rows survive on the pages Access had moved them to and are given "
        "after the table's last row, their places unknown."))
        << output.toStdString();
    EXPECT_TRUE(output.contains("Table1: 2 of 2 rows verified identical")) << output.toStdString();
    QStringList tvxids;
    for (rs.open("SELECT * FROM \"Table1\"", paradox); !rs.eof(); rs.moveNext())
        tvxids << QString::number(rs.fields()[0].value().asInt());
    EXPECT_EQ(tvxids.join(u','), "7,8");
}

// A statement file that cannot be written is said so, never claimed as written.
TEST(EndToEnd, SqlFileThatCannotBeWrittenIsNotClaimed) {
    QTemporaryDir work;
    int exitCode = 0;
    const QString output = runConverter(
        {"--new-folder", "--sql", work.filePath("missing/folder/out.sql"),
         QStringLiteral(VELMORA_SOURCE_DIR "/Samples/sample.mdb"), work.filePath("out")},
        &exitCode);
    EXPECT_FALSE(output.contains("statements written to")) << output.toStdString();
    EXPECT_TRUE(output.contains("the statements were not written"));
    EXPECT_NE(exitCode, 0);
}

// A database and the rows of it that no single code page of their table holds.
struct CorpusCase {
    const char* file;
    qsizetype refused;
};

class CorpusDatabase : public ::testing::TestWithParam<CorpusCase> {};

TEST_P(CorpusDatabase, EveryRowArrivesOrIsReported) {
    const QString source = corpusDir() + "/access/" + GetParam().file;
    VELMORA_NEED_CORPUS(QFile::exists(source), source.toStdString());
    QTemporaryDir out;
    const Converted result = convert(source, out.path());
    // compareDatabase checks that each refused row is reported, for its text.
    compareDatabase(source, out.path(), result.errors);
    EXPECT_EQ(result.errors.count(QStringLiteral("PushButton7_Click at line 490")),
              GetParam().refused);
    if (result.exitCode == 0) {
        EXPECT_TRUE(result.errors.isEmpty());
    }
}

// Mixed scripts in one table: the code page holding most rows wins (936 for a table of
// Latin, Greek with accents, Cyrillic, Japanese and emoji); emoji fit none.
INSTANTIATE_TEST_SUITE_P(
    Corpus, CorpusDatabase,
    ::testing::Values(CorpusCase{"generated/alltypes_2k_v2000.mdb", 650},
                      CorpusCase{"generated/alltypes_2k_v2016.accdb", 650},
                      CorpusCase{"generated/alltypes_500_v2019.accdb", 163},
                      CorpusCase{"generated/names_50tables_v2010.accdb", 14},
                      CorpusCase{"generated/edge_v2000.mdb", 1},
                      CorpusCase{"generated/edge_v2010.accdb", 1},
                      CorpusCase{"mdbtestdata/data/nwind.mdb", 0},
                      CorpusCase{"jackcess/src/test/data/V1997/test2V1997.mdb", 0},
                      CorpusCase{"jackcess/src/test/data/V2003/testV2003.mdb", 0},
                      CorpusCase{"jackcess/src/test/data/V2003/testUnicodeCompV2003.mdb", 4},
                      CorpusCase{"jackcess/src/test/data/V2010/testEmoticonsV2010.accdb", 80},
                      CorpusCase{"jackcess/src/test/data/V2010/calcFieldTestV2010.accdb", 0},
                      CorpusCase{"jackcess/src/test/data/V2007/oldDatesV2007.accdb", 0},
                      CorpusCase{"jackcess/src/test/data/V2007/complexDataTestV2007.accdb", 0},
                      // Both tables are linked, from the databases beside it.
                      CorpusCase{"ucanaccess/src/test/resources/testdbs/linked.mdb", 0}));

// The 20,000-row agile-encrypted database converts with its password like a plain one
// (decrypted in memory by the provider); with a wrong one nothing is written.
TEST(EndToEnd, EncryptedDatabaseConvertsWithItsPassword) {
    const QString source =
        corpusDir() + "/access/generated/enc_agile_pw-password_alltypes_20k_v2010.accdb";
    VELMORA_NEED_CORPUS(QFile::exists(source), source.toStdString());
    QTemporaryDir refused;
    const Converted wrong = convert(source, refused.path(), QStringLiteral("Wr0ngSecret"));
    EXPECT_TRUE(wrong.errors.contains(QStringLiteral("Not a valid password.")))
        << wrong.errors.toStdString();
    EXPECT_FALSE(wrong.errors.contains(QStringLiteral("Wr0ngSecret"))) << "the password is shown";
    EXPECT_TRUE(QDir(refused.path()).isEmpty());

    QTemporaryDir out;
    const Converted result = convert(source, out.path(), QStringLiteral("password"));
    const qsizetype refusedRows =
        result.errors.count(QStringLiteral("PushButton7_Click at line 490"));
    EXPECT_EQ(compareDatabase(source, out.path(), result.errors, QStringLiteral("password")),
              20003 - refusedRows);
}

// With --unmappable replace every row of a mixed-script table arrives; the rows that took a
// best-fit spelling, the user's own choice, are counted in the summary, not reported.
TEST(EndToEnd, UnmappableRowsAreKeptOnRequest) {
    const QString source = corpusDir() + "/access/generated/alltypes_2k_v2016.accdb";
    VELMORA_NEED_CORPUS(QFile::exists(source), source.toStdString());
    QTemporaryDir out;
    const Converted result = convert(source, out.path(), {}, {"--unmappable", "replace"});
    EXPECT_EQ(result.errors.count(QStringLiteral("line 490")), 0) << result.errors.toStdString();
    EXPECT_EQ(result.errors, QString());
    EXPECT_TRUE(result.output.startsWith("Done.\nRows written with a best-fit spelling: 650 "))
        << result.output.toStdString();
    EXPECT_EQ(result.exitCode, 0);
    Connection paradox;
    OpenTargetConnection(paradox, out.path());
    Recordset rows;
    rows.open("SELECT * FROM \"AllTypes\"", paradox);
    EXPECT_EQ(rows.recordCount(), 2000);
}

// With --keys access every table of Northwind is keyed on its Access primary key, each
// other index is a secondary index, AutoNumber fields number on from the largest value,
// and verification finds every row through every index, also after a later INSERT.
TEST(EndToEnd, AccessKeysArriveAndEveryRowIsFoundThroughEveryIndex) {
    const QString source = corpusDir() + "/access/mdbtestdata/data/nwind.mdb";
    VELMORA_NEED_CORPUS(QFile::exists(source), source.toStdString());
    QTemporaryDir work;
    const QString target = work.filePath("out");
    int exitCode = -1;
    const QString output =
        runConverter({"--new-folder", "--keys", "access", "--verify", source, target}, &exitCode);
    EXPECT_EQ(exitCode, 0) << output.toStdString();
    EXPECT_TRUE(
        output.contains("Keys: 9 tables keyed on their Access primary key, 24 indexes "
                        "written, 0 not written (reported), 7 AutoNumber fields as AUTOINC"))
        << output.toStdString();
    EXPECT_TRUE(output.contains("OrderDetails: 2155 of 2155 rows verified identical\n"));

    // Every source index has its counterpart, the primary key on the same fields.
    FixedInputs inputs;
    inputs.sourceFile = source;
    Connection access, paradox;
    access.open(SourceConnectionString({}, {}, inputs).toStdString());
    OpenTargetConnection(paradox, target);
    const QStringList tables = GetSourceTables(source, inputs).value();
    for (const QString& table : tables) {
        const auto indexes = [](Connection& c, const QString& name) {
            std::map<std::string, std::string> found;  // index: primary key columns or ""
            for (auto rs = c.openSchema(ado::adSchemaIndexes, name.toStdString()); !rs->eof();
                 rs->moveNext()) {
                const std::string index = rs->fields().item("INDEX_NAME").value().asText();
                if (rs->fields().item("PRIMARY_KEY").value().asBool())
                    found["(primary)"] += rs->fields().item("COLUMN_NAME").value().asText() + ' ';
                else
                    found[index];
            }
            return found;
        };
        const auto theirs = indexes(access, table);
        const auto ours = indexes(paradox, TargetTableName(table));
        EXPECT_EQ(ours.size(), theirs.size()) << table.toStdString();
        EXPECT_EQ(ours.at("(primary)"), theirs.at("(primary)")) << table.toStdString();
    }

    // The next order gets the number after the largest, and every index keeps up.
    paradox.execute("INSERT INTO \"Orders\" (\"CustomerID\") VALUES ('ALFKI')");
    Recordset added;
    added.open("SELECT * FROM \"Orders\" WHERE \"OrderID\" = 11078", paradox);
    ASSERT_FALSE(added.eof());
    EXPECT_EQ(added.fields().item("CustomerID").value().asText(), "ALFKI");
    for (const char* index : {"Orders", "CustomerID_ci", "EmployeeID", "OrderDate"}) {
        Recordset check;
        check.open(std::string("CHECK INDEX \"") + index + "\" ON \"Orders\"", paradox);
        EXPECT_EQ(check.fields().item("FOUND").value().asInt(), 831) << index;
    }
}

// Date/Time Extended values arrive to the millisecond and the summary counts the ones
// with finer digits; a table of Access's own that holds rows is named as left out; a
// column of a kind the reader does not know is reported once, its values kept as hex.
TEST(EndToEnd, RoundedDatesTablesLeftOutAndUnknownKindsAreNamed) {
    const QString dates =
        corpusDir() + "/access/jackcess/src/test/data/V2019/extDateTestV2019.accdb";
    const QString compacted = corpusDir() + "/access/jackcess/src/test/data/V2007/test2V2007.accdb";
    VELMORA_NEED_CORPUS(QFile::exists(dates) && QFile::exists(compacted), dates.toStdString());
    QTemporaryDir work;
    int exitCode = -1;
    QString output =
        runConverter({"--new-folder", "--verify", dates, work.filePath("dates")}, &exitCode);
    EXPECT_EQ(exitCode, 0) << output.toStdString();
    EXPECT_TRUE(output.startsWith("Done.") &&
                output.contains("Dates rounded to the millisecond: 2 (Table1 2)."))
        << output.toStdString();
    Connection paradox;
    OpenTargetConnection(paradox, work.filePath("dates"));
    Recordset rows;
    rows.open("SELECT * FROM \"Table1\"", paradox);
    std::vector<CivilDateTime> extended;
    for (; !rows.eof(); rows.moveNext())
        if (!rows.fields()[3].value().isNull())
            extended.push_back(toCivil(rows.fields()[3].value().asDateTime()));
    ASSERT_EQ(extended.size(), 8u);
    EXPECT_EQ(extended[4], (CivilDateTime{{2021, 6, 14}, 22, 45, 12, 346}));  // 12.3456789
    EXPECT_EQ(extended[6], (CivilDateTime{{100, 6, 14}, 12, 45, 0, 123}));    // 00.1234567

    output = runConverter({"--new-folder", "--summary-file", work.filePath("summary.json"),
                           compacted, work.filePath("compacted")},
                          &exitCode);
    EXPECT_EQ(exitCode, 0);
    EXPECT_TRUE(output.contains("Tables left out (Access's own, not a user's): MSysCompactError."))
        << output.toStdString();
    QFile summary(work.filePath("summary.json"));
    ASSERT_TRUE(summary.open(QIODevice::ReadOnly));
    const QByteArray json = summary.readAll();
    EXPECT_TRUE(json.contains("\"outcome\": \"left_out\"") && json.contains("MSysCompactError"))
        << json.toStdString();

    const QString unknown =
        corpusDir() + "/access/jackcess/src/test/data/V2007/unsupportedFieldsTestV2007.accdb";
    const Converted result = convert(unknown, work.filePath("unknown"));
    for (const char* kind : {"UnknownVar of table Test holds values of a kind the Access reader "
                             "does not know (type 0x46)",
                             "UnknownFix of table Test holds values of a kind the Access reader "
                             "does not know (type 0x47)",
                             "UnknownComplex of table Test holds values of a kind the Access "
                             "reader does not know (complex values of type 0x48)"})
        EXPECT_EQ(result.errors.count(QString::fromLatin1(kind)), 1) << result.errors.toStdString();
    compareDatabase(unknown, work.filePath("unknown"), result.errors);
}

// Every table of every readable corpus database, read through the data-access interface
// and compared value by value with the expected values in expected-jackcess/ (an
// independent reader's output). One test per database file.

#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <map>

#include "dataaccess/AdoTypes.h"
#include "dataaccess/Connection.h"
#include "dataaccess/Recordset.h"
#include "tests/access/CorpusFiles.h"
#include "tests/access/ExpectedText.h"

namespace velmora::access::testing {
namespace {

namespace fs = std::filesystem;

// Database passwords documented by the corpus README.
const std::map<std::string, std::string> kPasswords = {
    {"mdb-reader/test/password/data/V2000_with-password.mdb", "password"},
    {"mdb-reader/test/password/data/V2003_with-password.mdb", "password"},
    {"mdb-reader/test/password/data/V2010_with-password.accdb", "password"},
    {"mdb-reader/test/encryption/data/office-agile-4.2.accdb", "password"},
    {"ucanaccess/src/test/resources/testdbs/password.mdb", "ucanaccess"},
    {"jackcessencrypt/src/test/data/db2007-enc.accdb", "Test123"},
    {"jackcessencrypt/src/test/data/db2007-oldenc.accdb", "Test123"},
    {"jackcessencrypt/src/test/data/db2013-enc.accdb", "1234"},
    {"jackcessencrypt/src/test/data/db-nonstandard.accdb", "password"},
};

std::int16_t adoTypeFor(const QString& expectedType) {
    using namespace db::ado;
    static const std::map<QString, std::int16_t> types = {
        {"boolean", adBoolean},
        {"byte", adUnsignedTinyInt},
        {"integer", adSmallInt},
        {"long", adInteger},
        {"bigint", adBigInt},
        {"float", adSingle},
        {"double", adDouble},
        {"currency", adCurrency},
        {"numeric", adNumeric},
        {"datetime", adDate},
        {"datetimextended", adDate},
        {"text", adVarWChar},
        {"memo", adLongVarWChar},
        {"ole", adLongVarBinary},
        {"binary", adVarBinary},
        {"repid", adGUID},
        {"complex", adLongVarWChar},
        {"UNSUPPORTED_VARLEN", adVarBinary},
        {"UNSUPPORTED_FIXEDLEN", adBinary},
    };
    const auto it = types.find(expectedType);
    return it == types.end() ? -1 : it->second;
}

struct ExpectedTable {
    QString name;
    QJsonArray columns;
    std::vector<QJsonArray> rows;
};

std::vector<ExpectedTable> readExpected(const fs::path& file) {
    QFile in(QString::fromStdString(file.string()));
    if (!in.open(QIODevice::ReadOnly)) return {};
    std::vector<ExpectedTable> tables;
    while (!in.atEnd()) {
        const QJsonDocument line = QJsonDocument::fromJson(in.readLine());
        if (line.isObject()) {
            tables.push_back({line.object().value("table").toString(),
                              line.object().value("columns").toArray(),
                              {}});
        } else if (line.isArray() && !tables.empty()) {
            tables.back().rows.push_back(line.array());
        }
    }
    return tables;
}

class CorpusDatabase : public ::testing::TestWithParam<std::string> {};

// Compares one table; returns the number of values compared.
std::size_t compareTable(db::Connection& connection, const ExpectedTable& expected) {
    const std::string name = expected.name.toStdString();
    db::Recordset rs;
    rs.open("SELECT * FROM `" + name + "`", connection);
    const db::Fields& fields = rs.fields();
    EXPECT_EQ(fields.count(), expected.columns.size()) << name;

    // Fields come in the order Access shows them, which is the expected order.
    std::vector<int> ours;
    std::vector<std::string> types;
    for (const auto& column : expected.columns) {
        const QJsonObject c = column.toObject();
        const std::string columnName = c.value("name").toString().toStdString();
        int found = -1;
        for (int i = 0; i < fields.count(); ++i)
            if (fields[i].name() == columnName) found = i;
        EXPECT_NE(found, -1) << name << ": no column " << columnName;
        EXPECT_EQ(found, static_cast<int>(ours.size())) << name << ": column order " << columnName;
        ours.push_back(found);
        const QString type = c.value("type").toString();
        types.push_back(type.toStdString());
        if (found >= 0 && type != "binary" && type != "text") {
            EXPECT_EQ(fields[found].type(), adoTypeFor(type)) << name << "." << columnName;
        }
    }

    EXPECT_EQ(rs.recordCount(), static_cast<std::int64_t>(expected.rows.size())) << name;
    std::size_t compared = 0;
    int mismatches = 0;
    std::size_t row = 0;
    for (; !rs.eof() && row < expected.rows.size(); ++row, rs.moveNext()) {
        for (std::size_t c = 0; c < ours.size(); ++c) {
            if (ours[c] < 0 || types[c] == "complex") continue;  // see README: complex columns
            const QJsonValue want = expected.rows[row].at(static_cast<int>(c));
            const auto got = expectedTextOf(fields[ours[c]].value(), types[c]);
            const std::string wantText = want.isNull() ? "<null>" : want.toString().toStdString();
            const std::string gotText = got ? *got : "<null>";
            ++compared;
            const bool same =
                wantText == gotText ||
                (!want.isNull() && denotesSameFloatingValue(wantText, fields[ours[c]].value()));
            if (!same && ++mismatches <= 10)
                ADD_FAILURE() << name << " row " << row << " column " << fields[ours[c]].name()
                              << ":\n  expected " << wantText << "\n  got      " << gotText;
        }
    }
    EXPECT_EQ(row, expected.rows.size()) << name << ": fewer rows than expected";
    EXPECT_TRUE(rs.eof()) << name << ": more rows than expected";
    EXPECT_EQ(mismatches, 0) << name;
    rs.close();
    return compared;
}

TEST_P(CorpusDatabase, EveryTableReadsWithTheExpectedValues) {
    const auto root = corpusRoot();
    VELMORA_NEED_CORPUS(root, test::corpusFolder() / "access");
    const fs::path expectedFile = *root / "access" / "expected-jackcess" / (GetParam() + ".jsonl");
    std::string relative = GetParam();
    for (std::size_t at; (at = relative.find("__")) != std::string::npos;)
        relative.replace(at, 2, "/");
    const fs::path database = *root / "access" / relative;
    VELMORA_NEED_CORPUS(fs::exists(database), database);

    const auto password = kPasswords.find(relative);
    db::Connection connection;
    try {
        connection.open(
            connectionStringFor(database, password == kPasswords.end() ? "" : password->second));
    } catch (const db::DbError& e) {
        FAIL() << relative << ": " << e.description();
    }

    std::map<std::string, std::string> tableTypes;
    auto schema = connection.openSchema(db::ado::adSchemaTables);
    for (; !schema->eof(); schema->moveNext())
        tableTypes[schema->fields().item("TABLE_NAME").value().asText()] =
            schema->fields().item("TABLE_TYPE").value().asText();

    std::size_t compared = 0;
    for (const ExpectedTable& table : readExpected(expectedFile)) {
        const std::string name = table.name.toStdString();
        ASSERT_TRUE(tableTypes.count(name)) << "the schema rowset does not list " << name;
        // Tables of Access's own that it does not mark as system tables (MSysCompactError).
        const bool system = name.rfind("MSys", 0) == 0;
        EXPECT_EQ(tableTypes[name], system ? "ACCESS TABLE" : "TABLE") << name;
        compared += compareTable(connection, table);
    }
    RecordProperty("values_compared", static_cast<int>(compared));
}

std::vector<std::string> expectedFiles() {
    std::vector<std::string> names;
    const auto root = corpusRoot();
    if (!root) return names;
    for (const auto& entry : fs::directory_iterator(*root / "access" / "expected-jackcess"))
        if (entry.path().extension() == ".jsonl") names.push_back(entry.path().stem().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string testNameOf(const ::testing::TestParamInfo<std::string>& info) {
    std::string name = info.param;
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(Corpus, CorpusDatabase, ::testing::ValuesIn(expectedFiles()), testNameOf);
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(CorpusDatabase);

}  // namespace
}  // namespace velmora::access::testing

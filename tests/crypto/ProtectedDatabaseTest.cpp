// Opening every protected corpus database through the provider with its password, and
// refusing it without.

#include <gtest/gtest.h>

#include <cctype>
#include <map>

#include "dataaccess/Connection.h"
#include "dataaccess/DbError.h"
#include "dataaccess/Recordset.h"
#include "tests/access/CorpusFiles.h"
#include "tests/crypto/ProtectedCorpusFiles.h"

namespace velmora::access::testing {
namespace {

std::string swapCase(std::string text) {
    for (char& c : text) {
        const auto u = static_cast<unsigned char>(c);
        c = static_cast<char>(std::islower(u) ? std::toupper(u) : std::tolower(u));
    }
    return text;
}

class ProtectedFileTest : public ::testing::TestWithParam<ProtectedFile> {};

TEST_P(ProtectedFileTest, OpensWithItsPasswordAndReadsEveryRow) {
    const ProtectedFile& file = GetParam();
    VELMORA_SKIP_WITHOUT(file.path);
    db::Connection connection;
    connection.open(connectionStringFor(*corpusFile(file.path), file.password));
    const TableTotals totals = readEveryTable(connection);
    EXPECT_EQ(totals.tables, file.userTables);
    EXPECT_EQ(totals.rows, file.rows);
}

TEST_P(ProtectedFileTest, RefusesEmptyWrongAndMiscasedPasswords) {
    const ProtectedFile& file = GetParam();
    VELMORA_SKIP_WITHOUT(file.path);
    std::vector<std::string> wrongPasswords = {"", "x" + file.password, file.password + " ",
                                               file.password.substr(0, file.password.size() - 1)};
    if (swapCase(file.password) != file.password) wrongPasswords.push_back(swapCase(file.password));
    for (const std::string& wrong : wrongPasswords) {
        db::Connection connection;
        try {
            connection.open(connectionStringFor(*corpusFile(file.path), wrong));
            ADD_FAILURE() << file.path << " opened with a wrong password of " << wrong.size()
                          << " characters";
        } catch (const db::DbError& error) {
            EXPECT_EQ(error.number(), db::errc::kProviderFailure);
            EXPECT_EQ(error.description(), "Not a valid password.");
        }
        EXPECT_FALSE(connection.isOpen());
    }
}

std::string nameOf(const ::testing::TestParamInfo<ProtectedFile>& info) {
    return testName(info.param);
}

INSTANTIATE_TEST_SUITE_P(JetPassword, ProtectedFileTest,
                         ::testing::ValuesIn(passwordProtectedFiles()), nameOf);
INSTANTIATE_TEST_SUITE_P(EncryptedAccdb, ProtectedFileTest, ::testing::ValuesIn(encryptedFiles()),
                         nameOf);

class UnprotectedFileTest : public ::testing::TestWithParam<ProtectedFile> {};

// As with Access, a database without a password opens whatever password is given,
// even one that is not UTF-8.
TEST_P(UnprotectedFileTest, OpensWithAnyPassword) {
    const ProtectedFile& file = GetParam();
    VELMORA_SKIP_WITHOUT(file.path);
    for (const std::string password : {"", "anything", "\xff\xfe not UTF-8"}) {
        db::Connection connection;
        connection.open(connectionStringFor(*corpusFile(file.path), password));
        if (!password.empty()) continue;
        const TableTotals totals = readEveryTable(connection);
        EXPECT_EQ(totals.tables, file.userTables);
        EXPECT_EQ(totals.rows, file.rows);
    }
}

INSTANTIATE_TEST_SUITE_P(NoPassword, UnprotectedFileTest,
                         ::testing::ValuesIn(filesWithoutPassword()), nameOf);

// Rows by their first column (the ID), every value of every column.
std::map<std::int64_t, std::vector<db::Value>> rowsById(db::Connection& connection,
                                                        const std::string& table) {
    std::map<std::int64_t, std::vector<db::Value>> rows;
    db::Recordset rs;
    rs.open("SELECT * FROM `" + table + "`", connection);
    for (; !rs.eof(); rs.moveNext()) {
        std::vector<db::Value> row;
        for (int c = 0; c < rs.fields().count(); ++c) row.push_back(rs.fields()[c].value());
        rows.emplace(rs.fields()[0].value().asInt(), std::move(row));
    }
    return rows;
}

// The 20,000-row encrypted file has no expected-values file. The same generator wrote
// the same AllTypes rows (pure functions of the ID) into a Jet4 file that is only
// password-protected, and both copied their Table1 from the same test database; so an
// encrypted page decrypted wrong shows as a difference.
TEST(EncryptedAgile20kTest, ReadsValueForValueLikeItsJet4Twin) {
    const std::string encrypted = "generated/enc_agile_pw-password_alltypes_20k_v2010.accdb";
    const std::string twin = "generated/pwd_jet4_pw-password_alltypes_20k_v2000.mdb";
    VELMORA_SKIP_WITHOUT(encrypted);
    VELMORA_SKIP_WITHOUT(twin);
    db::Connection accdb, mdb;
    accdb.open(connectionStringFor(*corpusFile(encrypted), "password"));
    mdb.open(connectionStringFor(*corpusFile(twin), "password"));
    for (const std::string table : {"AllTypes", "Table1"}) {
        const auto fromAccdb = rowsById(accdb, table);
        const auto fromMdb = rowsById(mdb, table);
        ASSERT_EQ(fromAccdb.size(), table == "AllTypes" ? 20000u : 3u) << table;
        ASSERT_EQ(fromAccdb.size(), fromMdb.size()) << table;
        int differences = 0;
        for (const auto& [id, row] : fromAccdb) {
            const auto other = fromMdb.find(id);
            ASSERT_NE(other, fromMdb.end()) << table << " ID " << id;
            if (row != other->second && ++differences <= 5)
                ADD_FAILURE() << table << " ID " << id << " differs";
        }
        EXPECT_EQ(differences, 0) << table;
    }
}

}  // namespace
}  // namespace velmora::access::testing

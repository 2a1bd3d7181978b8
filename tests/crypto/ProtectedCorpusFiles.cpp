#include "ProtectedCorpusFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "CorpusFiles.h"
#include "ExpectedTables.h"

namespace velmora::test {

namespace {

using Contents = ProtectedFile::Contents;

const TableContents* findTable(const std::vector<TableContents>& tables, const std::string& name) {
    const auto found = std::find_if(tables.begin(), tables.end(),
                                    [&](const TableContents& t) { return t.name == name; });
    return found == tables.end() ? nullptr : &*found;
}

// Long and text columns read the same through libmdb as in Jackcess's dump (NULL reads
// as ""); that is enough to show every page decrypted right. Rows are compared as sorted
// lists because the two readers may scan in different orders.
void expectJackcessValues(const ProtectedFile& file, const std::vector<TableContents>& tables) {
    const std::vector<ExpectedTable> expected = readExpectedTables(expectedValuesFile(file.path));
    ASSERT_EQ(tables.size(), expected.size()) << file.path;
    for (const ExpectedTable& table : expected) {
        const TableContents* actual = findTable(tables, table.name);
        ASSERT_NE(actual, nullptr) << file.path << ": no table " << table.name;
        ASSERT_EQ(static_cast<std::int64_t>(actual->rows.size()), table.rowCount) << table.name;
        ASSERT_EQ(actual->columns, table.columnNames) << table.name;
        std::vector<std::size_t> compared;
        for (std::size_t c = 0; c < table.columnTypes.size(); ++c)
            if (table.columnTypes[c] == "long" || table.columnTypes[c] == "text")
                compared.push_back(c);
        ASSERT_FALSE(compared.empty()) << table.name;
        std::vector<std::vector<std::string>> want, got;
        for (const auto& row : table.rows) {
            std::vector<std::string> cells;
            for (std::size_t c : compared) cells.push_back(row.at(c).value_or(""));
            want.push_back(std::move(cells));
        }
        for (const auto& row : actual->rows) {
            std::vector<std::string> cells;
            for (std::size_t c : compared) cells.push_back(row.at(c));
            got.push_back(std::move(cells));
        }
        std::sort(want.begin(), want.end());
        std::sort(got.begin(), got.end());
        EXPECT_EQ(got, want) << file.path << ": " << table.name;
    }
}

// The generated 20,000-row files: AllTypes holds TextNoComp = "n<ID>" (NULL when
// ID % 10 == 2) on every row, Table1 the rows of the file it was copied from.
void expectAllTypes20k(const ProtectedFile& file, const std::vector<TableContents>& tables) {
    const TableContents* allTypes = findTable(tables, "AllTypes");
    const TableContents* table1 = findTable(tables, "Table1");
    ASSERT_NE(allTypes, nullptr);
    ASSERT_NE(table1, nullptr);
    EXPECT_EQ(table1->rows.size(), file.table1Rows);
    ASSERT_EQ(allTypes->rows.size(), 20000u);
    ASSERT_EQ(allTypes->columns.at(2), "TextNoComp");
    std::vector<bool> seen(20001);
    for (const auto& row : allTypes->rows) {
        const int id = std::stoi(row.at(0));
        ASSERT_TRUE(id >= 1 && id <= 20000 && !seen[id]) << id;
        seen[id] = true;
        EXPECT_EQ(row.at(2), id % 10 == 2 ? "" : "n" + std::to_string(id)) << id;
    }
}

}  // namespace

const std::vector<ProtectedFile>& passwordProtectedFiles() {
    static const std::vector<ProtectedFile> files = {
        {"mdb-reader/test/password/data/V2000_with-password.mdb", "password", false,
         Contents::kJackcessValues},
        {"mdb-reader/test/password/data/V2003_with-password.mdb", "password", false,
         Contents::kJackcessValues},
        {"ucanaccess/src/test/resources/testdbs/password.mdb", "ucanaccess", false,
         Contents::kNoUserTables},
        {"generated/pwd_jet4_pw-password_alltypes_20k_v2000.mdb", "password", false,
         Contents::kAllTypes20k, 3},
    };
    return files;
}

const std::vector<ProtectedFile>& encryptedFiles() {
    static const std::vector<ProtectedFile> files = {
        // agile, SHA-512 and AES-256
        {"mdb-reader/test/password/data/V2010_with-password.accdb", "password", true,
         Contents::kJackcessValues},
        {"jackcessencrypt/src/test/data/db2013-enc.accdb", "1234", true, Contents::kJackcessValues},
        {"generated/enc_agile_pw-password_alltypes_20k_v2010.accdb", "password", true,
         Contents::kAllTypes20k, 3},
        // agile, SHA-1 and AES-128
        {"jackcessencrypt/src/test/data/db2007-enc.accdb", "Test123", true,
         Contents::kJackcessValues},
        // RC4 CryptoAPI, 128-bit and 40-bit keys
        {"mdb-reader/test/encryption/data/office-agile-4.2.accdb", "password", true,
         Contents::kJackcessValues},
        {"jackcessencrypt/src/test/data/db2007-oldenc.accdb", "Test123", true,
         Contents::kJackcessValues},
        // non-standard AES-256
        {"jackcessencrypt/src/test/data/db-nonstandard.accdb", "password", true,
         Contents::kJackcessValues},
    };
    return files;
}

const std::vector<ProtectedFile>& filesWithoutPassword() {
    static const std::vector<ProtectedFile> files = {
        {"mdb-reader/test/password/data/V2000_no-password.mdb", "", false,
         Contents::kJackcessValues},
        {"mdb-reader/test/password/data/V2010_no-password.accdb", "", false,
         Contents::kJackcessValues},
        // pages RC4-encoded with the database key, which libmdb decodes itself
        {"jackcessencrypt/src/test/data/db-enc.mdb", "", false, Contents::kJackcessValues},
        {"jackcessencrypt/src/test/data/db97-enc.mdb", "", false, Contents::kJackcessValues},
        {"generated/rc4_jet4_nopw_alltypes_20k_v2000.mdb", "", false, Contents::kAllTypes20k, 2},
    };
    return files;
}

void expectContents(const ProtectedFile& file, const std::vector<TableContents>& tables) {
    switch (file.contents) {
        case Contents::kJackcessValues:
            expectJackcessValues(file, tables);
            break;
        case Contents::kAllTypes20k:
            expectAllTypes20k(file, tables);
            break;
        case Contents::kNoUserTables:
            EXPECT_TRUE(tables.empty()) << file.path;
            break;
    }
}

void PrintTo(const ProtectedFile& file, std::ostream* out) {
    *out << file.path;
}

std::string testName(const ProtectedFile& file) {
    std::string name = std::filesystem::path(file.path).filename().string();
    std::replace_if(
        name.begin(), name.end(),
        [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
    return name;
}

}  // namespace velmora::test

#include "tests/crypto/ProtectedCorpusFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

#include "dataaccess/AdoTypes.h"
#include "dataaccess/Recordset.h"
#include "tests/access/CorpusFiles.h"

namespace velmora::access::testing {

const std::vector<ProtectedFile>& passwordProtectedFiles() {
    static const std::vector<ProtectedFile> files = {
        {"mdb-reader/test/password/data/V2000_with-password.mdb", "password", false, 1, 3},
        {"mdb-reader/test/password/data/V2003_with-password.mdb", "password", false, 1, 3},
        {"ucanaccess/src/test/resources/testdbs/password.mdb", "ucanaccess", false, 0, 0},
        {"generated/pwd_jet4_pw-password_alltypes_20k_v2000.mdb", "password", false, 2, 20003},
    };
    return files;
}

const std::vector<ProtectedFile>& encryptedFiles() {
    static const std::vector<ProtectedFile> files = {
        // agile, SHA-512 and AES-256
        {"mdb-reader/test/password/data/V2010_with-password.accdb", "password", true, 1, 3},
        {"jackcessencrypt/src/test/data/db2013-enc.accdb", "1234", true, 1, 7},
        {"generated/enc_agile_pw-password_alltypes_20k_v2010.accdb", "password", true, 2, 20003},
        // agile, SHA-1 and AES-128
        {"jackcessencrypt/src/test/data/db2007-enc.accdb", "Test123", true, 1, 1},
        // RC4 CryptoAPI, 128-bit and 40-bit keys
        {"mdb-reader/test/encryption/data/office-agile-4.2.accdb", "password", true, 1, 3},
        {"jackcessencrypt/src/test/data/db2007-oldenc.accdb", "Test123", true, 1, 1},
        // non-standard AES-256
        {"jackcessencrypt/src/test/data/db-nonstandard.accdb", "password", true, 1, 1},
    };
    return files;
}

const std::vector<ProtectedFile>& filesWithoutPassword() {
    static const std::vector<ProtectedFile> files = {
        {"mdb-reader/test/password/data/V2000_no-password.mdb", "", false, 1, 3},
        {"mdb-reader/test/password/data/V2010_no-password.accdb", "", false, 1, 3},
        // pages RC4-encoded with the database key, which libmdb decodes itself
        {"jackcessencrypt/src/test/data/db-enc.mdb", "", false, 1, 2},
        {"jackcessencrypt/src/test/data/db97-enc.mdb", "", false, 1, 2},
        {"generated/rc4_jet4_nopw_alltypes_20k_v2000.mdb", "", false, 2, 20002},
    };
    return files;
}

std::optional<std::filesystem::path> corpusFile(const std::string& relative) {
    const auto root = corpusRoot();
    if (!root || !std::filesystem::exists(*root / "access" / relative)) return std::nullopt;
    return *root / "access" / relative;
}

TableTotals readEveryTable(db::Connection& connection) {
    std::vector<std::string> tables;
    for (auto schema = connection.openSchema(db::ado::adSchemaTables); !schema->eof();
         schema->moveNext())
        if (schema->fields().item("TABLE_TYPE").value().asText() == "TABLE")
            tables.push_back(schema->fields().item("TABLE_NAME").value().asText());
    TableTotals totals;
    for (const std::string& table : tables) {
        db::Recordset rows;
        rows.open("SELECT * FROM `" + table + "`", connection);
        std::int64_t read = 0;
        for (; !rows.eof(); rows.moveNext()) {
            for (int c = 0; c < rows.fields().count(); ++c) rows.fields()[c].value();
            ++read;
        }
        EXPECT_EQ(read, rows.recordCount()) << table;
        ++totals.tables;
        totals.rows += read;
    }
    return totals;
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

}  // namespace velmora::access::testing

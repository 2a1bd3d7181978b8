// Opening and reading every row of the 20,000-row agile-encrypted .accdb through the
// provider, against the same database decrypted to a plain file, in one run. The plain
// copy is written to a private temporary folder for this comparison only and removed
// at the end.

#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "access/Protection.h"
#include "access/crypto/HeaderPage.h"
#include "access/crypto/OfficeEncryption.h"
#include "access/crypto/TextEncoding.h"
#include "dataaccess/AdoTypes.h"
#include "dataaccess/Connection.h"
#include "dataaccess/Recordset.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

const char kFile[] = "access/generated/enc_agile_pw-password_alltypes_20k_v2010.accdb";
const char kPassword[] = "password";
constexpr int kRounds = 5;

fs::path corpusRoot() {
    if (const char* configured = std::getenv("VELMORA_CORPUS");
        configured != nullptr && *configured != '\0')
        return configured;
    return VELMORA_CORPUS_DEFAULT;
}

// Opens the database and reads every value of every row of every user table.
long openAndReadEverything(const fs::path& file, const std::string& password) {
    velmora::db::Connection connection;
    connection.open("Provider=Microsoft.ACE.OLEDB.12.0;Data Source=" + file.string() +
                    ";Jet OLEDB:Database Password=" + password);
    std::vector<std::string> tables;
    for (auto schema = connection.openSchema(velmora::db::ado::adSchemaTables); !schema->eof();
         schema->moveNext())
        if (schema->fields().item("TABLE_TYPE").value().asText() == "TABLE")
            tables.push_back(schema->fields().item("TABLE_NAME").value().asText());
    long rows = 0;
    for (const std::string& table : tables) {
        velmora::db::Recordset rs;
        rs.open("SELECT * FROM `" + table + "`", connection);
        for (; !rs.eof(); rs.moveNext(), ++rows)
            for (int c = 0; c < rs.fields().count(); ++c) rs.fields()[c].value();
    }
    return rows;
}

// The password check alone: for agile encryption the spin of the password hash that the
// file prescribes (spinCount), a fixed cost that no reading of rows can hide.
void unlockOnly(const fs::path& file, const std::string& password) {
    std::vector<std::uint8_t> start(4096);
    std::ifstream(file, std::ios::binary).read(reinterpret_cast<char*>(start.data()), 4096);
    const velmora::access::crypto::HeaderPage header(start);
    velmora::access::crypto::unlockOfficeEncryption(
        header, *velmora::access::crypto::utf16leFromUtf8(password));
}

double millisecondsOf(const std::function<void()>& work) {
    const auto start = Clock::now();
    work();
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main() {
    const fs::path encrypted = corpusRoot() / kFile;
    if (!fs::exists(encrypted)) {
        std::printf("skipped: %s not found (set VELMORA_CORPUS)\n", encrypted.c_str());
        return 0;
    }
    std::string pattern = (fs::temp_directory_path() / "velmora-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) return 1;  // mode 0700: only this user reads it
    const fs::path privateDir = pattern;
    const fs::path plain = privateDir / "decrypted.accdb";
    {
        const velmora::access::DatabaseImage image =
            velmora::access::prepareDatabase(encrypted.string(), kPassword);
        std::ofstream(plain, std::ios::binary)
            .write(reinterpret_cast<const char*>(image.decrypted.data()),
                   static_cast<std::streamsize>(image.decrypted.size()));
    }

    std::vector<double> encryptedTimes, plainTimes, decryptTimes, unlockTimes;
    long encryptedRows = 0, plainRows = 0;
    for (int round = 0; round < kRounds; ++round) {
        encryptedTimes.push_back(
            millisecondsOf([&] { encryptedRows = openAndReadEverything(encrypted, kPassword); }));
        plainTimes.push_back(millisecondsOf([&] { plainRows = openAndReadEverything(plain, ""); }));
        decryptTimes.push_back(millisecondsOf(
            [&] { velmora::access::prepareDatabase(encrypted.string(), kPassword); }));
        unlockTimes.push_back(millisecondsOf([&] { unlockOnly(encrypted, kPassword); }));
    }
    fs::remove_all(privateDir);

    const double encryptedMs = median(encryptedTimes), plainMs = median(plainTimes);
    std::printf(
        "open + read every value through the provider, median of %d rounds (%ld / %ld rows)\n",
        kRounds, encryptedRows, plainRows);
    std::printf("  encrypted .accdb : %8.1f ms\n", encryptedMs);
    std::printf(
        "    of which password check and decryption %.1f ms, the password check alone %.1f ms\n",
        median(decryptTimes), median(unlockTimes));
    std::printf("  decrypted copy   : %8.1f ms\n", plainMs);
    std::printf("  ratio            : %8.2f (target <= 1.50)\n", encryptedMs / plainMs);
    return encryptedRows == plainRows ? 0 : 1;
}

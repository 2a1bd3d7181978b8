// Opening and reading every row of the 20,000-row agile-encrypted .accdb, against the
// same database decrypted to a plain file, in one run. The plain copy is written to a
// private temporary folder for this comparison only and removed at the end.

// glib first: mdbtools.h includes it inside extern "C", where its C++ parts do not compile.
#include <glib.h>

#include <mdbtools.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Protection.h"
#include "dataaccess/DbError.h"

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
    return VELMORA_DEFAULT_CORPUS;
}

// Reads every row of every user table with every column bound, as the provider will.
long readAllRows(MdbHandle* mdb) {
    if (mdb == nullptr || !mdb_read_catalog(mdb, MDB_TABLE))
        throw std::runtime_error("libmdb cannot open it");
    long rows = 0;
    std::vector<std::vector<char>> buffers;
    std::vector<int> lengths;
    for (unsigned i = 0; i < mdb->num_catalog; ++i) {
        auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb->catalog, i));
        if (entry->object_type != MDB_TABLE || mdb_is_system_table(entry)) continue;
        MdbTableDef* table = mdb_read_table(entry);
        mdb_read_columns(table);
        mdb_rewind_table(table);
        buffers.assign(table->num_cols, std::vector<char>(MDB_BIND_SIZE));
        lengths.assign(table->num_cols, 0);
        for (unsigned c = 0; c < table->num_cols; ++c)
            mdb_bind_column(table, static_cast<int>(c + 1), buffers[c].data(), &lengths[c]);
        while (mdb_fetch_row(table)) ++rows;
        mdb_free_tabledef(table);
    }
    mdb_close(mdb);
    return rows;
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
        velmora::access::DatabaseImage image =
            velmora::access::prepareDatabase(encrypted.string(), kPassword);
        std::ofstream(plain, std::ios::binary)
            .write(reinterpret_cast<const char*>(image.decrypted.data()),
                   static_cast<std::streamsize>(image.decrypted.size()));
    }

    std::vector<double> encryptedTimes, decryptTimes, plainTimes;
    long encryptedRows = 0, plainRows = 0;
    for (int round = 0; round < kRounds; ++round) {
        encryptedTimes.push_back(millisecondsOf([&] {
            velmora::access::DatabaseImage image;
            decryptTimes.push_back(millisecondsOf(
                [&] { image = velmora::access::prepareDatabase(encrypted.string(), kPassword); }));
            encryptedRows = readAllRows(
                mdb_open_buffer(image.decrypted.data(), image.decrypted.size(), MDB_NOFLAGS));
        }));
        plainTimes.push_back(millisecondsOf([&] {
            const velmora::access::DatabaseImage image =
                velmora::access::prepareDatabase(plain.string(), "");
            plainRows = readAllRows(mdb_open(image.path.c_str(), MDB_NOFLAGS));
        }));
    }
    fs::remove_all(privateDir);

    const double encryptedMs = median(encryptedTimes), plainMs = median(plainTimes);
    std::printf("open + read every row, median of %d rounds (%ld / %ld rows)\n", kRounds,
                encryptedRows, plainRows);
    std::printf("  encrypted .accdb : %8.1f ms (of which password check and decryption %.1f ms)\n",
                encryptedMs, median(decryptTimes));
    std::printf("  decrypted copy   : %8.1f ms\n", plainMs);
    std::printf("  ratio            : %8.2f (target <= 1.50)\n", encryptedMs / plainMs);
    return encryptedRows == plainRows ? 0 : 1;
}

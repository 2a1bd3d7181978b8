#pragma once
// Every password-protected, encrypted or RC4-encoded database of the corpus, with the
// password its source documents and its user tables and rows as MANIFEST.tsv counts
// them. Comparing every value with expected-jackcess/ is the corpus test's job
// (tests/access/CorpusTest.cpp); these lists drive what is particular to protection.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "dataaccess/Connection.h"
#include "tests/support/Corpus.h"

namespace velmora::access::testing {

struct ProtectedFile {
    std::string path;      // below access/ in the corpus
    std::string password;  // empty: the file has none
    bool encrypted;        // an .accdb that is decrypted into memory
    int userTables;
    std::int64_t rows;
};

const std::vector<ProtectedFile>& passwordProtectedFiles();  // Jet database passwords
const std::vector<ProtectedFile>& encryptedFiles();          // Office-encrypted .accdb
const std::vector<ProtectedFile>& filesWithoutPassword();    // plain and RC4-encoded Jet

// The file in the corpus, or nothing when this machine lacks it.
std::optional<std::filesystem::path> corpusFile(const std::string& relative);

struct TableTotals {
    int tables = 0;
    std::int64_t rows = 0;
};
// Reads every row of every user table through the open connection.
TableTotals readEveryTable(db::Connection& connection);

// gtest prints a case by its path only, never its password.
void PrintTo(const ProtectedFile& file, std::ostream* out);

// gtest names: the file name without punctuation.
std::string testName(const ProtectedFile& file);

}  // namespace velmora::access::testing

#define VELMORA_SKIP_WITHOUT(relative) VELMORA_NEED_CORPUS(corpusFile(relative), relative)

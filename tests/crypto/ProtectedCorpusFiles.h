#pragma once
// Every password-protected, encrypted or RC4-encoded database of the corpus, with the
// password its source documents, and how its contents are checked once open.

#include <ostream>
#include <string>
#include <vector>

#include "LibmdbTables.h"

namespace velmora::test {

struct ProtectedFile {
    enum class Contents { kJackcessValues, kAllTypes20k, kNoUserTables };
    std::string path;      // below access/ in the corpus
    std::string password;  // empty: the file has none
    bool encrypted;        // an .accdb that is decrypted into memory
    Contents contents;
    std::size_t table1Rows = 0;  // kAllTypes20k: rows of the Table1 copied from the original
};

const std::vector<ProtectedFile>& passwordProtectedFiles();  // Jet database passwords
const std::vector<ProtectedFile>& encryptedFiles();          // Office-encrypted .accdb
const std::vector<ProtectedFile>& filesWithoutPassword();    // plain and RC4-encoded Jet

// Checks what libmdb read against expected-jackcess/, or against the generated data.
void expectContents(const ProtectedFile& file, const std::vector<TableContents>& tables);

// gtest prints a failing case by its path only, never its password.
void PrintTo(const ProtectedFile& file, std::ostream* out);

// gtest names: the file name without punctuation.
std::string testName(const ProtectedFile& file);

}  // namespace velmora::test

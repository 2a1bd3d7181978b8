// Opening every protected corpus database with its password, and refusing it without.

#include <gtest/gtest.h>

#include <cctype>

#include "CorpusFiles.h"
#include "LibmdbTables.h"
#include "ProtectedCorpusFiles.h"
#include "Protection.h"
#include "dataaccess/DbError.h"

namespace velmora::test {
namespace {

std::string swapCase(std::string text) {
    for (char& c : text) {
        const auto u = static_cast<unsigned char>(c);
        c = static_cast<char>(std::islower(u) ? std::toupper(u) : std::tolower(u));
    }
    return text;
}

class ProtectedFileTest : public ::testing::TestWithParam<ProtectedFile> {};

TEST_P(ProtectedFileTest, OpensWithItsPasswordAndReadsEveryTable) {
    const ProtectedFile& file = GetParam();
    const std::filesystem::path path = accessCorpusFile(file.path);
    VELMORA_SKIP_WITHOUT(path);
    access::DatabaseImage image = access::prepareDatabase(path.string(), file.password);
    EXPECT_EQ(image.path, path.string());
    EXPECT_EQ(image.decrypted.empty(), !file.encrypted);
    if (file.encrypted) {
        EXPECT_EQ(image.decrypted.size(), std::filesystem::file_size(path));
    }
    expectContents(file, readWithLibmdb(image));
}

TEST_P(ProtectedFileTest, RefusesEmptyWrongAndMiscasedPasswords) {
    const ProtectedFile& file = GetParam();
    const std::filesystem::path path = accessCorpusFile(file.path);
    VELMORA_SKIP_WITHOUT(path);
    std::vector<std::string> wrongPasswords = {"", "x" + file.password, file.password + " ",
                                               file.password.substr(0, file.password.size() - 1)};
    if (swapCase(file.password) != file.password) wrongPasswords.push_back(swapCase(file.password));
    for (const std::string& wrong : wrongPasswords) {
        try {
            access::prepareDatabase(path.string(), wrong);
            ADD_FAILURE() << file.path << " opened with a wrong password of " << wrong.size()
                          << " characters";
        } catch (const db::DbError& error) {
            EXPECT_EQ(error.number(), db::errc::kProviderFailure);
            EXPECT_EQ(error.description(), "Not a valid password.");
        }
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
    const std::filesystem::path path = accessCorpusFile(file.path);
    VELMORA_SKIP_WITHOUT(path);
    for (const std::string password : {"", "anything", "\xff\xfe not UTF-8"}) {
        access::DatabaseImage image = access::prepareDatabase(path.string(), password);
        EXPECT_TRUE(image.decrypted.empty()) << "libmdb reads the file itself";
        if (password.empty()) expectContents(file, readWithLibmdb(image));
    }
}

INSTANTIATE_TEST_SUITE_P(NoPassword, UnprotectedFileTest,
                         ::testing::ValuesIn(filesWithoutPassword()), nameOf);

}  // namespace
}  // namespace velmora::test

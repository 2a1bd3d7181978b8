// Encrypted files that cannot be opened get a clear error naming the reason, never the
// password; decryption leaves nothing on disk.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <fstream>
#include <functional>
#include <set>

#include "access/Protection.h"
#include "dataaccess/Connection.h"
#include "dataaccess/DbError.h"
#include "tests/access/CorpusFiles.h"
#include "tests/crypto/ProtectedCorpusFiles.h"

namespace velmora::access::testing {
namespace {

namespace fs = std::filesystem;

const std::string kRc4File = "jackcessencrypt/src/test/data/db2007-oldenc.accdb";
const std::string kAgileFile = "mdb-reader/test/password/data/V2010_with-password.accdb";
constexpr std::size_t kEncryptionInfo = 0x299;  // 16-bit length, then major and minor version

class EncryptionErrorsTest : public ::testing::Test {
  protected:
    // A changed copy of an (encrypted, so never plaintext) corpus file, under a name
    // that does not hold the password.
    fs::path patchedCopy(const std::string& relative,
                         const std::function<void(std::vector<char>&)>& patch) {
        std::ifstream in(*corpusFile(relative), std::ios::binary);
        std::vector<char> bytes((std::istreambuf_iterator<char>(in)),
                                std::istreambuf_iterator<char>());
        patch(bytes);
        const fs::path copy = scratch_.path() / "patched.accdb";
        std::ofstream(copy, std::ios::binary)
            .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return copy;
    }

    // The error the user sees when opening `path`, checked not to give the password away.
    static std::string openError(const fs::path& path, const std::string& password) {
        db::Connection connection;
        try {
            connection.open(connectionStringFor(path, password));
        } catch (const db::DbError& error) {
            EXPECT_EQ(error.number(), db::errc::kProviderFailure);
            EXPECT_EQ(error.description().find(password), std::string::npos)
                << "the password is in the message";
            return error.description();
        }
        return "(opened)";
    }

    ScratchFolder scratch_;
};

TEST_F(EncryptionErrorsTest, NamesTheSchemesItCannotRead) {
    VELMORA_SKIP_WITHOUT(kRc4File);
    struct Scheme {
        std::uint8_t major, minor;
        const char* name;
    };
    for (const Scheme scheme : {Scheme{3, 3, "extensible encryption (version 3.3)"},
                                Scheme{4, 3, "extensible encryption (version 4.3)"},
                                Scheme{1, 1, "binary RC4 encryption (version 1.1)"},
                                Scheme{9, 2, "unknown Office encryption (version 9.2)"}}) {
        const fs::path copy = patchedCopy(kRc4File, [&](std::vector<char>& bytes) {
            bytes[kEncryptionInfo + 2] = static_cast<char>(scheme.major);
            bytes[kEncryptionInfo + 4] = static_cast<char>(scheme.minor);
        });
        const std::string error = openError(copy, "Test123");
        EXPECT_NE(error.find(scheme.name), std::string::npos) << error;
        EXPECT_NE(error.find(copy.string()), std::string::npos) << "names the file: " << error;
    }
}

TEST_F(EncryptionErrorsTest, ReportsADamagedEncryptionHeader) {
    VELMORA_SKIP_WITHOUT(kAgileFile);
    // The XML descriptor cut off in the middle of an attribute.
    const fs::path cut = patchedCopy(kAgileFile, [](std::vector<char>& bytes) {
        bytes[kEncryptionInfo] = static_cast<char>(200);
        bytes[kEncryptionInfo + 1] = 0;
    });
    EXPECT_NE(openError(cut, "password").find("descriptor of the database is damaged"),
              std::string::npos);
    // A length that runs past the header page.
    const fs::path overlong = patchedCopy(kAgileFile, [](std::vector<char>& bytes) {
        bytes[kEncryptionInfo] = static_cast<char>(0xff);
        bytes[kEncryptionInfo + 1] = static_cast<char>(0xff);
    });
    EXPECT_NE(openError(overlong, "password").find("encryption header of the database is damaged"),
              std::string::npos);
}

TEST_F(EncryptionErrorsTest, ReportsATruncatedEncryptedFile) {
    VELMORA_SKIP_WITHOUT(kAgileFile);
    const fs::path truncated =
        patchedCopy(kAgileFile, [](std::vector<char>& bytes) { bytes.resize(bytes.size() - 100); });
    EXPECT_NE(openError(truncated, "password").find("not a whole number of pages"),
              std::string::npos);
    const fs::path headerOnly =
        patchedCopy(kAgileFile, [](std::vector<char>& bytes) { bytes.resize(1000); });
    EXPECT_NE(openError(headerOnly, "password").find("header is incomplete"), std::string::npos);
}

std::set<fs::path> openFileTargets() {
    std::set<fs::path> targets;
    for (const auto& entry : fs::directory_iterator("/proc/self/fd")) {
        std::error_code error;
        const fs::path target = fs::read_symlink(entry.path(), error);
        if (!error) targets.insert(target);
    }
    return targets;
}

std::set<fs::path> regularFilesOfSize(const fs::path& dir, std::uintmax_t size) {
    std::set<fs::path> files;
    std::error_code error;
    for (const auto& entry :
         fs::directory_iterator(dir, fs::directory_options::skip_permission_denied, error))
        if (entry.is_regular_file(error) && entry.file_size(error) == size)
            files.insert(entry.path());
    return files;
}

// The decrypted image lives in memory only: no temporary file, named or deleted and
// still open, neither in $TMPDIR nor in /tmp (which tmpfile() uses whatever $TMPDIR says).
TEST(DecryptionTest, LeavesNoPlaintextOnDisk) {
    VELMORA_SKIP_WITHOUT(encryptedFiles().front().path);
    ScratchFolder privateTmp;
    const char* previous = std::getenv("TMPDIR");
    const std::string previousTmpdir = previous ? previous : "";
    setenv("TMPDIR", privateTmp.path().c_str(), 1);

    for (const ProtectedFile& file : encryptedFiles()) {
        const auto path = corpusFile(file.path);
        if (!path) continue;
        const std::uintmax_t size = fs::file_size(*path);
        const std::set<fs::path> tmpBefore = regularFilesOfSize("/tmp", size);
        const std::set<fs::path> openBefore = openFileTargets();
        {
            const DatabaseImage image = prepareDatabase(path->string(), file.password);
            EXPECT_EQ(image.decrypted.size(), size) << "decrypted into memory";
            db::Connection connection;
            connection.open(connectionStringFor(*path, file.password));
            readEveryTable(connection);
            for (const fs::path& target : openFileTargets())
                EXPECT_TRUE(openBefore.count(target) || target.string().rfind("/proc/", 0) == 0)
                    << file.path << " holds " << target << " open";
        }
        for (const fs::path& created : regularFilesOfSize("/tmp", size))
            EXPECT_TRUE(tmpBefore.count(created)) << file.path << " left " << created;
        EXPECT_TRUE(fs::is_empty(privateTmp.path())) << file.path;
    }

    if (previous)
        setenv("TMPDIR", previousTmpdir.c_str(), 1);
    else
        unsetenv("TMPDIR");
}

}  // namespace
}  // namespace velmora::access::testing

#include "paradox/StagedTables.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <vector>

#include "paradox/CreateTable.h"
#include "paradox/DriverError.h"
#include "paradox/TableFiles.h"

namespace velmora::paradox {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kStagingPrefix = ".velmora-new-";
constexpr std::string_view kJournalExtension = ".ready";

struct Journal {
    std::vector<std::string> coming;  // file names in the staging folder, the .db first
    std::vector<std::string> going;   // file names in the table folder
};

fs::path journalPath(const fs::path& staging, const std::string& name) {
    return staging / (name + std::string(kJournalExtension));
}

bool isDb(const std::string& file) {
    return file.size() > 3 &&
           sameNameIgnoringCase(std::string_view(file).substr(file.size() - 3), ".db");
}

void writeJournal(const fs::path& path, const Journal& journal, const std::string& label) {
    std::string text;
    for (const auto& file : journal.coming) text += "new\t" + file + '\n';
    for (const auto& file : journal.going) text += "old\t" + file + '\n';
    const fs::path temporary = fs::path(path).concat(kUnfinishedSuffix);
    ::unlink(temporary.c_str());
    writeNewFile(temporary, std::vector<std::uint8_t>(text.begin(), text.end()), label, 0600);
    // Its appearance under the real name is the moment the new table is committed.
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        failSystem("Replacing table " + inQuotes(label), error);
    }
}

Journal readJournal(const fs::path& path) {
    Journal journal;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("new\t", 0) == 0) journal.coming.push_back(line.substr(4));
        if (line.rfind("old\t", 0) == 0) journal.going.push_back(line.substr(4));
    }
    return journal;
}

// Every step may have run already: a kill can come anywhere, and this runs again.
void applyJournal(const fs::path& folder, const fs::path& staging, const fs::path& journalFile,
                  const Journal& journal, const std::string& label) {
    for (const auto& file : journal.coming) {
        const fs::path from = staging / file;
        if (::rename(from.c_str(), (folder / file).c_str()) != 0 && errno != ENOENT)
            failSystem("Replacing table " + inQuotes(label), errno);
    }
    for (const auto& file : journal.going) {
        if (std::find(journal.coming.begin(), journal.coming.end(), file) != journal.coming.end())
            continue;  // replaced by the rename
        if (::unlink((folder / file).c_str()) != 0 && errno != ENOENT)
            failSystem("Replacing table " + inQuotes(label), errno);
    }
    ::unlink(journalFile.c_str());
}

bool isJournal(const std::string& file) {
    return file.size() > kJournalExtension.size() &&
           file.compare(file.size() - kJournalExtension.size(), kJournalExtension.size(),
                        kJournalExtension) == 0;
}

void removeContents(const fs::path& staging) {
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(staging, ec)) ::unlink(entry.path().c_str());
}

}  // namespace

bool isStagingFolderName(const std::string& fileName) {
    return fileName.rfind(kStagingPrefix, 0) == 0;
}

const fs::path& StagingFolder::path() {
    if (!path_.empty()) return path_;
    std::string pattern = (folder_ / (std::string(kStagingPrefix) + "XXXXXX")).string();
    if (::mkdtemp(pattern.data()) == nullptr) failSystem("Creating a table", errno);
    const int fd = ::open(pattern.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0 || ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        if (fd >= 0) ::close(fd);
        ::rmdir(pattern.c_str());
        failSystem("Creating a table", error);
    }
    lock_ = fd;
    path_ = pattern;
    return path_;
}

StagingFolder::~StagingFolder() {
    close();
}

void StagingFolder::close() {
    if (path_.empty()) return;
    // A journal still here could not finish; the next session tries again.
    bool journalLeft = false;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(path_, ec))
        journalLeft = journalLeft || isJournal(entry.path().filename().string());
    if (!journalLeft) {
        removeContents(path_);
        ::rmdir(path_.c_str());
    }
    ::close(lock_);
    lock_ = -1;
    path_.clear();
}

void StagingFolder::publish(const std::string& name) {
    const fs::path staging = path();
    Journal journal;
    for (const auto& file : familyFiles(staging, name)) {
        const std::string fileName = file.filename().string();
        if (fileName.size() > kUnfinishedSuffix.size() &&
            sameNameIgnoringCase(
                std::string_view(fileName).substr(fileName.size() - kUnfinishedSuffix.size()),
                kUnfinishedSuffix)) {
            ::unlink(file.c_str());  // what a failed rebuild left
            continue;
        }
        journal.coming.push_back(fileName);
    }
    std::stable_partition(journal.coming.begin(), journal.coming.end(), isDb);
    // A move that cannot happen must be found before the journal promises it.
    for (const auto& file : journal.coming) {
        struct stat st {};
        if (::lstat((folder_ / file).c_str(), &st) == 0 && !S_ISREG(st.st_mode))
            fail("The file " + inQuotes(file) + " is in the way of table " + inQuotes(name) + ".");
    }
    for (const auto& file : familyFiles(folder_, name))
        journal.going.push_back(file.filename().string());
    const fs::path journalFile = journalPath(staging, name);
    writeJournal(journalFile, journal, name);
    applyJournal(folder_, staging, journalFile, journal, name);
}

void StagingFolder::discard(const std::string& name) {
    if (path_.empty()) return;
    for (const auto& file : familyFiles(path_, name)) ::unlink(file.c_str());
}

void recoverStagingFolders(const fs::path& folder) {
    std::error_code ec;
    std::vector<fs::path> stagings;
    for (const auto& entry : fs::directory_iterator(folder, ec))
        if (isStagingFolderName(entry.path().filename().string()) && entry.is_directory(ec) &&
            !entry.is_symlink(ec))
            stagings.push_back(entry.path());
    for (const auto& staging : stagings) {
        const int fd = ::open(staging.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0) continue;
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {  // its session is still writing
            ::close(fd);
            continue;
        }
        try {
            std::vector<fs::path> journals;
            for (const auto& entry : fs::directory_iterator(staging, ec))
                if (isJournal(entry.path().filename().string())) journals.push_back(entry.path());
            for (const auto& journal : journals) {
                const std::string file = journal.filename().string();
                applyJournal(folder, staging, journal, readJournal(journal),
                             file.substr(0, file.size() - kJournalExtension.size()));
            }
            removeContents(staging);
            ::rmdir(staging.c_str());
        } catch (const std::exception&) {
            // Left for a later session; the folder's tables are as the journal found them.
        }
        ::close(fd);
    }
}

}  // namespace velmora::paradox

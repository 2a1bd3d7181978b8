#include "paradox/DropTable.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "paradox/CreateTable.h"
#include "paradox/DriverError.h"
#include "paradox/MappedFile.h"
#include "paradox/TableFiles.h"
#include "paradox/TableHeader.h"

namespace velmora::paradox {

namespace {

class HeldFiles {
  public:
    ~HeldFiles() {
        for (int fd : fds_) ::close(fd);
    }
    void add(int fd) { fds_.push_back(fd); }

  private:
    std::vector<int> fds_;
};

void checkIsTable(int fd, const std::filesystem::path& file, const std::string& name) {
    std::vector<std::uint8_t> start(kTableHeaderProbe);
    struct stat st {};
    const ssize_t got = pread(fd, start.data(), start.size(), 0);
    if (got < 0 || fstat(fd, &st) != 0 ||
        !looksLikeTableHeader(start.data(), static_cast<std::size_t>(got),
                              static_cast<std::uint64_t>(st.st_size)))
        fail("The file " + inQuotes(file.filename().string()) +
             " is not a Paradox table; DROP TABLE " + inQuotes(name) +
             " removes Paradox tables only and left it alone.");
}

}  // namespace

void dropTable(const std::filesystem::path& folder, const std::string& name) {
    if (locateTable(folder, name).db.empty())
        fail("The table " + inQuotes(name) + " does not exist.");
    checkFolderWritable(folder);
    const auto files = familyFiles(folder, name);
    // Held locked until removed, so no other writer starts on a file being removed.
    HeldFiles held;
    for (const auto& file : files) {
        const int fd = openLockedForWriting(file, file.filename().string());
        held.add(fd);
        if (sameNameIgnoringCase(file.extension().string(), ".db")) checkIsTable(fd, file, name);
    }
    for (const auto& file : files)
        if (::unlink(file.c_str()) != 0 && errno != ENOENT)
            failSystem("Removing " + inQuotes(file.filename().string()), errno);
}

}  // namespace velmora::paradox

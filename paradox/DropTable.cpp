#include "paradox/DropTable.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "paradox/CreateTable.h"
#include "paradox/DriverError.h"
#include "paradox/MappedFile.h"
#include "paradox/TableFiles.h"
#include "paradox/TableHeader.h"

namespace velmora::paradox {

namespace {

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

HeldTable::HeldTable(HeldTable&& other) noexcept
    : files_(std::move(other.files_)), fds_(std::exchange(other.fds_, {})) {}

HeldTable& HeldTable::operator=(HeldTable&& other) noexcept {
    if (this != &other) {
        release();
        files_ = std::move(other.files_);
        fds_ = std::exchange(other.fds_, {});
    }
    return *this;
}

HeldTable::~HeldTable() {
    release();
}

void HeldTable::release() {
    for (int fd : fds_) ::close(fd);
    fds_.clear();
}

void HeldTable::remove() {
    for (const auto& file : files_)
        if (::unlink(file.c_str()) != 0 && errno != ENOENT)
            failSystem("Removing " + inQuotes(file.filename().string()), errno);
    release();
}

HeldTable holdForDrop(const std::filesystem::path& folder, const std::string& name) {
    if (locateTable(folder, name).db.empty())
        fail("The table " + inQuotes(name) + " does not exist.");
    checkFolderWritable(folder);
    HeldTable held;
    held.files_ = familyFiles(folder, name);
    for (const auto& file : held.files_) {
        const int fd = openLockedForWriting(file, file.filename().string());
        held.fds_.push_back(fd);
        if (sameNameIgnoringCase(file.extension().string(), ".db")) checkIsTable(fd, file, name);
    }
    return held;
}

void dropTable(const std::filesystem::path& folder, const std::string& name) {
    holdForDrop(folder, name).remove();
}

}  // namespace velmora::paradox

#include "paradox/MappedFile.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <thread>
#include <utility>

#include "dataaccess/DbError.h"
#include "paradox/DriverError.h"

namespace velmora::paradox {

namespace {

// Write permission is checked from the mode bits as well, so that a read-only table file
// is refused even for a user whom the system would let write.
bool isReadOnly(const struct stat& st) {
    return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

// Another writer usually holds a table only for one statement or one table of a run, so
// a lock is waited for a little before the table counts as busy.
constexpr auto kLockWait = std::chrono::milliseconds(1500);
constexpr auto kLockRetry = std::chrono::milliseconds(25);

void lockForWriting(int fd, const std::string& label) {
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    const auto giveUp = std::chrono::steady_clock::now() + kLockWait;
    for (;;) {
        if (fcntl(fd, F_OFD_SETLK, &lock) == 0) return;
        const int error = errno;
        if ((error != EAGAIN && error != EACCES) || std::chrono::steady_clock::now() >= giveUp) {
            close(fd);
            if (error == EAGAIN || error == EACCES)
                fail(db::errc::kTargetLocked,
                     "The table file " + inQuotes(label) +
                         " is locked by another program; nothing was changed.");
            failSystem("Locking " + inQuotes(label), error);
        }
        std::this_thread::sleep_for(kLockRetry);
    }
}

}  // namespace

int openLockedForWriting(const std::filesystem::path& path, const std::string& label) {
    // Never through a symbolic link: the file written must be the one in the folder.
    const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) {
        const int error = errno;
        if (error == ELOOP)
            fail("The table file " + inQuotes(label) + " (" + path.filename().string() +
                 ") is a symbolic link; links are not followed, nothing was changed.");
        if (error == EACCES || error == EPERM || error == EROFS)
            fail("The table file " + inQuotes(label) + " is read-only; nothing was changed.");
        if (error == ENOENT) fail("The table file " + inQuotes(label) + " does not exist.");
        failSystem("Opening " + inQuotes(label), error);
    }
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        fail("The table file " + inQuotes(label) + " (" + path.filename().string() +
             ") is not a regular file; nothing was changed.");
    }
    if (isReadOnly(st)) {
        ::close(fd);
        fail("The table file " + inQuotes(label) + " is read-only; nothing was changed.");
    }
    lockForWriting(fd, label);
    return fd;
}

MappedFile::~MappedFile() {
    close();
}

void MappedFile::open(const std::filesystem::path& path, std::size_t reserve,
                      const std::string& label) {
    close();
    const int fd = openLockedForWriting(path, label);
    struct stat st {};
    fstat(fd, &st);
    const auto size = static_cast<std::size_t>(st.st_size);
    const std::size_t length = std::max(reserve, size);
    void* map = mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (map == MAP_FAILED) {
        const int error = errno;
        ::close(fd);
        failSystem("Mapping " + inQuotes(label), error);
    }
    fd_ = fd;
    map_ = static_cast<std::uint8_t*>(map);
    mapped_ = length;
    size_ = size;
    label_ = label;
}

void MappedFile::close() {
    if (map_) munmap(map_, mapped_);
    if (fd_ >= 0) ::close(fd_);  // also releases the lock
    map_ = nullptr;
    fd_ = -1;
    mapped_ = size_ = 0;
}

void MappedFile::grow(std::size_t newSize) {
    if (newSize <= size_) return;
    if (newSize > mapped_) fail("The table " + inQuotes(label_) + " is full.");
    // Writing the zeros allocates the space, so a full disk shows here and not later as a
    // fault on the mapping; it also costs less than fallocate on common file systems.
    static const std::uint8_t zeros[65536] = {};
    int error = 0;
    for (std::size_t at = size_; at < newSize && error == 0;) {
        const std::size_t chunk = std::min(sizeof zeros, newSize - at);
        const ssize_t written = pwrite(fd_, zeros, chunk, static_cast<off_t>(at));
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0)
            error = written < 0 ? errno : ENOSPC;
        else
            at += static_cast<std::size_t>(written);
    }
    if (error != 0) {
        if (ftruncate(fd_, static_cast<off_t>(size_)) !=
            0) { /* the size check of the next statement reports it */
        }
        failSystem("Writing to " + inQuotes(label_), error);
    }
    size_ = newSize;
}

void MappedFile::shrink(std::size_t newSize) {
    if (newSize >= size_) return;
    if (ftruncate(fd_, static_cast<off_t>(newSize)) != 0)
        failSystem("Shortening " + inQuotes(label_), errno);
    size_ = newSize;
}

void MappedFile::release(std::size_t from, std::size_t to) {
    const auto page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    from = (from + page - 1) / page * page;
    to = to / page * page;
    if (to > from) madvise(map_ + from, to - from, MADV_DONTNEED);
}

bool MappedFile::unchangedOnDisk() const {
    struct stat st {};
    if (fstat(fd_, &st) != 0) return false;
    return st.st_nlink > 0 && static_cast<std::size_t>(st.st_size) == size_ && !isReadOnly(st);
}

}  // namespace velmora::paradox

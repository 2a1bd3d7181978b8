#pragma once
// A table file opened for writing and mapped into memory: statements change records and
// headers in place, so every statement leaves the file complete and current for any
// reader without a write call per change. The file grows only by whole blocks whose disk
// space is allocated first, so a full disk is an error before anything changes.

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

namespace velmora::paradox {

class MappedFile {
  public:
    MappedFile() = default;
    ~MappedFile();
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    // Opens an existing file for writing, takes a write lock on it and maps `reserve`
    // bytes (or the file size when larger). `label` names the file in messages. Throws
    // when the file is read-only, locked by another program or cannot be opened.
    void open(const std::filesystem::path& path, std::size_t reserve, const std::string& label);
    void close();

    std::uint8_t* data() const { return map_; }
    std::size_t size() const { return size_; }

    // Extends the file to `newSize` with allocated, zeroed space; on failure (disk full)
    // the file keeps its size and this throws.
    void grow(std::size_t newSize);
    void shrink(std::size_t newSize);
    // Drops the pages of [from, to) from this process's memory; the file keeps them.
    void release(std::size_t from, std::size_t to);
    // False when the file was removed, replaced, resized or made read-only by someone else.
    bool unchangedOnDisk() const;

  private:
    int fd_ = -1;
    std::uint8_t* map_ = nullptr;
    std::size_t mapped_ = 0;
    std::size_t size_ = 0;
    std::string label_;
};

// Opens `path` for writing with a write lock, for files that are written with pwrite.
// Returns the descriptor; throws like MappedFile::open.
int openLockedForWriting(const std::filesystem::path& path, const std::string& label);

}  // namespace velmora::paradox

#pragma once
// Notices changes other programs make in the table folder: an inotify watch on the folder
// is asked once per statement (or per batch of statements) whether anything was created,
// removed, renamed, closed after writing or had its attributes changed (one cheap call,
// against a status call per file), and a session checks its open tables again only when
// something was. Growing its own files does not count. Without inotify every statement
// (or batch) checks.

#include <cstdint>
#include <filesystem>

namespace velmora::paradox {

class FolderWatch {
  public:
    explicit FolderWatch(const std::filesystem::path& folder);
    ~FolderWatch();
    FolderWatch(const FolderWatch&) = delete;
    FolderWatch& operator=(const FolderWatch&) = delete;

    // A number that changes when something happened in the folder since the last call.
    std::uint64_t generation();

  private:
    int inotify_ = -1;
    std::uint64_t generation_ = 1;
};

}  // namespace velmora::paradox

#pragma once
// Notices changes other programs make in the table folder without a system call per
// statement: a small thread waits for inotify events and bumps a counter, and a session
// checks its open tables again (size, links, write permission, header) only when the
// counter moved. Without inotify every statement checks.

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <thread>

namespace velmora::paradox {

class FolderWatch {
  public:
    explicit FolderWatch(const std::filesystem::path& folder);
    ~FolderWatch();
    FolderWatch(const FolderWatch&) = delete;
    FolderWatch& operator=(const FolderWatch&) = delete;

    // Changes whenever a file in the folder was created, removed, renamed, closed after
    // writing or had its attributes changed.
    std::uint64_t generation() const {
        if (active_ && !broken_.load(std::memory_order_relaxed))
            return generation_.load(std::memory_order_acquire);
        return fallback_++;
    }

  private:
    void run();

    int inotify_ = -1;
    int wake_ = -1;
    bool active_ = false;
    std::atomic<std::uint64_t> generation_{1};
    std::atomic<bool> broken_{false};
    mutable std::uint64_t fallback_ = 1;
    std::thread thread_;
};

}  // namespace velmora::paradox

#include "FolderWatch.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>

namespace velmora::paradox {

FolderWatch::FolderWatch(const std::filesystem::path& folder) {
    inotify_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    wake_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    // Not IN_MODIFY: growing our own files would wake the thread for nothing. Another
    // program's writes show when it closes the file (tables it changes are locked to it).
    constexpr std::uint32_t kEvents = IN_ATTRIB | IN_CLOSE_WRITE | IN_MOVED_FROM | IN_MOVED_TO |
                                      IN_CREATE | IN_DELETE | IN_DELETE_SELF | IN_MOVE_SELF;
    if (inotify_ >= 0 && wake_ >= 0 && inotify_add_watch(inotify_, folder.c_str(), kEvents) >= 0) {
        active_ = true;
        thread_ = std::thread([this] { run(); });
    }
}

FolderWatch::~FolderWatch() {
    if (thread_.joinable()) {
        const std::uint64_t one = 1;
        [[maybe_unused]] ssize_t ignored = write(wake_, &one, sizeof one);
        thread_.join();
    }
    if (inotify_ >= 0) close(inotify_);
    if (wake_ >= 0) close(wake_);
}

void FolderWatch::run() {
    alignas(inotify_event) char buffer[4096];
    pollfd watched[2] = {{inotify_, POLLIN, 0}, {wake_, POLLIN, 0}};
    for (;;) {
        if (poll(watched, 2, -1) < 0) {
            if (errno == EINTR) continue;
            broken_.store(true);  // every statement checks from now on
            return;
        }
        if (watched[1].revents != 0) return;
        if (watched[0].revents != 0) {
            while (read(inotify_, buffer, sizeof buffer) > 0) {
            }
            generation_.fetch_add(1, std::memory_order_release);
        }
    }
}

}  // namespace velmora::paradox

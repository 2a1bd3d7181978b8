#include "paradox/FolderWatch.h"

#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace velmora::paradox {

FolderWatch::FolderWatch(const std::filesystem::path& folder) {
    inotify_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    // Not IN_MODIFY: this session grows its own files all the time. Another program's
    // writes show when it closes the file (and tables this session writes are locked).
    constexpr std::uint32_t kEvents = IN_ATTRIB | IN_CLOSE_WRITE | IN_MOVED_FROM | IN_MOVED_TO |
                                      IN_CREATE | IN_DELETE | IN_DELETE_SELF | IN_MOVE_SELF;
    if (inotify_ >= 0 && inotify_add_watch(inotify_, folder.c_str(), kEvents) < 0) {
        close(inotify_);
        inotify_ = -1;
    }
}

FolderWatch::~FolderWatch() {
    if (inotify_ >= 0) close(inotify_);
}

std::uint64_t FolderWatch::generation() {
    int pending = 0;
    if (inotify_ < 0 || ioctl(inotify_, FIONREAD, &pending) != 0) return ++generation_;
    if (pending > 0) {
        alignas(inotify_event) char buffer[4096];
        while (read(inotify_, buffer, sizeof buffer) > 0) {
        }
        ++generation_;
    }
    return generation_;
}

}  // namespace velmora::paradox

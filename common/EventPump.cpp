#include "common/EventPump.h"

#include <time.h>

namespace velmora {

namespace {

constexpr std::int64_t kIntervalNs = 16'000'000;

// CLOCK_MONOTONIC_COARSE is served from memory the kernel shares with the process
// (about 5 ns, 4 ms resolution): cheap enough to read on the hot path.
std::int64_t coarseNowNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

}  // namespace

EventPump::EventPump() : EventPump(true) {}

EventPump::EventPump(bool repaints) : repaints_(repaints), lastPassNs_(coarseNowNs()) {}

void EventPump::checkClock() {
    if (coarseNowNs() - lastPassNs_ < kIntervalNs) return;
    processEvents();
    lastPassNs_ = coarseNowNs();
}

void EventPump::yieldNow() {
    processEvents();
    lastPassNs_ = coarseNowNs();
}

}  // namespace velmora

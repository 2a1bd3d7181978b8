#include "EventPump.h"

namespace velmora {

void EventPump::checkClock() {
    nextCheck_ = calls_ + kStride;
    const auto now = std::chrono::steady_clock::now();
    if (now - last_ < kInterval) return;
    processEvents();
    last_ = std::chrono::steady_clock::now();
}

void EventPump::yieldNow() {
    processEvents();
    last_ = std::chrono::steady_clock::now();
    nextCheck_ = calls_ + kStride;
}

}  // namespace velmora

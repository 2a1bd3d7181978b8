#pragma once
// Lets the windows repaint while a long procedure runs on their thread. Procedures
// call yield() as often as they like; the pump hands control to the window system
// at most about every 16 ms, and most calls cost only a counter increment.

#include <chrono>
#include <cstdint>

namespace velmora {

class EventPump {
  public:
    virtual ~EventPump() = default;

    void yield() {
        if (++calls_ < nextCheck_) return;
        checkClock();
    }
    // Processes pending events now, whatever the time since the last pass.
    void yieldNow();

  protected:
    virtual void processEvents() = 0;

  private:
    void checkClock();

    static constexpr std::uint32_t kStride = 256;
    static constexpr std::chrono::milliseconds kInterval{16};
    std::uint64_t calls_ = 0;
    std::uint64_t nextCheck_ = kStride;
    std::chrono::steady_clock::time_point last_ = std::chrono::steady_clock::now();
};

// For headless runs: nothing to repaint.
class NoEventPump final : public EventPump {
  protected:
    void processEvents() override {}
};

}  // namespace velmora

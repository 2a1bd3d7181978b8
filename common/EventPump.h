#pragma once
// Lets the windows repaint while a long procedure runs on their thread. Procedures
// call yield() as often as they like; the pump hands control to the window system
// about every 16 ms. Most calls cost a counter increment; every fourth reads the
// kernel's coarse clock (a memory read, no system call), so a run of slow steps (a
// statement that takes 10 ms) still repaints in time.

#include <cstdint>

namespace velmora {

class EventPump {
  public:
    EventPump();
    virtual ~EventPump() = default;

    void yield() {
        if (!repaints_ || (++calls_ & 3) != 0) return;
        checkClock();
    }
    // Processes pending events now, whatever the time since the last pass.
    void yieldNow();

  protected:
    // A pump with nothing to repaint skips even the clock.
    explicit EventPump(bool repaints);
    virtual void processEvents() = 0;

  private:
    void checkClock();

    const bool repaints_ = true;
    std::uint32_t calls_ = 0;
    std::int64_t lastPassNs_ = 0;
};

// For headless runs: nothing to repaint.
class NoEventPump final : public EventPump {
  public:
    NoEventPump() : EventPump(false) {}

  protected:
    void processEvents() override {}
};

}  // namespace velmora

#pragma once

#include <chrono>
#include <functional>
#include <memory>

namespace kvcom3 {

// The library's time source. Deadlines run on a steady clock, so midnight and changes of the
// wall clock do not disturb them; tests install a virtual clock to run long procedures at once.
class Clock {
  public:
    using Duration = std::chrono::nanoseconds;
    virtual ~Clock() = default;
    // Time since an arbitrary fixed start; never goes back.
    virtual Duration now() = 0;
    // Blocks the calling thread for `ms` (a virtual clock moves instead); zero or less returns.
    virtual void sleep(std::chrono::milliseconds ms) = 0;
};

// The installed clock; valid until the next setClock.
Clock& clock();
// Installs a clock for the whole library; nullptr restores the steady system clock.
void setClock(std::shared_ptr<Clock> clock);

// Pauses the calling thread on the library clock.
void Sleep(std::chrono::milliseconds ms);

// A point `timeout` ahead on the library clock, for waits that must end.
class Deadline {
  public:
    explicit Deadline(std::chrono::milliseconds timeout);
    // True once the clock has reached the point.
    bool expired() const;
    // Whole milliseconds left, rounded up; 0 once expired.
    std::chrono::milliseconds remaining() const;

  private:
    Clock::Duration end_;
};

// "Let pending window events run": a no-op until a program installs its event loop here
// (ThermAdjust installs QCoreApplication::processEvents). This is how Cancel reaches a transfer.
// An empty function restores the no-op.
void setEventPump(std::function<void()> pump);
// Runs the installed pump once; the library calls it while it waits for the sensor.
void pumpEvents();

}  // namespace kvcom3

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
    virtual Duration now() = 0;
    virtual void sleep(std::chrono::milliseconds ms) = 0;
};

Clock& clock();
// Installs a clock for the whole library; nullptr restores the steady system clock.
void setClock(std::shared_ptr<Clock> clock);

// Pauses the calling thread on the library clock.
void Sleep(std::chrono::milliseconds ms);

class Deadline {
  public:
    explicit Deadline(std::chrono::milliseconds timeout);
    bool expired() const;
    std::chrono::milliseconds remaining() const;

  private:
    Clock::Duration end_;
};

// "Let pending window events run": a no-op until a program installs its event loop here
// (ThermAdjust installs QCoreApplication::processEvents). This is how Cancel reaches a transfer.
void setEventPump(std::function<void()> pump);
void pumpEvents();

}  // namespace kvcom3

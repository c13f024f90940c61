#pragma once

#include "kvcom3/Clock.h"

namespace kvcom3 {

// A clock that moves only when someone sleeps on it or advances it: install it with setClock()
// to run timed sequences (retries, time-outs, calibration cycles) at once and repeatably.
class ManualClock final : public Clock {
  public:
    Duration now() override { return now_; }
    void sleep(std::chrono::milliseconds ms) override {
        if (ms.count() > 0) now_ += ms;
    }
    // Moves the clock on by `d` without anyone sleeping.
    void advance(Duration d) { now_ += d; }

  private:
    Duration now_{std::chrono::hours(1)};
};

}  // namespace kvcom3

#pragma once

#include <chrono>
#include <memory>

#include "kvcom3/Clock.h"

namespace kvtest {

// A clock that only moves when someone sleeps on it: waits cost no real time.
class VirtualClock final : public kvcom3::Clock {
  public:
    Duration now() override { return now_; }
    void sleep(std::chrono::milliseconds ms) override {
        if (ms.count() > 0) now_ += ms;
    }
    void advance(Duration by) { now_ += by; }

  private:
    Duration now_{std::chrono::hours(1)};
};

// Installs a virtual clock for the lifetime of the object.
class ScopedVirtualClock {
  public:
    ScopedVirtualClock() : clock_(std::make_shared<VirtualClock>()) { kvcom3::setClock(clock_); }
    ~ScopedVirtualClock() { kvcom3::setClock(nullptr); }
    ScopedVirtualClock(const ScopedVirtualClock&) = delete;
    ScopedVirtualClock& operator=(const ScopedVirtualClock&) = delete;

    VirtualClock& operator*() { return *clock_; }
    VirtualClock* operator->() { return clock_.get(); }

  private:
    std::shared_ptr<VirtualClock> clock_;
};

}  // namespace kvtest

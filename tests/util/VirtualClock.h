#pragma once

#include <memory>

#include "kvcom3/ManualClock.h"

namespace kvtest {

// A clock that only moves when someone sleeps on it: waits cost no real time.
using VirtualClock = kvcom3::ManualClock;

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

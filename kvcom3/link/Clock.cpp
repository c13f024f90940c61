#include "kvcom3/Clock.h"

#include <algorithm>
#include <thread>
#include <utility>

namespace kvcom3 {

namespace {

class SteadyClock final : public Clock {
  public:
    Duration now() override { return std::chrono::steady_clock::now().time_since_epoch(); }
    void sleep(std::chrono::milliseconds ms) override {
        if (ms.count() > 0) std::this_thread::sleep_for(ms);
    }
};

std::shared_ptr<Clock>& installedClock() {
    static std::shared_ptr<Clock> current = std::make_shared<SteadyClock>();
    return current;
}

std::function<void()>& installedPump() {
    static std::function<void()> pump;
    return pump;
}

}  // namespace

Clock& clock() {
    return *installedClock();
}

void setClock(std::shared_ptr<Clock> replacement) {
    installedClock() = replacement ? std::move(replacement) : std::make_shared<SteadyClock>();
}

void Sleep(std::chrono::milliseconds ms) {
    clock().sleep(ms);
}

Deadline::Deadline(std::chrono::milliseconds timeout) : end_(clock().now() + timeout) {}

bool Deadline::expired() const {
    return clock().now() >= end_;
}

std::chrono::milliseconds Deadline::remaining() const {
    auto left = std::chrono::ceil<std::chrono::milliseconds>(end_ - clock().now());
    return std::max(left, std::chrono::milliseconds{0});
}

void setEventPump(std::function<void()> pump) {
    installedPump() = std::move(pump);
}

void pumpEvents() {
    if (installedPump()) installedPump()();
}

}  // namespace kvcom3

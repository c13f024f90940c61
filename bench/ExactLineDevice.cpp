#include "ExactLineDevice.h"

#include <algorithm>
#include <thread>
#include <utility>

#include "kvcom3/Clock.h"

namespace kvbench {

ExactLineDevice::ExactLineDevice(std::shared_ptr<kvsim::Line> line, UsbLatency latency)
    : latency_(latency), line_(std::move(line)) {}

bool ExactLineDevice::requestLowLatency() {
    if (latency_.timer.count() == 0 || !latency_.honoursLowLatency) return false;
    latency_.timer = std::chrono::milliseconds(1);
    return true;
}

kvsim::Timestamp ExactLineDevice::handedOverBy(kvsim::Timestamp now) const {
    if (latency_.timer.count() == 0) return now;
    return now - now % latency_.timer;
}

kvsim::Timestamp ExactLineDevice::tickAtOrAfter(kvsim::Timestamp t) const {
    if (latency_.timer.count() == 0) return t;
    auto rest = t % latency_.timer;
    return rest.count() == 0 ? t : t - rest + latency_.timer;
}

void ExactLineDevice::open(const kvcom3::LineSettings& settings, bool) {
    line_->takeDue(kvcom3::clock().now());
    input_.clear();
    line_->setLineSettings(settings);
    open_ = true;
}

void ExactLineDevice::close() {
    open_ = false;
    input_.clear();
}

void ExactLineDevice::applySettings(const kvcom3::LineSettings& settings) {
    line_->setLineSettings(settings);
}

void ExactLineDevice::collect() {
    auto due = line_->takeDue(handedOverBy(kvcom3::clock().now()));
    received_ += due.size();
    input_.insert(input_.end(), due.begin(), due.end());
}

std::size_t ExactLineDevice::bytesWaiting() {
    collect();
    return input_.size();
}

std::vector<std::uint8_t> ExactLineDevice::readAll() {
    collect();
    return std::exchange(input_, {});
}

void ExactLineDevice::write(std::span<const std::uint8_t> bytes) {
    sent_ += bytes.size();
    line_->fromHost(bytes, kvcom3::clock().now());
}

void ExactLineDevice::waitReadable(std::chrono::milliseconds limit) {
    collect();
    if (limit.count() <= 0) return;
    // The library clock is the steady clock here, so line times are steady-clock times.
    auto wake = kvcom3::clock().now() + std::chrono::nanoseconds(limit);
    if (auto next = line_->nextDue()) wake = std::min(wake, tickAtOrAfter(*next));
    std::this_thread::sleep_until(std::chrono::steady_clock::time_point(
        std::chrono::duration_cast<std::chrono::steady_clock::duration>(wake)));
    collect();
}

}  // namespace kvbench

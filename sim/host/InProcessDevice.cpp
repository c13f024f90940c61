#include "host/InProcessDevice.h"

#include <utility>

#include "kvcom3/Clock.h"
#include "kvcom3/KvError.h"

namespace kvsim {

InProcessDevice::InProcessDevice(std::shared_ptr<Line> line, std::string name)
    : line_(std::move(line)), name_(std::move(name)) {}

void InProcessDevice::requireUsable(const char* operation) const {
    if (line_->unplugged()) {
        kvcom3::raisePlatformError(kvcom3::platform_error::PathFileAccess,
                                   name_ + " is unplugged (" + operation + ")");
    }
    if (!open_) {
        kvcom3::raisePlatformError(kvcom3::platform_error::InvalidCall,
                                   name_ + " is not open (" + operation + ")");
    }
}

void InProcessDevice::open(const kvcom3::LineSettings& settings, bool rts) {
    if (line_->unplugged()) {
        kvcom3::raisePlatformError(kvcom3::platform_error::PathFileAccess,
                                   name_ + " is unplugged (open)");
    }
    // What arrived while the port was closed is lost, as on a real port.
    line_->takeDue(kvcom3::clock().now());
    received_.clear();
    settings_ = settings;
    rts_ = rts;
    line_->setLineSettings(settings);
    open_ = true;
}

void InProcessDevice::close() {
    open_ = false;
    received_.clear();
}

void InProcessDevice::applySettings(const kvcom3::LineSettings& settings) {
    settings_ = settings;
    line_->setLineSettings(settings);
}

void InProcessDevice::setRts(bool on) {
    rts_ = on;
}

void InProcessDevice::collect() {
    auto due = line_->takeDue(kvcom3::clock().now());
    received_.insert(received_.end(), due.begin(), due.end());
}

std::size_t InProcessDevice::bytesWaiting() {
    requireUsable("bytes waiting");
    collect();
    return received_.size();
}

std::vector<std::uint8_t> InProcessDevice::readAll() {
    requireUsable("read");
    collect();
    return std::exchange(received_, {});
}

void InProcessDevice::write(std::span<const std::uint8_t> bytes) {
    requireUsable("write");
    line_->fromHost(bytes, kvcom3::clock().now());
}

void InProcessDevice::waitReadable(std::chrono::milliseconds limit) {
    requireUsable("wait");
    // As on a port whose kernel buffer was drained: sleep until the next byte arrives.
    collect();
    if (limit.count() <= 0) return;
    auto& clock = kvcom3::clock();
    auto wait = limit;
    if (auto next = line_->nextDue()) {
        // Whole milliseconds, rounded up, so the sleep always reaches the byte.
        auto until = std::chrono::ceil<std::chrono::milliseconds>(*next - clock.now());
        wait = std::min(limit, std::max(until, std::chrono::milliseconds{1}));
    }
    clock.sleep(wait);
    collect();
}

}  // namespace kvsim

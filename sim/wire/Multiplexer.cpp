#include "wire/Multiplexer.h"

#include "wire/Checksum.h"

namespace kvsim {

namespace {
constexpr std::uint8_t kSync = 0x55;
constexpr int kSyncCount = 5;
}  // namespace

Multiplexer::Multiplexer(TransferObserver* observer, Position initial)
    : observer_(observer), route_(initial) {}

void Multiplexer::attach(Position at, std::unique_ptr<Slave> device) {
    devices_[at] = std::move(device);
}

void Multiplexer::advance(double seconds) {
    for (auto& [position, device] : devices_) device->advance(seconds);
}

void Multiplexer::receive(std::uint8_t byte, Timestamp at, std::vector<Reply>& out) {
    if (collecting_) {
        frame_.push_back(byte);
        if (frame_.size() == 4) finishSwitch(out);
        return;
    }
    if (byte == 0x00 && syncCount_ >= kSyncCount) {
        collecting_ = true;
        frame_.clear();
    }
    syncCount_ = byte == kSync ? syncCount_ + 1 : 0;
    auto device = devices_.find(route_);
    if (device != devices_.end()) device->second->receive(byte, at, out);
}

void Multiplexer::finishSwitch(std::vector<Reply>& out) {
    collecting_ = false;
    const std::span<const std::uint8_t> covered(frame_.data(), 3);
    if (sum8(covered) != frame_[3]) return;
    if (observer_) {
        observer_->beginTransfer(Domain::Mux);
        if (observer_->active(Fault::SilentMux)) return;
    }
    route_ = Position{static_cast<std::uint16_t>((frame_[0] << 8) | frame_[1]), frame_[2]};
    out.push_back({ReplyKind::MuxAck, {kMuxAck}});
}

}  // namespace kvsim

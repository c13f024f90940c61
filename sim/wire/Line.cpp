#include "wire/Line.h"

#include <algorithm>
#include <utility>

#include "wire/Checksum.h"

namespace kvsim {

namespace {

constexpr std::uint8_t kWrongCtr = 0x00;
constexpr std::uint8_t kWrongAck = 0x15;

void fixCrc(std::vector<std::uint8_t>& bytes) {
    if (bytes.size() < 4) return;
    const auto crc = crc16(std::span<const std::uint8_t>(bytes.data(), bytes.size() - 2));
    bytes[bytes.size() - 2] = static_cast<std::uint8_t>(crc & 0xFF);
    bytes.back() = static_cast<std::uint8_t>(crc >> 8);
}

}  // namespace

Line::Line(LineOptions options) : options_(options), faults_(options.seed) {}

void Line::attach(std::unique_ptr<Slave> device) {
    std::lock_guard lock(mutex_);
    device_ = std::move(device);
}

void Line::setLineSettings(const kvcom3::LineSettings& settings) {
    std::lock_guard lock(mutex_);
    baud_ = settings.baud ? settings.baud : 9600;
    characterBits_ = 1 + settings.dataBits + (settings.parity == 'n' ? 0 : 1) + settings.stopBits;
}

std::chrono::nanoseconds Line::characterTime() const {
    std::lock_guard lock(mutex_);
    return std::chrono::nanoseconds(1'000'000'000LL * characterBits_ / baud_);
}

void Line::fromHost(std::span<const std::uint8_t> bytes, Timestamp now) {
    std::lock_guard lock(mutex_);
    if (unplugged_) return;
    advanceLocked(now);
    const auto character = std::chrono::nanoseconds(1'000'000'000LL * characterBits_ / baud_);
    std::vector<Reply> replies;
    for (auto byte : bytes) {
        Timestamp arrival = now;
        if (options_.pacing) {
            arrival = std::max(now, txFree_) + character;
            txFree_ = arrival;
        }
        transcript_.record(Direction::ToDevice, arrival, byte);
        if (options_.echo) {
            rxFree_ = std::max(rxFree_, arrival);
            transcript_.record(Direction::ToHost, rxFree_, byte);
            pending_.emplace_back(rxFree_, byte);
        }
        if (!device_) continue;
        replies.clear();
        device_->receive(byte, arrival, replies);
        if (faults_.active(Fault::Unplug)) {
            unplugged_ = true;
            pending_.clear();
            return;
        }
        for (auto& reply : replies) send(std::move(reply), arrival);
    }
}

std::vector<std::uint8_t> Line::shape(Reply& reply, Timestamp& delay) {
    auto bytes = std::move(reply.bytes);
    if (reply.kind == ReplyKind::MuxAck) return bytes;
    delay += std::chrono::milliseconds(faults_.value(Fault::LateReply));
    if (reply.kind == ReplyKind::Ctr) {
        if (faults_.active(Fault::NoCtr)) return {};
        if (faults_.active(Fault::WrongCtr)) bytes = {kWrongCtr};
        return bytes;
    }
    if (faults_.active(Fault::NoAck)) return {};
    const bool modbus = reply.kind == ReplyKind::Modbus;
    if (faults_.active(Fault::WrongAck)) {
        if (modbus) {
            bytes[1] = static_cast<std::uint8_t>(bytes[1] ^ 0x80);
            fixCrc(bytes);
        } else {
            bytes[0] = kWrongAck;
        }
    }
    if (faults_.active(Fault::BadChecksum) && (modbus || bytes.size() > 1)) {
        bytes.back() = static_cast<std::uint8_t>(bytes.back() ^ 0xFF);
    }
    if (faults_.active(Fault::ShortReply)) bytes.pop_back();
    const int noise = faults_.value(Fault::Noise);
    std::vector<std::uint8_t> prefix;
    for (int i = 0; i < noise; ++i) prefix.push_back(faults_.randomByte());
    bytes.insert(bytes.begin(), prefix.begin(), prefix.end());
    return bytes;
}

void Line::send(Reply reply, Timestamp at) {
    Timestamp delay = std::chrono::duration_cast<Timestamp>(options_.turnaround);
    const auto bytes = shape(reply, delay);
    const auto character = std::chrono::nanoseconds(1'000'000'000LL * characterBits_ / baud_);
    Timestamp next = at + delay;
    for (auto byte : bytes) {
        next = std::max(next, rxFree_);
        if (options_.pacing) next += character;
        rxFree_ = next;
        transcript_.record(Direction::ToHost, next, byte);
        pending_.emplace_back(next, byte);
    }
}

std::vector<std::uint8_t> Line::takeDue(Timestamp now) {
    std::lock_guard lock(mutex_);
    advanceLocked(now);
    std::vector<std::uint8_t> due;
    while (!pending_.empty() && pending_.front().first <= now) {
        due.push_back(pending_.front().second);
        pending_.pop_front();
    }
    return due;
}

std::optional<Timestamp> Line::nextDue() const {
    std::lock_guard lock(mutex_);
    if (pending_.empty()) return std::nullopt;
    return pending_.front().first;
}

void Line::dropPending() {
    std::lock_guard lock(mutex_);
    pending_.clear();
}

void Line::advanceTo(Timestamp now) {
    std::lock_guard lock(mutex_);
    advanceLocked(now);
}

void Line::advanceLocked(Timestamp now) {
    if (lastAdvance_ && now > *lastAdvance_ && device_) {
        device_->advance(std::chrono::duration<double>(now - *lastAdvance_).count());
    }
    if (!lastAdvance_ || now > *lastAdvance_) lastAdvance_ = now;
}

void Line::addFault(std::string_view text) {
    auto rule = parseFaultRule(text);
    std::lock_guard lock(mutex_);
    faults_.add(rule);
}

void Line::addFault(const FaultRule& rule) {
    std::lock_guard lock(mutex_);
    faults_.add(rule);
}

void Line::clearFaults() {
    std::lock_guard lock(mutex_);
    faults_.clear();
}

int Line::transfers(Domain domain) const {
    std::lock_guard lock(mutex_);
    return faults_.transfers(domain);
}

void Line::unplug() {
    std::lock_guard lock(mutex_);
    unplugged_ = true;
    pending_.clear();
}

bool Line::unplugged() const {
    std::lock_guard lock(mutex_);
    return unplugged_;
}

}  // namespace kvsim

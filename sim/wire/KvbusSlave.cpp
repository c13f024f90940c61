#include "wire/KvbusSlave.h"

#include <array>
#include <utility>

#include "wire/Checksum.h"

namespace kvsim {

namespace {

// Bits of the first byte of a memory transfer.
constexpr std::uint8_t kReadBit = 0x80;
constexpr std::uint8_t kHighBit = 0x40;      // bit 8 of a short RAM address, or the long RAM form
constexpr std::uint8_t kExtendedBit = 0x08;  // EEPROM, or with kHighBit the long RAM form
constexpr std::uint8_t kCommandBits = 0x30;  // set only in special command bytes
constexpr std::uint8_t kCountMask = 0x07;

enum class Command { EepromToRam, RamToEeprom, Lock, Unlock, IdToEeprom, TwaReset };

struct CommandFrame {
    std::uint8_t code;
    std::uint8_t parameter;
    Command command;
};

constexpr std::array kSet1{
    CommandFrame{0x20, 0x00, Command::EepromToRam},
    CommandFrame{0xA1, 0x00, Command::RamToEeprom},
    CommandFrame{0x10, 0x00, Command::Lock},
    CommandFrame{0x90, 0x00, Command::Unlock},
};

constexpr std::array kSet2{
    CommandFrame{0x91, 0x00, Command::EepromToRam}, CommandFrame{0x99, 0xAD, Command::RamToEeprom},
    CommandFrame{0xA9, 0xAB, Command::Lock},        CommandFrame{0xB1, 0xA9, Command::Unlock},
    CommandFrame{0xA1, 0x00, Command::IdToEeprom},  CommandFrame{0xB9, 0x01, Command::TwaReset},
};

bool run(Sensor& sensor, Command command) {
    switch (command) {
        case Command::EepromToRam: return sensor.eepromToRam();
        case Command::RamToEeprom: return sensor.ramToEeprom();
        case Command::Lock: return sensor.lockEeprom();
        case Command::Unlock: return sensor.unlockEeprom();
        case Command::IdToEeprom: return sensor.idToEeprom();
        case Command::TwaReset: return sensor.twaReset();
    }
    return false;
}

}  // namespace

KvbusSlave::KvbusSlave(std::shared_ptr<Sensor> sensor, KvbusConfig config,
                       TransferObserver* observer)
    : sensor_(std::move(sensor)), config_(config), observer_(observer) {}

void KvbusSlave::advance(double seconds) {
    sensor_->advance(seconds);
}

bool KvbusSlave::isOwnAddress(std::uint8_t byte) const {
    return byte == kBroadcast || byte == 0xE0 + config_.id;
}

std::size_t KvbusSlave::frameLength(std::uint8_t first) const {
    if (first & kCommandBits) return 3;
    const bool read = first & kReadBit;
    const bool extended = first & kExtendedBit;
    const bool high = first & kHighBit;
    std::size_t addressBytes = 1;
    if (extended) addressBytes = (high || sensor_->byteAccess()) ? 2 : 1;
    const std::size_t data = read ? 0 : (first & kCountMask);
    return 1 + addressBytes + data + 1;
}

void KvbusSlave::receive(std::uint8_t byte, Timestamp at, std::vector<Reply>& out) {
    if (addressed_ && !frame_.empty() && at - lastByte_ > config_.frameTimeout) {
        addressed_ = false;
        frame_.clear();
    }
    lastByte_ = at;
    if (!addressed_ || frame_.empty()) {
        // A repeated address byte starts the exchange again (the host lost our CTR).
        if (isOwnAddress(byte)) {
            if (observer_) observer_->beginTransfer(Domain::Sensor);
            addressed_ = true;
            frame_.clear();
            out.push_back({ReplyKind::Ctr, {kCtr}});
            return;
        }
        if (!addressed_) return;
        expected_ = frameLength(byte);
    }
    frame_.push_back(byte);
    if (frame_.size() < expected_) return;
    execute(out);
    addressed_ = false;
    frame_.clear();
}

void KvbusSlave::execute(std::vector<Reply>& out) {
    const std::span<const std::uint8_t> covered(frame_.data(), frame_.size() - 1);
    if (sum8(covered) != frame_.back()) return;
    if (frame_[0] & kCommandBits) {
        command(out);
    } else {
        transfer(out);
    }
}

void KvbusSlave::transfer(std::vector<Reply>& out) {
    const std::uint8_t first = frame_[0];
    const bool read = first & kReadBit;
    const bool extended = first & kExtendedBit;
    const bool high = first & kHighBit;
    const unsigned count = first & kCountMask;

    Space space = Space::RAM;
    std::uint32_t address = 0;
    std::size_t dataAt = 2;
    if (extended && !high) {
        space = Space::EEPROM;
        if (sensor_->byteAccess()) {
            address = (frame_[1] << 8) | frame_[2];
            dataAt = 3;
        } else {
            address = frame_[1] * 2u;
        }
    } else if (extended) {
        address = (frame_[1] << 8) | frame_[2];
        dataAt = 3;
    } else {
        address = frame_[1] | (high ? 0x100u : 0u);
    }

    Reply reply{ReplyKind::Answer, {config_.ack}};
    if (read) {
        for (unsigned i = 0; i < count; ++i)
            reply.bytes.push_back(sensor_->read(space, address + i));
        reply.bytes.push_back(sum8(reply.bytes));
    } else {
        const bool flip =
            space == Space::EEPROM && observer_ && observer_->active(Fault::EepromBitFlip);
        for (unsigned i = 0; i < count; ++i) {
            std::uint8_t value = frame_[dataAt + i];
            if (flip && i == 0) value ^= 0x01;
            sensor_->write(space, address + i, value);
        }
    }
    out.push_back(std::move(reply));
}

void KvbusSlave::command(std::vector<Reply>& out) {
    const std::span<const CommandFrame> set = sensor_->commandSet() == 1
                                                  ? std::span<const CommandFrame>(kSet1)
                                                  : std::span<const CommandFrame>(kSet2);
    for (const auto& entry : set) {
        if (entry.code != frame_[0] || entry.parameter != frame_[1]) continue;
        const bool done = run(*sensor_, entry.command);
        out.push_back({ReplyKind::Answer, {done ? config_.ack : kNak}});
        return;
    }
}

}  // namespace kvsim

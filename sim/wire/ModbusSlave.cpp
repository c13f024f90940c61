#include "wire/ModbusSlave.h"

#include <array>
#include <string_view>
#include <utility>

#include "wire/Checksum.h"

namespace kvsim {

namespace {

constexpr std::size_t kMaxRegisters = 125;
constexpr std::size_t kMaxMemoryBytes = 250;
// Function 6 may carry several registers in one frame; the CRC tells where it ends.
constexpr std::size_t kMaxWriteRegisters = 16;

struct Exception {
    std::uint8_t code;
};

struct CommandText {
    std::uint8_t sub;
    std::string_view text;
};

std::uint16_t word(const std::vector<std::uint8_t>& f, std::size_t at) {
    return static_cast<std::uint16_t>((f[at] << 8) | f[at + 1]);
}

void appendCrc(std::vector<std::uint8_t>& bytes) {
    const auto crc = crc16(bytes);
    bytes.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(crc >> 8));
}

}  // namespace

ModbusSlave::ModbusSlave(std::shared_ptr<Sensor> sensor, ModbusConfig config,
                         TransferObserver* observer)
    : sensor_(std::move(sensor)), config_(config), observer_(observer) {}

void ModbusSlave::advance(double seconds) {
    sensor_->advance(seconds);
}

std::size_t ModbusSlave::expectedLength() const {
    if (frame_.size() < 2) return 8;
    switch (frame_[1]) {
        case 0x03:
        case 0x04: return 8;
        case 0x06: return frame_.size() <= 8 ? 8 : frame_.size() + frame_.size() % 2;
        case 0x44:
        case 0x45:
        case 0x46: return 7;
        case 0x41:
        case 0x43: return frame_.size() < 5 ? 8 : 7u + frame_[4];
        case 0x47: return frame_.size() < 4 ? 8 : 6u + frame_[3];
        default: return 4;
    }
}

bool ModbusSlave::crcMatches() const {
    const std::span<const std::uint8_t> covered(frame_.data(), frame_.size() - 2);
    const auto crc = crc16(covered);
    return frame_[frame_.size() - 2] == (crc & 0xFF) && frame_.back() == (crc >> 8);
}

void ModbusSlave::receive(std::uint8_t byte, Timestamp at, std::vector<Reply>& out) {
    if (!frame_.empty() && at - lastByte_ > config_.gap) frame_.clear();
    lastByte_ = at;
    frame_.push_back(byte);
    if (frame_.size() < expectedLength()) return;
    if (!crcMatches()) {
        const bool longerWrite = frame_[1] == 0x06 && frame_.size() < 6 + 2 * kMaxWriteRegisters;
        if (!longerWrite) frame_.clear();
        return;
    }
    if (frame_[0] == config_.address || frame_[0] == kAnyAddress) {
        execute(out);
    } else if (frame_[0] == kBroadcastAddress) {
        std::vector<Reply> unanswered;
        execute(unanswered);
    }
    frame_.clear();
}

void ModbusSlave::execute(std::vector<Reply>& out) {
    if (observer_) observer_->beginTransfer(Domain::Sensor);
    const std::uint8_t function = frame_[1];
    std::vector<std::uint8_t> body;
    try {
        switch (function) {
            case 0x03: body = readRegisters(false); break;
            case 0x04: body = readRegisters(true); break;
            case 0x06: body = writeRegisters(); break;
            case 0x41: body = writeMemory(Space::RAM); break;
            case 0x43: body = writeMemory(Space::EEPROM); break;
            case 0x44: body = readMemory(Space::RAM); break;
            case 0x45: body = readMemory(Space::FLASH); break;
            case 0x46: body = readMemory(Space::EEPROM); break;
            case 0x47: body = command(); break;
            default: throw Exception{modbus_exception::IllegalFunction};
        }
        body.insert(body.begin(), {frame_[0], function});
    } catch (const Exception& e) {
        body = {frame_[0], static_cast<std::uint8_t>(function | 0x80), e.code};
    }
    appendCrc(body);
    out.push_back({ReplyKind::Modbus, std::move(body)});
}

std::vector<std::uint8_t> ModbusSlave::readRegisters(bool input) const {
    const auto first = word(frame_, 2);
    const auto count = word(frame_, 4);
    if (count == 0 || count > kMaxRegisters) throw Exception{modbus_exception::IllegalValue};
    std::vector<std::uint8_t> body{static_cast<std::uint8_t>(2 * count)};
    for (unsigned i = 0; i < count; ++i) {
        std::uint16_t value = 0;
        const auto reg = static_cast<std::uint16_t>(first + i);
        const bool known =
            input ? sensor_->inputRegister(reg, value) : sensor_->holdingRegister(reg, value);
        if (!known) throw Exception{modbus_exception::IllegalAddress};
        body.push_back(static_cast<std::uint8_t>(value >> 8));
        body.push_back(static_cast<std::uint8_t>(value & 0xFF));
    }
    return body;
}

std::vector<std::uint8_t> ModbusSlave::writeRegisters() {
    const auto first = word(frame_, 2);
    const std::size_t count = (frame_.size() - 6) / 2;
    for (std::size_t i = 0; i < count; ++i) {
        std::uint16_t existing = 0;
        if (!sensor_->holdingRegister(static_cast<std::uint16_t>(first + i), existing)) {
            throw Exception{modbus_exception::IllegalAddress};
        }
    }
    for (std::size_t i = 0; i < count; ++i) {
        const auto reg = static_cast<std::uint16_t>(first + i);
        if (!sensor_->writeHoldingRegister(reg, word(frame_, 4 + 2 * i))) {
            throw Exception{modbus_exception::DeviceFailure};
        }
    }
    return {frame_.begin() + 2, frame_.begin() + 6};
}

std::vector<std::uint8_t> ModbusSlave::readMemory(Space space) const {
    const std::uint32_t address = word(frame_, 2);
    const std::uint8_t count = frame_[4];
    if (count == 0 || count > kMaxMemoryBytes) throw Exception{modbus_exception::IllegalValue};
    std::vector<std::uint8_t> body{count};
    for (unsigned i = 0; i < count; ++i) body.push_back(sensor_->read(space, address + i));
    return body;
}

std::vector<std::uint8_t> ModbusSlave::writeMemory(Space space) {
    const std::uint32_t address = word(frame_, 2);
    const std::uint8_t count = frame_[4];
    if (count == 0) throw Exception{modbus_exception::IllegalValue};
    const bool flip =
        space == Space::EEPROM && observer_ && observer_->active(Fault::EepromBitFlip);
    for (unsigned i = 0; i < count; ++i) {
        std::uint8_t value = frame_[5 + i];
        if (flip && i == 0) value ^= 0x01;
        sensor_->write(space, address + i, value);
    }
    return {};
}

std::vector<std::uint8_t> ModbusSlave::command() {
    static constexpr std::array<CommandText, 9> kCommands{{
        {0x00, std::string_view("\xAB", 1)},
        {0x01, std::string_view("\xA9", 1)},
        {0x02, std::string_view("\0", 1)},
        {0x03, std::string_view("\0", 1)},
        {0x04, "RESTART"},
        {0xFC, "TRANSPARENT"},
        {0xFD, ""},
        {0xFE, "POWERON"},
        {0xFF, ""},
    }};
    const std::uint8_t sub = frame_[2];
    const std::string_view text(reinterpret_cast<const char*>(frame_.data() + 4), frame_[3]);
    bool known = false;
    for (const auto& entry : kCommands) known = known || (entry.sub == sub && entry.text == text);
    if (!known) throw Exception{modbus_exception::IllegalValue};

    bool done = false;
    switch (sub) {
        case 0x00: done = sensor_->lockEeprom(); break;
        case 0x01: done = sensor_->unlockEeprom(); break;
        case 0x02: done = sensor_->eepromToRam(); break;
        case 0x03: done = sensor_->idToEeprom(); break;
        case 0x04: done = sensor_->restart(); break;
        case 0xFC: done = sensor_->transparent(true); break;
        case 0xFD: done = sensor_->transparent(false); break;
        case 0xFE: done = sensor_->power(true); break;
        default: done = sensor_->power(false); break;
    }
    if (!done) throw Exception{modbus_exception::DeviceFailure};
    return {};
}

}  // namespace kvsim

#include "link/KvbusFrames.h"

#include <array>
#include <numeric>

namespace kvcom3::kvbus {

namespace {

std::uint8_t hi(std::int32_t adr) {
    return static_cast<std::uint8_t>((adr >> 8) & 0xFF);
}
std::uint8_t lo(std::int32_t adr) {
    return static_cast<std::uint8_t>(adr & 0xFF);
}
std::uint8_t bit8(std::int32_t adr) {
    return (adr & 0x100) ? 0x40 : 0x00;
}

std::vector<std::uint8_t> sealed(std::vector<std::uint8_t> frame) {
    frame.push_back(checksum(frame));
    return frame;
}

struct CommandRow {
    const char* logText;
    std::array<std::uint8_t, 2> set1;
    bool inSet1;
    std::array<std::uint8_t, 2> set2;
};

constexpr std::array<CommandRow, 6> kCommands{{
    {"EEPROMtoRAM", {0x20, 0x00}, true, {0x91, 0x00}},
    {"RAMtoEEPROM", {0xA1, 0x00}, true, {0x99, 0xAD}},
    {"LockEEPROM", {0x10, 0x00}, true, {0xA9, 0xAB}},
    {"UnlockEEPROM", {0x90, 0x00}, true, {0xB1, 0xA9}},
    {"IDABCtoEEPROM", {0, 0}, false, {0xA1, 0x00}},
    {"TWAreset", {0, 0}, false, {0xB9, 0x01}},
}};

}  // namespace

std::uint8_t checksum(std::span<const std::uint8_t> bytes) {
    return static_cast<std::uint8_t>(std::accumulate(bytes.begin(), bytes.end(), 0u));
}

std::optional<std::uint8_t> addressByte(std::int16_t comID) {
    if (comID == -1) return kBroadcast;
    if (comID >= 0 && comID < 30) return static_cast<std::uint8_t>(0xE0 + comID);
    return std::nullopt;
}

bool isAck(std::uint8_t byte) {
    return byte == kAck || byte == kAltAck;
}

std::vector<std::uint8_t> readFrame(std::int32_t adr, std::uint8_t count, bool eeprom,
                                    bool byteAccess) {
    if (eeprom) {
        if (byteAccess) return sealed({std::uint8_t(0x88 + count), hi(adr), lo(adr)});
        return sealed({std::uint8_t(0x88 + count), lo(adr / 2)});
    }
    bool partByte = adr == 65 && count == 1;
    if (byteAccess && adr > 511 && !partByte) {
        return sealed({std::uint8_t(0xC8 + count), hi(adr), lo(adr)});
    }
    return sealed({std::uint8_t(0x80 + bit8(adr) + count), lo(adr)});
}

std::vector<std::uint8_t> writeFrame(std::int32_t adr, std::span<const std::uint8_t> data,
                                     bool eeprom, bool byteAccess) {
    auto n = static_cast<std::uint8_t>(data.size());
    std::vector<std::uint8_t> frame;
    if (eeprom) {
        frame = byteAccess ? std::vector<std::uint8_t>{std::uint8_t(0x08 + n), hi(adr), lo(adr)}
                           : std::vector<std::uint8_t>{std::uint8_t(0x08 + n), lo(adr / 2)};
    } else if (byteAccess && adr > 511) {
        frame = {std::uint8_t(0x48 + n), hi(adr), lo(adr)};
    } else {
        frame = {std::uint8_t(bit8(adr) + n), lo(adr)};
    }
    frame.insert(frame.end(), data.begin(), data.end());
    return sealed(std::move(frame));
}

CommandInfo commandFrame(kvSensorCommands command, int commandSet) {
    if (command >= kCommands.size()) return {nullptr, std::nullopt};
    const CommandRow& row = kCommands[command];
    if (commandSet == 1 && !row.inSet1) return {row.logText, std::nullopt};
    const auto& pair = commandSet == 1 ? row.set1 : row.set2;
    return {row.logText, sealed({pair[0], pair[1]})};
}

std::vector<std::uint8_t> muxPreamble() {
    return std::vector<std::uint8_t>(5, 0x55);
}

std::vector<std::uint8_t> muxSelectFrame(std::uint16_t board, std::uint8_t position) {
    auto high = static_cast<std::uint8_t>(board >> 8);
    auto low = static_cast<std::uint8_t>(board & 0xFF);
    // The leading 0x00 stays out of the checksum.
    return {0x00, high, low, position, static_cast<std::uint8_t>(high + low + position)};
}

}  // namespace kvcom3::kvbus

#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "link/SensorCommands.h"

namespace kvcom3::kvbus {

inline constexpr std::uint8_t kCTR = 0xDF;
inline constexpr std::uint8_t kAck = 0x06;
inline constexpr std::uint8_t kAltAck = 0x86;
inline constexpr std::uint8_t kBroadcast = 0xFE;
inline constexpr std::uint8_t kMuxAck = 0x06;
inline constexpr char kLineSettings[] = "9600,n,8,1";

// Sum of the bytes modulo 256.
std::uint8_t checksum(std::span<const std::uint8_t> bytes);

// The address byte of a sensor ID: 0xFE for -1, 0xE0 + ID for 0-29, nothing otherwise.
std::optional<std::uint8_t> addressByte(std::int16_t comID);

bool isAck(std::uint8_t byte);

// Request frames, checksum included. EEPROM is memType 1, anything else is RAM. The part byte
// read (RAM 65, one byte) always takes the short form, as the platform is not yet known.
std::vector<std::uint8_t> readFrame(std::int32_t adr, std::uint8_t count, bool eeprom,
                                    bool byteAccess);
std::vector<std::uint8_t> writeFrame(std::int32_t adr, std::span<const std::uint8_t> data,
                                     bool eeprom, bool byteAccess);

struct CommandInfo {
    const char* logText;                             // nullptr: no KVBUS frame in any command set
    std::optional<std::vector<std::uint8_t>> frame;  // empty: not in this command set
};
CommandInfo commandFrame(kvSensorCommands command, int commandSet);

// The production network's switch: the preamble, then 0x00, board high, board low, position and
// the checksum of the three bytes before it.
std::vector<std::uint8_t> muxPreamble();
std::vector<std::uint8_t> muxSelectFrame(std::uint16_t board, std::uint8_t position);

}  // namespace kvcom3::kvbus

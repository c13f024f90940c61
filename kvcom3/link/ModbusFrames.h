#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "link/SensorCommands.h"

namespace kvcom3::modbus {

inline constexpr char kLineSettings[] = "9600,n,8,2";
inline constexpr std::uint8_t kCommandFunction = 0x47;

// Modbus CRC-16: reflected polynomial 0xA001, initial value 0xFFFF.
std::uint16_t crc16(std::span<const std::uint8_t> bytes);

// Appends the CRC, low byte first.
void seal(std::vector<std::uint8_t>& frame);
bool crcMatches(std::span<const std::uint8_t> frameWithCrc);

// The function code that reads or writes a memory type; nothing where none exists.
std::optional<std::uint8_t> readFunction(std::uint8_t memType);
std::optional<std::uint8_t> writeFunction(std::uint8_t memType);

// Request frames with CRC. `adr` is the byte address; register spaces send adr / 2.
std::vector<std::uint8_t> readFrame(std::uint8_t slave, std::uint8_t memType, std::int32_t adr,
                                    std::uint8_t count);
std::vector<std::uint8_t> writeFrame(std::uint8_t slave, std::uint8_t memType, std::int32_t adr,
                                     std::span<const std::uint8_t> data);

struct CommandInfo {
    std::string logText;
    std::vector<std::uint8_t> frame;
};
// Nothing for a command without a Modbus frame.
std::optional<CommandInfo> commandFrame(std::uint8_t slave, kvSensorCommands command);

}  // namespace kvcom3::modbus

namespace kvcom3::modbus {

// How a reply is judged: accepted or not, the log lines it calls for, and what it counts as when
// the transfer finally gives up.
struct Judgement {
    bool accepted = false;
    std::vector<std::string> log;
    bool crcFailure = false;     // read: gives up with 1202
    bool functionError = false;  // write: gives up with 1200
    bool notAck = false;         // command: gives up with 1200
};

Judgement judgeRead(std::span<const std::uint8_t> reply, std::uint8_t function, std::size_t count);
// Bytes in the reply that accepts a write: function 6 echoes register and value.
std::size_t writeReplyLength(std::uint8_t function);
// A write counts only on a reply of that length from the request's slave and function with a
// valid CRC.
Judgement judgeWrite(std::span<const std::uint8_t> reply, std::uint8_t slave,
                     std::uint8_t function);
Judgement judgeCommand(std::span<const std::uint8_t> reply);

}  // namespace kvcom3::modbus

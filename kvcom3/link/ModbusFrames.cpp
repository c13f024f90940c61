#include "link/ModbusFrames.h"

#include <algorithm>
#include <array>

#include "kvcom3/Enums.h"

namespace kvcom3::modbus {

namespace {

std::uint8_t hi(std::int32_t v) {
    return static_cast<std::uint8_t>((v >> 8) & 0xFF);
}
std::uint8_t lo(std::int32_t v) {
    return static_cast<std::uint8_t>(v & 0xFF);
}

bool isRegisterSpace(std::uint8_t memType) {
    return memType == kvMBIR || memType == kvMBHR;
}

struct CommandRow {
    kvSensorCommands command;
    const char* logText;
    std::uint8_t subFunction;
    std::uint8_t length;
    const char* payload;  // the bytes after the length; `length` of them
};

constexpr std::array<CommandRow, 9> kCommands{{
    {cmdEEPROMtoRAM, "EEPROMtoRAM", 0x02, 0x01, "\x00"},
    {cmdLockEEPROM, "LockEEPROM", 0x00, 0x01, "\xAB"},
    {cmdUnlockEEPROM, "UnlockEEPROM", 0x01, 0x01, "\xA9"},
    {cmdIDtoEEPROM, "IDtoEEPROM", 0x03, 0x01, "\x00"},
    {cmdRestart, "RESTART", 0x04, 0x07, "RESTART"},
    {cmdTransparentOn, "TRANSPARENT ON", 0xFC, 0x0B, "TRANSPARENT"},
    {cmdTransparentOff, "TRANSPARENT OFF", 0xFD, 0x00, ""},
    {cmdPowerOn, "POWER ON", 0xFE, 0x07, "POWERON"},
    {cmdPowerOff, "POWER OFF", 0xFF, 0x00, ""},
}};

}  // namespace

std::uint16_t crc16(std::span<const std::uint8_t> bytes) {
    std::uint16_t crc = 0xFFFF;
    for (std::uint8_t b : bytes) {
        crc ^= b;
        for (int i = 0; i < 8; ++i) {
            crc = (crc & 1) ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001)
                            : static_cast<std::uint16_t>(crc >> 1);
        }
    }
    return crc;
}

void seal(std::vector<std::uint8_t>& frame) {
    std::uint16_t crc = crc16(frame);
    frame.push_back(lo(crc));
    frame.push_back(hi(crc));
}

bool crcMatches(std::span<const std::uint8_t> frame) {
    if (frame.size() < 2) return false;
    std::uint16_t crc = crc16(frame.first(frame.size() - 2));
    return frame[frame.size() - 2] == lo(crc) && frame[frame.size() - 1] == hi(crc);
}

std::optional<std::uint8_t> readFunction(std::uint8_t memType) {
    switch (memType) {
        case kvRAM: return 0x44;
        case kvEEPROM: return 0x46;
        case kvFLASH: return 0x45;
        case kvMBIR: return 0x04;
        case kvMBHR: return 0x03;
        default: return std::nullopt;
    }
}

std::optional<std::uint8_t> writeFunction(std::uint8_t memType) {
    switch (memType) {
        case kvRAM: return 0x41;
        case kvEEPROM: return 0x43;
        case kvMBHR: return 0x06;
        default: return std::nullopt;
    }
}

std::vector<std::uint8_t> readFrame(std::uint8_t slave, std::uint8_t memType, std::int32_t adr,
                                    std::uint8_t count) {
    std::vector<std::uint8_t> frame{slave, *readFunction(memType)};
    if (isRegisterSpace(memType)) {
        frame.insert(frame.end(), {hi(adr / 2), lo(adr / 2), 0x00, std::uint8_t(count / 2)});
    } else {
        frame.insert(frame.end(), {hi(adr), lo(adr), count});
    }
    seal(frame);
    return frame;
}

std::vector<std::uint8_t> writeFrame(std::uint8_t slave, std::uint8_t memType, std::int32_t adr,
                                     std::span<const std::uint8_t> data) {
    std::vector<std::uint8_t> frame{slave, *writeFunction(memType)};
    if (isRegisterSpace(memType)) {
        frame.insert(frame.end(), {hi(adr / 2), lo(adr / 2)});
    } else {
        frame.insert(frame.end(), {hi(adr), lo(adr), static_cast<std::uint8_t>(data.size())});
    }
    frame.insert(frame.end(), data.begin(), data.end());
    seal(frame);
    return frame;
}

std::optional<CommandInfo> commandFrame(std::uint8_t slave, kvSensorCommands command) {
    for (const CommandRow& row : kCommands) {
        if (row.command != command) continue;
        std::vector<std::uint8_t> frame(4u + row.length);
        frame[0] = slave;
        frame[1] = kCommandFunction;
        frame[2] = row.subFunction;
        frame[3] = row.length;
        std::copy_n(row.payload, row.length, frame.begin() + 4);
        seal(frame);
        return CommandInfo{row.logText, std::move(frame)};
    }
    return std::nullopt;
}

}  // namespace kvcom3::modbus

namespace kvcom3::modbus {

namespace {

std::string joined(std::span<const std::uint8_t> bytes) {
    std::string text;
    for (std::uint8_t b : bytes) {
        if (!text.empty()) text += ';';
        text += std::to_string(b);
    }
    return text;
}

// A two-byte reply names an error code after the function, or a function the sensor refused.
void judgeShortError(std::span<const std::uint8_t> reply, std::uint8_t function, Judgement& j) {
    j.log.push_back(joined(reply));
    j.log.push_back(reply[0] == function ? "MB error " + std::to_string(reply[1])
                                         : "MB function error");
}

}  // namespace

Judgement judgeRead(std::span<const std::uint8_t> reply, std::uint8_t function, std::size_t count) {
    Judgement j;
    if (reply.size() == count + 5) {
        if (crcMatches(reply)) {
            j.accepted = true;
        } else {
            j.crcFailure = true;  // retried without a log line
        }
    } else if (reply.size() < 2) {
        j.log.push_back("No ACK");
    } else if (reply.size() == 2) {
        judgeShortError(reply, function, j);
    } else {
        j.log.push_back("MB error");
    }
    return j;
}

std::size_t writeReplyLength(std::uint8_t function) {
    return function == 0x06 ? 8 : 4;
}

Judgement judgeWrite(std::span<const std::uint8_t> reply, std::uint8_t slave,
                     std::uint8_t function) {
    Judgement j;
    if (reply.size() == writeReplyLength(function) && reply[0] == slave && reply[1] == function &&
        crcMatches(reply)) {
        j.accepted = true;
    } else if (reply.size() == 4 && reply[1] != function) {
        j.log.push_back("MB function error");
        j.functionError = true;
    } else if (reply.size() == 5) {
        j.log.push_back("MB function error, NotAck");
        j.functionError = true;
    } else {
        // Silence, noise or a damaged frame: nothing says the bytes arrived.
        j.log.push_back("No ACK");
    }
    return j;
}

Judgement judgeCommand(std::span<const std::uint8_t> reply) {
    Judgement j;
    if (reply.size() == 4) {
        j.log.push_back(joined(reply));
        if (reply[1] == kCommandFunction && crcMatches(reply)) {
            j.accepted = true;
        } else {
            j.log.push_back("Not ACK");
            j.notAck = true;
        }
    } else if (reply.empty()) {
        j.log.push_back("No ACK");
    } else if (reply.size() == 2) {
        judgeShortError(reply, kCommandFunction, j);
    } else {
        j.log.push_back("MB error");
    }
    return j;
}

}  // namespace kvcom3::modbus

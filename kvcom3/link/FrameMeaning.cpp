#include "kvcom3/FrameMeaning.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "facade/clsErrors.h"
#include "kvcom3/Enums.h"
#include "kvcom3/KvError.h"
#include "link/KvbusFrames.h"
#include "link/ModbusFrames.h"

namespace kvcom3 {

namespace {

constexpr std::uint8_t kNak = 0x15;
constexpr std::uint8_t kMuxPreambleByte = 0x55;
constexpr std::uint8_t kModbusExceptionBit = 0x80;

std::string memoryName(bool eeprom) {
    return eeprom ? "EEPROM" : "RAM";
}

std::string withCheck(std::string text, bool valid, const char* check) {
    if (!valid) text += std::string(", ") + check + " wrong";
    return text;
}

// The command names whose frame in either command set is exactly `bytes`.
std::string kvbusCommand(std::span<const std::uint8_t> bytes) {
    std::string names;
    for (int command = cmdEEPROMtoRAM; command <= cmdTWAreset; ++command) {
        for (int set = 1; set <= 2; ++set) {
            const auto info = kvbus::commandFrame(static_cast<kvSensorCommands>(command), set);
            if (!info.frame ||
                !std::equal(bytes.begin(), bytes.end(), info.frame->begin(), info.frame->end()))
                continue;
            if (names.find(info.logText) != std::string::npos) continue;
            names += (names.empty() ? "" : " or ") + std::string(info.logText);
        }
    }
    return names.empty() ? std::string() : "command " + names;
}

std::string kvbusSent(std::span<const std::uint8_t> f) {
    const std::uint8_t first = f[0];
    if (f.size() == 1) {
        if (first == kvbus::kBroadcast) return "address byte, any sensor";
        if (first >= 0xE0 && first < 0xE0 + 30)
            return "address byte, ID " + std::to_string(first - 0xE0);
        return "unknown frame";
    }
    if (std::all_of(f.begin(), f.end(), [](std::uint8_t b) { return b == kMuxPreambleByte; }))
        return "network switch preamble";
    if (first == 0x00 && f.size() == 5 && static_cast<std::uint8_t>(f[1] + f[2] + f[3]) == f[4])
        return "network switch to board " + std::to_string((f[1] << 8) | f[2]) + " position " +
               std::to_string(f[3]);
    const bool sumValid = kvbus::checksum(f.first(f.size() - 1)) == f.back();
    if (const std::string command = kvbusCommand(f); !command.empty()) return command;
    // The first byte: bit 7 read, bits 3 and 6 the memory and the address form, bits 0-2 the
    // count; a RAM short form carries address bit 8 in bit 6.
    const bool read = (first & 0x80) != 0;
    const int count = first & 0x07;
    const bool eeprom = (first & 0x48) == 0x08;
    const bool longRam = (first & 0x48) == 0x48;
    if (count == 0 || (first & 0x30) != 0) return "unknown frame";
    const std::size_t dataBytes = read ? 0u : static_cast<std::size_t>(count);
    // Long forms carry hi and lo; EEPROM without byte access carries the word address only.
    const bool twoAddressBytes = longRam || (eeprom && f.size() == dataBytes + 4);
    const std::size_t header = twoAddressBytes ? 3 : 2;
    if (f.size() != header + dataBytes + 1) return "unknown frame";
    std::int32_t address = twoAddressBytes ? (f[1] << 8) | f[2] : f[1];
    if (eeprom && !twoAddressBytes) address *= 2;
    if (!eeprom && !longRam && (first & 0x40)) address += 0x100;
    std::string text = std::string(read ? "read " : "write ") + memoryName(eeprom) + " " +
                       std::to_string(count) + (count == 1 ? " byte" : " bytes") + " at " +
                       std::to_string(address);
    return withCheck(text, sumValid, "checksum");
}

std::string kvbusReceived(std::span<const std::uint8_t> f) {
    const std::uint8_t first = f[0];
    if (first == kvbus::kCTR && f.size() == 1) return "CTR";
    if (kvbus::isAck(first)) {
        if (f.size() == 1) return "ACK";
        const std::size_t data = f.size() - 2;
        return withCheck(
            "ACK, " + std::to_string(data) + (data == 1 ? " data byte" : " data bytes"),
            kvbus::checksum(f.first(f.size() - 1)) == f.back(), "checksum");
    }
    if (first == kNak) return "NAK";
    return "not ACK";
}

std::string registerName(std::uint8_t function, int count = 2) {
    return (function == 0x04 ? "input register" : "holding register") +
           std::string(count == 1 ? "" : "s");
}

std::string modbusCommand(std::span<const std::uint8_t> f) {
    for (int command = cmdEEPROMtoRAM; command <= cmdPowerOff; ++command) {
        const auto info = modbus::commandFrame(f[0], static_cast<kvSensorCommands>(command));
        if (info && info->frame.size() == f.size() && info->frame[2] == f[2])
            return "command " + info->logText;
    }
    return "command " + std::to_string(f[2]);
}

std::string modbusExceptionText(std::uint8_t code) {
    std::string text = "exception " + std::to_string(code);
    if (code >= 1 && code <= 4)
        text += ": " + clsErrors()
                           .Error(static_cast<kvErrorCodes>(errIllegalFunction + code - 1))
                           .description();
    return text;
}

std::string modbusFrame(TraceDirection direction, std::span<const std::uint8_t> f) {
    const std::uint8_t function = f[1];
    const auto word = [&f](std::size_t at) { return (f[at] << 8) | f[at + 1]; };
    const bool sent = direction == TraceDirection::Sent;
    std::string text;
    if (!sent && (function & kModbusExceptionBit) && f.size() == 5) {
        text = modbusExceptionText(f[2]);
    } else if (!sent && f.size() == 4) {
        // The maker's memory writes and commands are answered by slave and function alone.
        if (function == 0x41 || function == 0x43)
            text = "written " + memoryName(function == 0x43);
        else if (function == modbus::kCommandFunction)
            text = "command done";
        else
            text = "reply to function " + std::to_string(function);
    } else if (function == 0x03 || function == 0x04) {
        if (sent && f.size() == 8)
            text = "read " + registerName(function) + " " + std::to_string(word(4)) + " from " +
                   std::to_string(word(2));
        else if (!sent && f.size() == f[2] + 5u)
            text = std::to_string(f[2] / 2) + " " + registerName(function, f[2] / 2);
    } else if (function == 0x06 && f.size() >= 8 && f.size() % 2 == 0) {
        const std::size_t registers = (f.size() - 6) / 2;
        text = sent ? "write " + std::to_string(registers) + " holding registers from " +
                          std::to_string(word(2))
                    : "written holding registers from " + std::to_string(word(2));
    } else if (function == 0x44 || function == 0x45 || function == 0x46) {
        const std::string memory = function == 0x44 ? "RAM" : function == 0x46 ? "EEPROM" : "FLASH";
        if (sent && f.size() == 7)
            text = "read " + memory + " " + std::to_string(f[4]) + " bytes at " +
                   std::to_string(word(2));
        else if (!sent && f.size() == f[2] + 5u)
            text = memory + ", " + std::to_string(f[2]) + " data bytes";
    } else if (function == 0x41 || function == 0x43) {
        const std::string memory = memoryName(function == 0x43);
        if (sent && f.size() == f[4] + 7u)
            text = "write " + memory + " " + std::to_string(f[4]) + " bytes at " +
                   std::to_string(word(2));
    } else if (function == modbus::kCommandFunction && sent && f.size() == f[3] + 6u) {
        text = modbusCommand(f);
    }
    // Any other function still names itself when the CRC holds.
    if (text.empty() && modbus::crcMatches(f)) text = "function " + std::to_string(function);
    if (text.empty()) return "unknown frame";
    return "slave " + std::to_string(f[0]) + ", " + withCheck(text, modbus::crcMatches(f), "CRC");
}

}  // namespace

std::string frameHex(std::span<const std::uint8_t> bytes) {
    std::string text;
    for (const std::uint8_t byte : bytes) {
        char hex[4];
        std::snprintf(hex, sizeof hex, text.empty() ? "%02X" : " %02X", byte);
        text += hex;
    }
    return text;
}

std::string frameMeaning(FrameProtocol protocol, TraceDirection direction,
                         std::span<const std::uint8_t> bytes) {
    if (bytes.empty()) return "nothing";
    if (protocol == FrameProtocol::Kvbus)
        return direction == TraceDirection::Sent ? kvbusSent(bytes) : kvbusReceived(bytes);
    if (bytes.size() < 4) return "unknown frame";
    return modbusFrame(direction, bytes);
}

}  // namespace kvcom3

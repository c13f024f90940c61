#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "kvcom3/Trace.h"

namespace kvcom3 {

// The protocol a traced block belongs to; the frame observer does not say it, the caller knows
// which it connected with.
enum class FrameProtocol {
    Kvbus,
    Modbus,
};

// The bytes in hexadecimal, upper case, separated by single spaces: "02 41 00 14".
std::string frameHex(std::span<const std::uint8_t> bytes);

// What a block of bytes means on the line, one short English phrase, for example
// "read EEPROM 6 bytes at 16" or "exception 2: Illegal data address". A block is judged on its
// own: a reply is named by its form, not matched to its request. Bytes that fit no frame give
// "unknown frame"; a failing checksum or CRC is named. No errors.
std::string frameMeaning(FrameProtocol protocol, TraceDirection direction,
                         std::span<const std::uint8_t> bytes);

}  // namespace kvcom3

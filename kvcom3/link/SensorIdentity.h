#pragma once

#include <cstdint>

namespace kvcom3 {

// What the part byte (RAM 65) tells about a sensor. The part code is the part byte's bits 3-7.
inline std::uint8_t partCode(std::uint8_t partByte) {
    return partByte >> 3;
}

// Platform 5, 6, 61, 7 or 8; raises 1205 "Unknown Product" for part byte 255 or an unknown code.
std::uint8_t platformOfPart(std::uint8_t partByte);

// KVBUS special-command set (1 or 2) of a sensor.
int commandSetOf(std::uint8_t partByte);

// Platforms 7 and 8 address EEPROM and high RAM by byte with 16-bit addresses.
inline bool isByteAccessPlatform(std::uint8_t platform) {
    return platform == 7 || platform == 8;
}

}  // namespace kvcom3

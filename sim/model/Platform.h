#pragma once

#include <cstddef>
#include <cstdint>

namespace kvsim {

// Facts that follow from the part byte (RAM 65): the product code is its bits 3-7.
int partCode(std::uint8_t partByte);
// 5, 6, 61, 7 or 8; throws std::runtime_error for a code of no known product.
int platformOfPartByte(std::uint8_t partByte);
// KVBUS special-command set (1 or 2) of a sensor with this part byte.
int commandSetOfPartByte(std::uint8_t partByte);
// Platforms 7 and 8 address EEPROM and high RAM by byte.
bool platformHasByteAccess(int platform);
// RAM of the platform: 7 and 8 as the library sizes them; the older platforms reach 512 bytes
// through their 9-bit short addresses.
std::size_t platformRamSize(int platform);

}  // namespace kvsim

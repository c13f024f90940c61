#pragma once

#include <cstdint>
#include <ostream>
#include <stdexcept>
#include <vector>

#include "kvcom3/ISensMem.h"

namespace kvtool {

// An address the connected sensor does not have: a bad argument, found only once the sensor has
// told its size.
class BadAddress : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Reads `count` bytes from the sensor (forced, so never from an old image) and returns them.
// EEPROM addresses at or beyond the sensor's size are refused with BadAddress.
std::vector<std::uint8_t> peekBytes(kvcom3::ISensMem& sensor, std::uint8_t memType,
                                    std::int32_t address, std::int32_t count);

// Sends the bytes to the sensor from `address` on; EEPROM goes through unlock, verify and lock.
// EEPROM addresses at or beyond the sensor's size are refused with BadAddress.
void pokeBytes(kvcom3::ISensMem& sensor, std::uint8_t memType, std::int32_t address,
               const std::vector<std::uint8_t>& bytes);

// The bytes in decimal, separated by blanks, ending the line.
void printBytes(std::ostream& out, const std::vector<std::uint8_t>& bytes);

}  // namespace kvtool

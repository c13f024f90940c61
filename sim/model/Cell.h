#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "model/Sensor.h"

namespace kvsim {

// A named place in a sensor memory. EEPROM addresses may be negative: they count back from the
// end of EEPROM, as the sensor's own parameter blocks are placed.
struct Cell {
    Space space = Space::RAM;
    std::int32_t address = 0;
    int bytes = 1;
    bool bigEndian = true;
};

// Splits "wPar_7" into "wPar_" and 7; false when the name does not end in "_" and digits.
bool splitIndexedName(const std::string& name, std::string& base, int& index);

// The EEPROM address of a cell address on an EEPROM of the given size.
std::uint32_t eepromAddress(std::int32_t address, std::size_t eepromSize);

}  // namespace kvsim

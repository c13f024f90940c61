#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "kvcom3/clsAdressLevel.h"
#include "kvcom3/kvArrayNode.h"
#include "map/MapNames.h"

namespace kvcom3 {

// What the builders of the platform-7/8 map share: the root being built (its cells are looked
// up by key while it grows), the address level, and the variant.
struct Map78 {
    kvArrayNodes& root;
    clsAdressLevel& adr;
    bool full;  // platform 8, or platform 7 with a flash processor

    // The value of a cell already in this map, read through the cell (from the image when
    // there); 1110 "Object not found" when the map lacks the key. The look-up stays in the root
    // being built, whatever the level holds by then.
    std::int32_t read(std::string_view key);
};

// An EEPROM cell; negative addresses count back from the end of EEPROM.
inline std::shared_ptr<kvArrayNode> cell(kvArrayNodes& parent, const std::string& name,
                                         std::int32_t adr, std::int32_t bytes,
                                         std::int32_t mask = 0, std::string_view key = {},
                                         std::uint8_t byteOrder = kvLSByteAtHighAdress) {
    return parent.Add(name, adr, bytes, kvEEPROM, byteOrder, mask, key);
}

// The EEPROM part, in building order.
void addSys(Map78& map, kvArrayNodes& eeprom);
void addAlgorithmSlots(Map78& map, kvArrayNodes& eeprom);
void addAdsCode(Map78& map, kvArrayNodes& eeprom);
void addCalculation(Map78& map, kvArrayNodes& eeprom);
void addCase(kvArrayNodes& eeprom);
void addMenu(Map78& map, kvArrayNodes& eeprom);
void addOutputAndCountParameters(kvArrayNodes& eeprom);
void addTables(Map78& map, kvArrayNodes& eeprom);
void addRegulatorParameters(kvArrayNodes& eeprom);
void addRanges(Map78& map, kvArrayNodes& eeprom);
void addLimitsAndControl(kvArrayNodes& eeprom);
void addUserInfo(Map78& map, kvArrayNodes& eeprom);
void addLoggers(Map78& map, kvArrayNodes& eeprom);

// The RAM part (only "Part" while off line) and the Modbus register spaces.
void addRam(Map78& map, kvArrayNodes& root);
void addModbus(kvArrayNodes& root);

}  // namespace kvcom3

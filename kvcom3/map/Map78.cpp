// The map of platforms 7 and 8 in building order: cells placed by base addresses follow the
// base-address block they are read from.
#include "map/Map78.h"

#include "facade/LibraryState.h"
#include "facade/clsErrors.h"
#include "map/KeyIndex.h"
#include "map/MapBuilders.h"

namespace kvcom3 {

std::int32_t Map78::read(std::string_view key) {
    std::string before;
    const std::shared_ptr<kvArrayNode> node = walkForKey(root, key, before);
    if (!node) clsErrors().Raise(errObjectNotFound);
    return node->Value();
}

void buildMap78(kvArrayNodes& root, clsAdressLevel& adr, bool full) {
    Map78 map{root, adr, full};
    kvArrayNodes& eeprom = group(root, "EEPROM");
    addSys(map, eeprom);
    addAlgorithmSlots(map, eeprom);
    addAdsCode(map, eeprom);
    addCalculation(map, eeprom);
    addCase(eeprom);
    addMenu(map, eeprom);
    addOutputAndCountParameters(eeprom);
    addTables(map, eeprom);
    addRegulatorParameters(eeprom);
    addRanges(map, eeprom);
    addLimitsAndControl(eeprom);
    addUserInfo(map, eeprom);
    addLoggers(map, eeprom);
    addRam(map, root);
    if (full && gProtokoll == kvMB) addModbus(root);
}

}  // namespace kvcom3

// The map of platforms 7 and 8 in building order: cells placed by base addresses follow the
// base-address block they are read from.
#include "map/Map78.h"

#include "facade/LibraryState.h"
#include "map/MapBuilders.h"

namespace kvcom3 {

void buildMap78(clsArrayLevel& level, clsAdressLevel& adr, bool full) {
    Map78 map{level, adr, full};
    kvArrayNodes& root = *level.Nodes();
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

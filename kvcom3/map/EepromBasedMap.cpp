// The EEPROM parts the sensor places itself: each starts at a base address read from the
// base-address block, which Generate has already brought into the image.
#include "map/Map78.h"

namespace kvcom3 {

void addAdsCode(Map78& map, kvArrayNodes& eeprom) {
    const std::int32_t base = map.read("eaBa_ADS_CODE");
    kvArrayNodes& code = group(eeprom, "ADS_Code");
    for (int i = 0; i <= 44; ++i) cell(code, indexed("ADS_Code_", i), base + i, 1);
}

void addTables(Map78& map, kvArrayNodes& eeprom) {
    const std::int32_t base = map.read("eaBa_TABLE");
    kvArrayNodes& tables = group(eeprom, "Tables");
    for (int t = 0; t < 5; ++t) {
        kvArrayNodes& table = group(tables, indexed("Table", t));
        const std::string name = indexed("Table", t) + "_";
        for (int i = 0; i <= 16; ++i) cell(table, indexed(name, i), base + 34 * t + 2 * i, 2);
    }
}

void addRanges(Map78& map, kvArrayNodes& eeprom) {
    const std::int32_t base = map.read("eaBa_RANGE_PAR");
    kvArrayNodes& ranges = group(eeprom, "RangePar");
    for (int i = 0; i < 16; ++i) {
        kvArrayNodes& one = group(ranges, indexed("RangePar_", i));
        cell(one, indexed("RangeParMin_", i), base + 4 * i, 2);
        cell(one, indexed("RangeParMax_", i), base + 4 * i + 2, 2);
    }
}

void addUserInfo(Map78& map, kvArrayNodes& eeprom) {
    const std::int32_t base = map.read("eaBa_UserInfo");
    kvArrayNodes& info = group(eeprom, "UserInfo");
    for (int i = 0; i <= 155; ++i) cell(info, indexed("UserInfo_", i), base + i, 1);
}

}  // namespace kvcom3

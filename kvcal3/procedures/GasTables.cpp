#include <algorithm>
#include <string>

#include "kvcal3/kvCalProcedure.h"
#include "kvcom3/VbTypes.h"
#include "procedures/SensorAccess.h"

namespace kvcal3 {

namespace {

std::string tableCell(std::int16_t table, int k) {
    return "eaTable" + std::to_string(table) + "_" + std::to_string(k);
}

}  // namespace

float kvCalProcedure::GetUnit(std::int32_t lngCount, std::int16_t intTable) {
    for (int k = 0; k < 16; ++k) {
        const double a = lngToSint(cellValue(tableCell(intTable, k)));
        const double b = lngToSint(cellValue(tableCell(intTable, k + 1)));
        if (lngCount <= 4096 * (k + 1)) {
            const double unit = a + (lngCount - 4096.0 * k) / 4096 * (b - a);
            return static_cast<float>(SintToLng(kvcom3::toInteger(unit)));
        }
    }
    return 0;
}

std::int32_t kvCalProcedure::GetCount(float& sngUnit, std::int16_t intTable) {
    sngUnit = lngToSint(kvcom3::toLong(sngUnit));
    double result = 0;
    for (int k = 0; k < 16; ++k) {
        const double a = lngToSint(cellValue(tableCell(intTable, k)));
        const double b = lngToSint(cellValue(tableCell(intTable, k + 1)));
        if (a == b) continue;
        if ((a <= sngUnit && sngUnit <= b) || (b <= sngUnit && sngUnit <= a)) {
            result = kvcom3::roundHalfEven((sngUnit - a) / (b - a) * 4096 + 4096.0 * k);
            break;
        }
    }
    return static_cast<std::int32_t>(std::clamp(result, 0.0, 65536.0));
}

}  // namespace kvcal3

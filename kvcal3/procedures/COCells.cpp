#include "procedures/COCells.h"

#include "procedures/SensorAccess.h"

namespace kvcal3 {

std::string coTableCell(int i) {
    return "eaTable4_" + std::to_string(i);
}

std::int32_t liveCOSignal() {
    return cellValue(kCOSignalCell, true);
}

void writeThrough(std::string_view key, std::int32_t value) {
    calSensor().ArrayLevel()->GetNode(key)->LetValue(true, value);
}

}  // namespace kvcal3

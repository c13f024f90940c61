#include <algorithm>

#include "kvcal3/kvCalProcedure.h"
#include "kvcom3/VbTypes.h"
#include "model/clsErrors.h"
#include "procedures/CommonNodes.h"
#include "procedures/SensorAccess.h"

namespace kvcal3 {

std::optional<float> kvCalProcedure::co2TableCount(float sngUnit) {
    // A sensor that cannot be read ends the calibration here: a count made up in its place would
    // be turned into a factor and written. A flat segment holds no count of its own; the
    // concentration it stands for is an end of a neighbouring segment.
    for (std::int16_t k = 0; k < 16; ++k) {
        const float a = commonNodeValue(kvcom3::CO2Table, false, k).toSingle();
        const float b =
            commonNodeValue(kvcom3::CO2Table, false, static_cast<std::int16_t>(k + 1)).toSingle();
        if (a == b) continue;
        if ((a <= sngUnit && sngUnit <= b) || (b <= sngUnit && sngUnit <= a)) {
            const double count = kvcom3::roundHalfEven(
                static_cast<double>(sngUnit - a) / (b - a) * 4096 + 4096.0 * k);
            return static_cast<float>(std::clamp(count, 0.0, 65536.0));
        }
    }
    return std::nullopt;
}

float kvCalProcedure::GetCO2Count(float sngUnit) {
    return co2TableCount(sngUnit).value_or(65535);
}

float kvCalProcedure::gasCount(float sngUnit, bool blnPlatform5) {
    const std::optional<float> count =
        blnPlatform5 ? table05Count(calSensor().PartNr(), sngUnit) : co2TableCount(sngUnit);
    if (!count) clsErrors().Raise(calInputOutOfRange);
    return *count;
}

}  // namespace kvcal3

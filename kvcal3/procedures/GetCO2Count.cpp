#include <algorithm>

#include "kvcal3/kvCalProcedure.h"
#include "kvcom3/VbTypes.h"
#include "procedures/CommonNodes.h"

namespace kvcal3 {

float kvCalProcedure::GetCO2Count(float sngUnit) {
    // A sensor that cannot be read ends the calibration here: a count made up in its place would
    // be turned into a factor and written.
    double result = 65535;
    for (std::int16_t k = 0; k < 16; ++k) {
        const float a = commonNodeValue(kvcom3::CO2Table, false, k).toSingle();
        const float b =
            commonNodeValue(kvcom3::CO2Table, false, static_cast<std::int16_t>(k + 1)).toSingle();
        if (a == b) return 0;
        if ((a <= sngUnit && sngUnit <= b) || (b <= sngUnit && sngUnit <= a)) {
            result = kvcom3::roundHalfEven(static_cast<double>(sngUnit - a) / (b - a) * 4096 +
                                           4096.0 * k);
            break;
        }
    }
    return static_cast<float>(std::clamp(result, 0.0, 65536.0));
}

}  // namespace kvcal3

#include <algorithm>
#include <chrono>
#include <cmath>

#include "kvcal3/kvCalProcedure.h"
#include "kvcom3/KvError.h"
#include "kvcom3/VbTypes.h"
#include "procedures/CommonNodes.h"
#include "procedures/PumpedWait.h"

namespace kvcal3 {

std::int32_t kvCalProcedure::MeasureOldAverage() {
    const float periodS =
        kvcom3::toSingle((commonNodeValue(kvcom3::LampOnTime, false).toDouble() +
                          commonNodeValue(kvcom3::LampOffTime, false).toDouble()) /
                         1000);
    const std::int16_t n =
        kvcom3::toInteger(9 - commonNodeValue(kvcom3::CO2FracCurr, false).toDouble());
    if (n <= 0) {
        kvcom3::raisePlatformError(kvcom3::platform_error::DivisionByZero,
                                   "the CO2 fraction parameter leaves no samples to average");
    }
    const std::chrono::milliseconds period{std::max(0LL, std::llround(periodS * 1000.0))};
    std::int64_t sum = 0;
    for (int i = 0; i < n; ++i) {
        waitPumpingEvents(period);
        sum += commonNodeValue(kvcom3::CO2Old, true).toLong();
        if (sum > INT32_MAX || sum < INT32_MIN) {
            kvcom3::raisePlatformError(kvcom3::platform_error::Overflow, "CO2 signal sum");
        }
    }
    return kvcom3::toLong(static_cast<float>(sum) / n);
}

}  // namespace kvcal3

#include "kvcal3/kvCalProcedure.h"
#include "kvcom3/VbTypes.h"
#include "procedures/Co2Arithmetic.h"
#include "procedures/CommonNodeWrite.h"
#include "procedures/CommonNodes.h"

namespace kvcal3 {

void kvCalProcedure::CO2BackgroundCal() {
    // Fresh air holds the sensor's own background target; the zero factor is chosen so the
    // present signal, through the present span, gives that target's count.
    const std::int32_t c =
        kvcom3::toLong(gasCount(commonNodeValue(kvcom3::CO2ABCtarget, false).toSingle(), false));
    const std::int32_t S = commonNodeValue(kvcom3::CO2Span, false).toLong();
    const float x = kvcom3::toSingle(
        kvcom3::roundHalfEven(61440 - divide((61440.0 - c) * 2048, S, "CO2 span factor 0")));
    const std::int32_t N = MeasureOldAverage();
    const std::int32_t Z = kvcom3::toLong(divide(x * 2048.0, N, "CO2 signal 0"));
    letCommonNodeValue(kvcom3::CO2Zero, true, kvcom3::Variant(Z));
}

}  // namespace kvcal3

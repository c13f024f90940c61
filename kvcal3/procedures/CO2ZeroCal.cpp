#include "kvcal3/kvCalProcedure.h"
#include "kvcom3/VbTypes.h"
#include "procedures/Co2Arithmetic.h"
#include "procedures/CommonNodeWrite.h"

namespace kvcal3 {

void kvCalProcedure::CO2ZeroCal() {
    // In zero gas the factor must bring the signal N up to the zero-gas count 61440.
    float N = InputVariables()->Item("cvCO2ZeroCalOld")->Value.toSingle();
    if (!(N > 0)) N = static_cast<float>(MeasureOldAverage());
    const std::int32_t Z = kvcom3::toLong(divide(125829120.0, N, "zero CO2 signal"));
    letCommonNodeValue(kvcom3::CO2Zero, true, kvcom3::Variant(static_cast<float>(Z)));
}

}  // namespace kvcal3

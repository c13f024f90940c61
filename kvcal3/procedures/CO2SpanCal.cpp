#include "kvcal3/kvCalProcedure.h"
#include "kvcom3/VbTypes.h"
#include "model/clsErrors.h"
#include "procedures/Co2Inputs.h"
#include "procedures/CommonNodeWrite.h"
#include "procedures/CommonNodes.h"
#include "procedures/SensorAccess.h"

namespace kvcal3 {

void kvCalProcedure::CO2SpanCal() {
    auto inputs = InputVariables();
    auto gas = inputs->Item("cvCO2SpanCalGas");
    auto pressure = inputs->Item("cvCO2SpanCalPressure");
    auto old = inputs->Item("cvCO2SpanCalOld");
    auto detectorTemp = inputs->Item("cvCO2SpanCalDT");
    InputReset reset{gas, pressure, old, detectorTemp};

    if (isNotSet(*gas)) clsErrors().Raise(calSpanGasNotSet);
    defaultPressure(*pressure);
    if (isNotSet(*detectorTemp)) {
        detectorTemp->Value = commonNodeValue(kvcom3::CO2DetectorTemp, true);
    }
    kvcom3::ISensMem& sensor = calSensor();
    const bool platform5 = sensor.Platform() == 5;
    const std::int32_t Z = commonNodeValue(kvcom3::CO2Zero, false).toLong();
    const double Ts = commonNodeValue(kvcom3::CO2Ts, false).toSingle();
    // The background target is shown through the span, so it is written again after the span
    // to keep the concentration it means.
    const kvcom3::Variant target =
        platform5 ? kvcom3::Variant() : commonNodeValue(kvcom3::CO2ABCtarget, false);

    const float g =
        static_cast<float>(gas->Value.toSingle() * pressureFactor(pressure->Value.toSingle()));
    // A gas the table does not hold fails before the signal is measured.
    const double c = gasCount(g, platform5);
    const double N =
        isOldNotSet(*old) ? static_cast<double>(MeasureOldAverage()) : old->Value.toSingle();
    const double DT = detectorTemp->Value.toSingle();

    const double D = divide((61440 - c) * 2048, 61440 - Z * N / 2048, "CO2 zero-gas count");
    const double B = (Ts * DT / 32 + 2048) / 2048;
    const std::int32_t S = kvcom3::toLong(divide(D, B, "CO2 temperature correction"));
    // A factor of 0 or below, or beyond the word, says the gas and the signal do not belong
    // together; written, it would wrap into a span the sensor reads as another.
    if (S <= 0 || S > 65535) clsErrors().Raise(calInputOutOfRange);
    letCommonNodeValue(kvcom3::CO2Span, true, kvcom3::Variant(static_cast<float>(S)));
    if (!platform5) letCommonNodeValue(kvcom3::CO2ABCtarget, true, target);
}

}  // namespace kvcal3

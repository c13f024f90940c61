#include <algorithm>
#include <cctype>
#include <string>

#include "kvcal3/UserInteraction.h"
#include "kvcal3/kvCalProcedure.h"
#include "model/clsErrors.h"
#include "procedures/Co2Inputs.h"
#include "procedures/CommonNodeWrite.h"
#include "procedures/CommonNodes.h"
#include "procedures/SensorAccess.h"

namespace kvcal3 {

namespace {

bool hasDigit(const std::string& text) {
    return std::ranges::any_of(text, [](unsigned char ch) { return std::isdigit(ch) != 0; });
}

float askGasConcentration(kvCalProcedure& procedure) {
    // An answer without a digit names no concentration; calibrating against 0 ppm in its place
    // would write a wrong factor, so the question comes again.
    for (;;) {
        auto answer =
            userInteraction()->InputBox("Please enter gas concentration", procedure.Name, "");
        if (!answer || answer->empty()) clsErrors().Raise(calCancel);
        if (hasDigit(*answer)) return procedure.getVal(*answer);
    }
}

}  // namespace

void kvCalProcedure::CO2OffsetCal() {
    auto inputs = InputVariables();
    auto gas = inputs->Item("cvCO2OffsetCalGas");
    auto pressure = inputs->Item("cvCO2OffsetCalPressure");
    auto old = inputs->Item("cvCO2OCOffsetCalOld");
    auto detectorTemp = inputs->Item("cvCO2OffsetCalDT");
    // The gas, the signal and the temperature belong to this one exposure; the pressure stays.
    InputReset reset{old, gas, detectorTemp};

    if (isNotSet(*gas)) gas->Value = kvcom3::Variant(askGasConcentration(*this));
    defaultPressure(*pressure);
    const float g =
        static_cast<float>(gas->Value.toSingle() * pressureFactor(pressure->Value.toSingle()));
    float S = commonNodeValue(kvcom3::CO2Span, false).toSingle();
    kvcom3::ISensMem& sensor = calSensor();
    float c = gasCount(g, sensor.Platform() == 5);
    float N = isOldNotSet(*old) ? static_cast<float>(MeasureOldAverage()) : old->Value.toSingle();
    float DT = isNotSet(*detectorTemp) ? commonNodeValue(kvcom3::CO2DetectorTemp, true).toSingle()
                                       : detectorTemp->Value.toSingle();
    float Ts = commonNodeValue(kvcom3::CO2Ts, false).toSingle();
    float Z = 0;
    CalcZero(N, DT, Ts, c, S, Z);
    letCommonNodeValue(kvcom3::CO2Zero, true, kvcom3::Variant(Z));
}

}  // namespace kvcal3

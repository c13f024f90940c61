#include <cmath>

#include "kvcal3/kvCalProcedure.h"
#include "kvcom3/KvError.h"
#include "kvcom3/VbTypes.h"
#include "model/clsErrors.h"
#include "procedures/InputReset.h"
#include "procedures/SensorAccess.h"

namespace kvcal3 {

namespace {

constexpr int kTablePoints = 17;
constexpr std::int32_t kTableBytes = 2 * kTablePoints;
// Probe voltage of table point 0 and the step between points.
constexpr double kFirstPointV = 0.375;
constexpr double kPointStepV = 0.257813;

}  // namespace

kvcom3::Variant kvCalProcedure::SpaceRH_Cal() {
    auto offset = InputVariables()->Item("cvSpaceRHCalZeroOffset");
    auto slope = InputVariables()->Item("cvSpaceRHCalSlope");
    InputReset reset{offset, slope};
    if (isNotSet(*offset)) clsErrors().Raise(calRHOffsetNotSet);
    if (isNotSet(*slope)) clsErrors().Raise(calRHSlopeNotSet);
    const float Z = offset->Value.toSingle();
    const float S = slope->Value.toSingle();
    if (S == 0) kvcom3::raisePlatformError(kvcom3::platform_error::DivisionByZero);

    auto map = calSensor().ArrayLevel();
    for (int i = 0; i < kTablePoints; ++i) {
        // Table point i holds the RH, in hundredths of a percent, at its probe voltage.
        const double U = i * kPointStepV + kFirstPointV;
        double v = kvcom3::roundHalfEven((U - Z) / (S / 1000.0) * 10) * 10;
        if (!(v >= 0)) v = 0;
        if (v > 10000) v = 10000;
        map->GetNode("eaTable3_" + std::to_string(i))->LetValue(false, kvcom3::toLong(v));
    }
    const std::int32_t start = map->GetNode("eaTable3_0")->Adr();
    calSensor().AdressLevel()->WriteToSensor(start, kTableBytes, kvcom3::kvEEPROM,
                                             kvcom3::kvAutoWriteToSensor);
    return {};
}

}  // namespace kvcal3

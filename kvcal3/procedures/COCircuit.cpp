#include "procedures/COCircuit.h"

#include "procedures/Co2Arithmetic.h"

namespace kvcal3 {

namespace {

// The sensing term's constant as the production code has always carried it: 620000 x 366000
// rounded to single precision.
constexpr double kSensingTerm = 226920005632.0;
constexpr double kDividerOhm = 36000 + 330000;
constexpr double kAdcLowV = 0.375;
constexpr double kAdcSpanV = 4.125;

}  // namespace

double heaterValue(double R) {
    const double q = divide(R, R + 3.3, "heater resistance");
    const double Rp = 1 / (1 / 56000.0 + 1 / 2700.0 + 1 / 39000.0);
    const double fullScale = static_cast<float>(65536);
    return (q - Rp / 2700) / ((39000.0 / 47200.0) * Rp / (fullScale * 56000));
}

double heaterCalCount(double W, double shift) {
    const double V = (divide(kSensingTerm, W, "resistance in wet air") + shift + kDividerOhm) * 5 *
                     1000 / 3.636e9;
    return (V - kAdcLowV) * 65535 / kAdcSpanV;
}

double elementResistance(double n) {
    const double V = n * kAdcSpanV / 65536 + kAdcLowV;
    const double U = V * 36000 * 101000 / 5000;
    return divide(kSensingTerm, U - 36000 - 330000, "CO element count");
}

double elementCount(double r) {
    const double V = (divide(620000, r, "CO element resistance") + 1) * (1000.0 / 101000 * 5) *
                     (330000.0 / 36000 + 1);
    return (V - kAdcLowV) / kAdcSpanV * 65536;
}

}  // namespace kvcal3

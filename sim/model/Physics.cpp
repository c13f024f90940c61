#include "model/Physics.h"

#include <algorithm>
#include <cmath>

namespace kvsim::physics {
namespace {

constexpr double kSegment = 4096;
constexpr double kInputLowV = 0.375;
constexpr double kInputSpanV = 4.125;
// Heater drive for one e-fold of the element's resistance.
constexpr double kHeaterDrivePerEFold = 4.0e6;

}  // namespace

long roundEven(double value) {
    return std::lrint(value);
}

long tableUnit(const Table& table, double count) {
    const double c = std::clamp(count, 0.0, kFullCount);
    const int i = c <= kSegment ? 0 : std::min(15, static_cast<int>(std::ceil(c / kSegment)) - 1);
    const double a = table[i];
    const double b = table[i + 1];
    return roundEven(a + (c - kSegment * i) / kSegment * (b - a));
}

double tableCount(const Table& table, double unit) {
    for (int i = 0; i < 16; ++i) {
        const double a = table[i];
        const double b = table[i + 1];
        if (a != b && std::min(a, b) <= unit && unit <= std::max(a, b))
            return kSegment * i + (unit - a) / (b - a) * kSegment;
    }
    const bool rising = table[16] > table[0];
    const bool belowStart = rising ? unit < table[0] : unit > table[0];
    const int i = belowStart ? 0 : 15;
    const double a = table[i];
    const double b = table[i + 1];
    if (a == b) return belowStart ? 0 : kFullCount;
    return std::clamp(kSegment * i + (unit - a) / (b - a) * kSegment, 0.0, kFullCount);
}

double co2Count(double n, double zero, double span, double dt, double ts) {
    return kZeroGasCount - (kZeroGasCount - n * zero / 2048) * (1 + dt * ts / 65536) * span / 2048;
}

double co2Signal(double count, double zero, double span, double dt, double ts) {
    const double gain = (1 + dt * ts / 65536) * span / 2048;
    return (kZeroGasCount - (kZeroGasCount - count) / gain) * 2048 / zero;
}

double rhCount(double rhPercent, double zeroV, double slopeMvPerPct) {
    const double volts = zeroV + slopeMvPerPct / 1000 * rhPercent;
    return (volts - kInputLowV) / kInputSpanV * kFullCount;
}

double absoluteHumidity(double temperatureC, double rhPercent) {
    const double saturationHpa = 6.112 * std::exp(17.62 * temperatureC / (243.12 + temperatureC));
    return 216.7 * (rhPercent / 100 * saturationHpa) / (273.15 + temperatureC);
}

double coElementCount(double resistanceOhm) {
    const double volts =
        (620000 / resistanceOhm + 1) * (1000.0 / 101000 * 5) * (330000.0 / 36000 + 1);
    return (volts - kInputLowV) / kInputSpanV * kFullCount;
}

double heatedElementResistance(double atReference, double drive, double reference) {
    return atReference * std::exp(-(drive - reference) / kHeaterDrivePerEFold);
}

double Noise::sample(double sigma, bool on) {
    if (!on || sigma <= 0) return 0;
    std::normal_distribution<double> normal(0, sigma);
    return normal(rng_);
}

}  // namespace kvsim::physics

#pragma once

#include <array>
#include <cstdint>
#include <random>

// The sensor's arithmetic and the physics of its elements, free of any memory layout.
namespace kvsim::physics {

using Table = std::array<int, 17>;

constexpr double kZeroGasCount = 61440;
constexpr double kFullCount = 65536;

// Rounds to the nearest integer, halves to even, as the firmware rounds.
long roundEven(double value);

// Count to quantity through a 17-point table (point i at count 4096 i), interpolating the
// segment that holds the count; counts outside 0 ... 65536 are held at the ends.
long tableUnit(const Table& table, double count);

// The count at which a monotonic table gives the quantity (the inverse of tableUnit, without
// rounding); beyond the table's ends the end segments are extended, then held to 0 ... 65536.
double tableCount(const Table& table, double unit);

// The CO2 count the firmware computes from the raw signal N, zero Z and span S (units of
// 1/2048), detector temperature DT and span temperature coefficient Ts:
// 61440 - (61440 - N Z / 2048) (1 + DT Ts / 65536) S / 2048.
double co2Count(double n, double zero, double span, double dt, double ts);
// The raw signal N that gives the count under the same formula.
double co2Signal(double count, double zero, double span, double dt, double ts);

// Output of the RH probe in counts of the 0.375-4.5 V input, for a probe with that zero
// voltage and slope (mV per %RH).
double rhCount(double rhPercent, double zeroV, double slopeMvPerPct);

// Absolute humidity in g/m3.
double absoluteHumidity(double temperatureC, double rhPercent);

// Count of the heated CO element's divider circuit for an element resistance in ohm.
double coElementCount(double resistanceOhm);

// Resistance of the heated CO element at heater drive `drive` (0 ... 65535) when it has
// `atReference` ohm at drive `reference`: a hotter element conducts better, the resistance
// falling by about 0.25 % for every 10000 of drive around the working point.
double heatedElementResistance(double atReference, double drive, double reference);

// Gaussian measurement noise from a seeded generator; silent when switched off.
class Noise {
  public:
    explicit Noise(std::uint32_t seed) : rng_(seed) {}
    double sample(double sigma, bool on);

  private:
    std::mt19937 rng_;
};

}  // namespace kvsim::physics

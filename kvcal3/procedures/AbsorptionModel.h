#pragma once

#include <cstdint>

namespace kvcal3 {

// The absorption model of a platform-5 sensor definition file:
// f(x) = A e^(Bx) + C e^(BDx) + E e^(BD^2 x) + 1 - A - C - E, and the count of concentration x,
// (f(x) - f(Tmax)) / (1 - f(Tmax)) x 61440, so that zero gas gives 61440 and Tmax gives 0.
class AbsorptionModel {
  public:
    AbsorptionModel(double A, double B, double C, double D, double E, double Tmax);

    double f(double x) const;
    // Rounded to the nearest count, halves to even; Overflow (6) when out of the 32-bit range.
    std::int32_t count(double x) const;

  private:
    double A_, B_, C_, D_, E_;
    double fTmax_;
};

}  // namespace kvcal3

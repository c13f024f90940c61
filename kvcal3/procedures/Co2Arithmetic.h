#pragma once

#include <string>

#include "kvcom3/KvError.h"

namespace kvcal3 {

// The pressure a gas input means when none is given, hPa.
inline constexpr float kDefaultPressure = 1012;

// What a concentration at pressure p (hPa) counts as at the sensor's reference pressure.
inline double pressureFactor(double p) {
    return 4.026e-4 * p + 5.78e-7 * p * p;
}

// a / b, with a zero divisor an error of the calculation rather than an infinity written on.
inline double divide(double a, double b, const std::string& what) {
    if (b == 0) kvcom3::raisePlatformError(kvcom3::platform_error::DivisionByZero, what);
    return a / b;
}

}  // namespace kvcal3

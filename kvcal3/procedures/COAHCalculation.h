#pragma once

#include <array>

namespace kvcal3 {

// What the user recorded for the humidity-compensated CO calibration: the span gas (ppm) and,
// in span gas, dry, normal and wet air and zero gas, the element's raw count and the absolute
// humidity (g/m3).
struct COAHRecording {
    double spanGas;
    double oldSpan, ahSpan;
    double oldDry, ahDry;
    double oldNorm, ahNorm;
    double oldWet, ahWet;
    double oldZero, ahZero;
};

// The sensor's new divider, humidity compensation factor and 17-point CO table (ppm at the
// counts 0, 4096, ... 65536), unrounded.
struct COAHCalibration {
    double divider;
    double ahFactor;
    std::array<double, 17> table;
};

// Computes and checks everything: 1011 for a recording out of range, 1012 for the divider,
// 1013 for the humidity factor, 1014 for a table point 8 ... 14; 11 for a division by zero.
COAHCalibration computeCOAHCalibration(const COAHRecording& in);

}  // namespace kvcal3

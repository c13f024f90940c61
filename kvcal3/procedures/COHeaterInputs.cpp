#include "procedures/COHeaterInputs.h"

#include <algorithm>

#include "model/clsErrors.h"
#include "procedures/COCircuit.h"

namespace kvcal3 {

namespace {

// The sensing term of the window is moved this much either way.
constexpr double kWindowShift = 4000;
constexpr double kFullDrive = 65535;
constexpr double kFullCount = 65535;

}  // namespace

double checkedHeaterValue(double R) {
    const double H = heaterValue(R);
    if (!(H >= 0 && H <= kFullDrive)) clsErrors().Raise(calInputOutOfRange);
    return H;
}

double startingHeaterValue(double R) {
    if (!(R > 0)) clsErrors().Raise(calInputOutOfRange);
    const double H = heaterValue(R);
    if (!(H >= 0)) clsErrors().Raise(calInputOutOfRange);
    return std::min(H, kFullDrive);
}

HeaterWindow checkedHeaterWindow(double W) {
    if (!(W > 0)) clsErrors().Raise(calInputOutOfRange);
    const HeaterWindow window{heaterCalCount(W), heaterCalCount(W, kWindowShift),
                              heaterCalCount(W, -kWindowShift)};
    if (!(window.target < kFullCount)) clsErrors().Raise(calInputOutOfRange);
    return window;
}

}  // namespace kvcal3

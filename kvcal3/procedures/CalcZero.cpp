#include "kvcal3/kvCalProcedure.h"
#include "kvcom3/Clock.h"

namespace kvcal3 {

void kvCalProcedure::CalcZero(float& N1, float& DT1, float& Ts, float& Countgas1, float& Span,
                              float& Zero) {
    constexpr float kSmallestStep = 1e-12f;
    if (Zero == 0) Zero = 2048;
    float step = 4096;
    // The predicted count rises with the zero factor, so halving the step around the target
    // converges; an exact hit ends the search early.
    do {
        kvcom3::pumpEvents();
        const float predicted =
            61440 - (61440 - N1 * Zero / 2048) * (DT1 * Ts / 65536 + 1) * Span / 2048;
        if (predicted > Countgas1) {
            Zero -= step;
        } else if (predicted < Countgas1) {
            Zero += step;
        } else {
            break;
        }
        step /= 2;
    } while (step >= kSmallestStep);
}

}  // namespace kvcal3

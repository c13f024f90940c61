#pragma once

#include "kvcal3/kvCalProcInput.h"
#include "procedures/Co2Arithmetic.h"
#include "procedures/InputReset.h"

namespace kvcal3 {

// The "Old" inputs hold a measured signal; they count as not set when their number is the
// marker, whatever form the caller gave it in.
inline bool isOldNotSet(const kvCalProcInput& input) {
    return input.Value.toSingle() == static_cast<float>(NotSetMarker);
}

// An unset pressure input means the reference pressure; the input shows it while the run lasts.
inline void defaultPressure(kvCalProcInput& input) {
    if (isNotSet(input)) input.Value = kvcom3::Variant(kDefaultPressure);
}

}  // namespace kvcal3

#pragma once

#include <memory>

#include "kvcom3/ISensMem.h"

namespace kvcal3 {

// The sensor the last ISensCalibration was given; every procedure talks to it.
extern std::shared_ptr<kvcom3::ISensMem> gSensor;

}  // namespace kvcal3

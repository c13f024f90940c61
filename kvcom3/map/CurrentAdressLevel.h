#pragma once

#include "kvcom3/clsAdressLevel.h"

namespace kvcom3 {

// The address level every cell reads and writes through: the library-wide one. Without one
// there is no sensor to reach: 1100 "No connection established".
clsAdressLevel& currentAdressLevel();

}  // namespace kvcom3

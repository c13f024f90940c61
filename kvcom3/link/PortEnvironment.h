#pragma once

#include "kvcom3/Ports.h"

namespace kvcom3 {

// The port options that KVCOM3_RS485, KVCOM3_ECHO and KVCOM3_BAUD give, for programs without
// options of their own; unset or empty variables keep the defaults. Raises 380 "Invalid property
// value" naming the variable and its value when the value is not valid.
PortOptions portOptionsFromEnvironment();

}  // namespace kvcom3

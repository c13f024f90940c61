#pragma once

#include "kvcom3/ISensMem.h"

namespace kvtool {

// Ctrl-C cancels the running transfer, which then ends with 32755 "Cancel was selected"; the
// signal only raises a flag, and the library's event pump turns it into Cancel. A second Ctrl-C
// ends the program at once.
void cancelOnInterrupt(kvcom3::ISensMem& sensor);

// Whether Ctrl-C was pressed since cancelOnInterrupt.
bool interruptRequested();

}  // namespace kvtool

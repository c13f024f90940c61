#pragma once

#include "link/MemoryImage.h"

namespace kvcom3 {

// Whether a write sends an address: it holds a value for the program, is masked when only
// masked addresses go, and differs from the sensor unless all go.
inline bool isToBeWritten(const clsAdress* record, bool all, bool masked) {
    return record != nullptr && (!masked || record->Mask != 0) &&
           (all || !record->GotValueS || record->SensorValue != record->Value) && record->GotValueP;
}

}  // namespace kvcom3

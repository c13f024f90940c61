#pragma once

#include <cstdint>

#include "kvcom3/Variant.h"
#include "kvcom3/clsObjectLevel.h"

namespace kvcal3 {

// The user value of a well-known object of the sensor's object tree; 91 when the tree of this
// sensor has no such object.
kvcom3::Variant commonNodeValue(kvcom3::kvCommonNodes node, bool blnForce, std::int16_t index = 0);

}  // namespace kvcal3

#pragma once

#include "kvcom3/Variant.h"
#include "kvcom3/clsObjectLevel.h"

namespace kvcal3 {

// Writes the user value of a well-known object of the sensor's object tree; with blnForce it
// goes on to the sensor at once. 91 when the tree of this sensor has no such object.
void letCommonNodeValue(kvcom3::kvCommonNodes node, bool blnForce, const kvcom3::Variant& value);

}  // namespace kvcal3

#pragma once

#include <memory>
#include <string>

#include "kvcom3/ISensMem.h"
#include "kvcom3/Variant.h"
#include "kvcom3/kvArrayNode.h"
#include "kvcom3/kvObjectNode.h"

namespace kvcom3 {

// What a key names: a memory cell (ra..., ea..., mi..., mh...) or an object (fo..., mo...).
// Exactly one of the two is set.
struct Target {
    std::string key;
    std::shared_ptr<kvArrayNode> cell;
    std::shared_ptr<kvObjectNode> object;
};

// Looks the key up in the memory map, then in the object tree (without regard to case); a key in
// neither raises the map's 1110 "Object not found".
Target findTarget(ISensMem& sensor, const std::string& key);

// A value as read: a cell's raw number, or an object's number or enumeration name with its unit.
struct Reading {
    Variant value;
    std::string unit;
};

// Reads the target, from the sensor when forced; a folder or group raises 1105 "No value".
Reading readTarget(const Target& target, bool force);

// Writes through to the sensor: a cell takes the value as a whole number (6 "Overflow" when it
// does not fit), an object through its format (an enumeration by one of its names); a folder
// raises 1106 "This parameter can not be changed".
void writeTarget(const Target& target, const Variant& value);

// "21.5 °C", or the value alone when there is no unit.
std::string readingText(const Reading& reading);

}  // namespace kvcom3

#pragma once

#include <memory>
#include <string>

#include "Json.h"
#include "kvcom3/ISensMem.h"
#include "kvcom3/Variant.h"
#include "kvcom3/kvArrayNode.h"
#include "kvcom3/kvObjectNode.h"

namespace kvtool {

// What a key names: a memory cell (ra..., ea..., mi..., mh...) or an object (fo..., mo...).
// Exactly one of the two is set.
struct Target {
    std::string key;
    std::shared_ptr<kvcom3::kvArrayNode> cell;
    std::shared_ptr<kvcom3::kvObjectNode> object;
};

// Looks the key up in the memory map, then in the object tree (without regard to case); a key in
// neither raises the map's 1110 "Object not found".
Target findTarget(kvcom3::ISensMem& sensor, const std::string& key);

// A value as read: a cell's raw number, or an object's number or enumeration name with its unit.
struct Reading {
    kvcom3::Variant value;
    std::string unit;
};

// Reads the target, from the sensor when forced; a folder or group raises 1105 "No value".
Reading readTarget(const Target& target, bool force);

// Writes a value given as text through to the sensor: a cell takes a whole number (decimal or
// 0x hex), an object a number through its format or, when it has an enumeration, one of its
// names. Anything else raises 380 "Invalid property value" before the sensor is touched.
void writeTarget(const Target& target, const std::string& text);

// "21.5 °C", or the value alone when there is no unit.
std::string readingText(const Reading& reading);

// The members of a reading for a JSON object: "key", "value" and, when there is one, "unit".
void addReading(JsonObject& json, const std::string& key, const Reading& reading);

}  // namespace kvtool

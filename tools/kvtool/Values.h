#pragma once

#include <string>

#include "Json.h"
#include "kvcom3/ValueTarget.h"

namespace kvtool {

using kvcom3::findTarget;
using kvcom3::Reading;
using kvcom3::readingText;
using kvcom3::readTarget;
using kvcom3::Target;

// Writes a value given as text through to the sensor: a cell takes a whole number (decimal or
// 0x hex), an object a number through its format or, when it has an enumeration, one of its
// names. Anything else raises 380 "Invalid property value" before the sensor is touched.
void writeTarget(const Target& target, const std::string& text);

// The members of a reading for a JSON object: "key", "value" and, when there is one, "unit".
void addReading(JsonObject& json, const std::string& key, const Reading& reading);

}  // namespace kvtool

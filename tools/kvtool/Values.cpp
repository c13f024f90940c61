#include "Values.h"

#include <cstdint>
#include <limits>

#include "Json.h"
#include "Numbers.h"
#include "kvcom3/KvError.h"

namespace kvtool {

namespace {

constexpr std::int32_t kObjectNotFound = 1110;
constexpr std::int32_t kNoValue = 1105;

[[noreturn]] void noValue() {
    throw kvcom3::KvError(kNoValue, "No value");
}

bool isFolder(const kvcom3::kvObjectNode& object) {
    return object.ArrayNodeKey().empty();
}

std::int32_t cellNumber(const std::string& text) {
    const auto number = parseNumber(text);
    if (!number || *number < std::numeric_limits<std::int32_t>::min() ||
        *number > std::numeric_limits<std::int32_t>::max())
        kvcom3::raisePlatformError(kvcom3::platform_error::InvalidPropertyValue,
                                   "'" + text + "' is not a whole number");
    return static_cast<std::int32_t>(*number);
}

// A user number as the object's format takes it; the point is the decimal separator.
kvcom3::Variant objectNumber(const std::string& text) {
    std::size_t used = 0;
    double number = 0;
    try {
        number = std::stod(text, &used);
    } catch (const std::logic_error&) {
        used = 0;
    }
    if (used == 0 || used != text.size() || text.find_first_of("xXnN") != std::string::npos)
        kvcom3::raisePlatformError(kvcom3::platform_error::InvalidPropertyValue,
                                   "'" + text + "' is not a number");
    return kvcom3::Variant(number);
}

}  // namespace

Target findTarget(kvcom3::ISensMem& sensor, const std::string& key) {
    try {
        return Target{key, sensor.ArrayLevel()->GetNode(key), nullptr};
    } catch (const kvcom3::KvError& e) {
        if (e.number() != kObjectNotFound) throw;
        if (auto object = sensor.ObjectLevel()->GetNode(key)) return Target{key, nullptr, object};
        throw;
    }
}

Reading readTarget(const Target& target, bool force) {
    if (target.cell) return Reading{kvcom3::Variant(target.cell->Value(force)), {}};
    if (isFolder(*target.object)) noValue();
    return Reading{target.object->Value(force), target.object->Unit()};
}

void writeTarget(const Target& target, const std::string& text) {
    if (target.cell) {
        target.cell->LetValue(true, cellNumber(text));
        return;
    }
    kvcom3::kvObjectNode& object = *target.object;
    if (isFolder(object)) throw kvcom3::KvError(1106, "This parameter can not be changed");
    const bool enumerated = object.Enums() && object.Enums()->Count() > 0;
    object.LetValue(true, enumerated ? kvcom3::Variant(text) : objectNumber(text));
}

std::string readingText(const Reading& reading) {
    std::string text = reading.value.toString();
    if (!reading.unit.empty()) text += " " + reading.unit;
    return text;
}

void addReading(JsonObject& json, const std::string& key, const Reading& reading) {
    json.text("key", key).raw("value", jsonValue(reading.value));
    if (!reading.unit.empty()) json.text("unit", reading.unit);
}

}  // namespace kvtool

#include "Values.h"

#include <cstdint>
#include <limits>

#include "Json.h"
#include "Numbers.h"
#include "kvcom3/KvError.h"

namespace kvtool {

namespace {

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

void writeTarget(const Target& target, const std::string& text) {
    if (target.cell) {
        kvcom3::writeTarget(target, kvcom3::Variant(cellNumber(text)));
        return;
    }
    const kvcom3::kvObjectNode& object = *target.object;
    const bool enumerated = object.Enums() && object.Enums()->Count() > 0;
    kvcom3::writeTarget(target, enumerated || object.ArrayNodeKey().empty() ? kvcom3::Variant(text)
                                                                            : objectNumber(text));
}

void addReading(JsonObject& json, const std::string& key, const Reading& reading) {
    json.text("key", key).raw("value", jsonValue(reading.value));
    if (!reading.unit.empty()) json.text("unit", reading.unit);
}

}  // namespace kvtool

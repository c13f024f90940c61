#include "kvcom3/ValueTarget.h"

#include <cstdint>

#include "kvcom3/KvError.h"

namespace kvcom3 {

namespace {

constexpr std::int32_t kObjectNotFound = 1110;
constexpr std::int32_t kNoValue = 1105;
constexpr std::int32_t kCannotChange = 1106;

bool isFolder(const kvObjectNode& object) {
    return object.ArrayNodeKey().empty();
}

}  // namespace

Target findTarget(ISensMem& sensor, const std::string& key) {
    try {
        return Target{key, sensor.ArrayLevel()->GetNode(key), nullptr};
    } catch (const KvError& e) {
        if (e.number() != kObjectNotFound) throw;
        if (auto object = sensor.ObjectLevel()->GetNode(key)) return Target{key, nullptr, object};
        throw;
    }
}

Reading readTarget(const Target& target, bool force) {
    if (target.cell) return Reading{Variant(target.cell->Value(force)), {}};
    if (isFolder(*target.object)) throw KvError(kNoValue, "No value");
    return Reading{target.object->Value(force), target.object->Unit()};
}

void writeTarget(const Target& target, const Variant& value) {
    if (target.cell) {
        target.cell->LetValue(true, value.toLong());
        return;
    }
    if (isFolder(*target.object)) throw KvError(kCannotChange, "This parameter can not be changed");
    target.object->LetValue(true, value);
}

std::string readingText(const Reading& reading) {
    std::string text = reading.value.toString();
    if (!reading.unit.empty()) text += " " + reading.unit;
    return text;
}

}  // namespace kvcom3

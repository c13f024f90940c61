#include "run/Events.h"

#include <nlohmann/json.hpp>

namespace station {

namespace {

nlohmann::json place(const char* event, const PositionRecord& p) {
    return {{"event", event}, {"line", p.line}, {"board", p.board}, {"position", p.position}};
}

void addError(nlohmann::json& json, const std::optional<int>& number, const std::string& text) {
    if (!number && text.empty()) return;
    nlohmann::json error{{"description", text}};
    if (number) error["number"] = *number;
    json["error"] = error;
}

// Text from a sensor that is not UTF-8 must not cost the event.
std::string dump(const nlohmann::json& json) {
    return json.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

}  // namespace

std::string positionEvent(const PositionRecord& position) {
    return dump(place("position", position));
}

std::string stepEvent(const PositionRecord& position, const StepRecord& step) {
    nlohmann::json json = place("step", position);
    json["step"] = step.index;
    json["kind"] = step.kind;
    json["target"] = step.target;
    if (!step.before.empty()) json["before"] = step.before;
    if (!step.after.empty()) json["after"] = step.after;
    if (step.passed) json["passed"] = *step.passed;
    addError(json, step.errorNumber, step.errorText);
    return dump(json);
}

std::string resultEvent(const PositionRecord& position) {
    nlohmann::json json = place("result", position);
    if (!position.serial.empty()) json["serial"] = position.serial;
    if (position.part) json["part"] = *position.part;
    json["status"] = position.status;
    addError(json, position.errorNumber, position.errorText);
    return dump(json);
}

}  // namespace station

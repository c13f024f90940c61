#include <string_view>

#include "kvcal3/UserInteraction.h"
#include "kvcal3/kvCalProcedure.h"
#include "model/clsErrors.h"
#include "procedures/CommonNodes.h"

namespace kvcal3 {

namespace {

// The first line of the display tells the user what gas the step needs.
std::string_view readingPrompt(std::string_view key) {
    if (key == "cpCO2ZeroCal") return "Expose the sensor to zero gas and";
    if (key == "cpCO2SpanCal") return "Expose the sensor to span gas and";
    if (key == "cpCO2BackGround") return "Expose the sensor to fresh air and";
    return {};
}

}  // namespace

void kvCalProcedure::ShowReadings() {
    const std::string_view prompt = readingPrompt(Key);
    if (prompt.empty()) return;
    const RawSignalReader readRawSignal = [] {
        return commonNodeValue(kvcom3::CO2Old, true).toSingle();
    };
    if (userInteraction()->ShowReading(std::string(prompt), readRawSignal) ==
        ReadingChoice::Cancel) {
        clsErrors().Raise(calCancel);
    }
}

}  // namespace kvcal3

#pragma once

#include <initializer_list>
#include <memory>

#include "kvcal3/kvCalProcInput.h"

namespace kvcal3 {

// The heater drive for an operating heater resistance; 1011 when that drive lies outside what
// the heater stage takes (0 ... 65535), as for an input left unset.
double checkedHeaterValue(double R);

// The drive the heater calibration starts from: as checkedHeaterValue, but a drive above what
// the stage takes starts at full drive. 1011 for a resistance that is not above 0 (an input left
// unset) or a drive below 0.
double startingHeaterValue(double R);

// The counts the heater calibration aims at for a resistance in wet air W: the target and the
// window around it. 1011 when W gives no count the element can reach.
struct HeaterWindow {
    double target;
    double upper;
    double lower;
};
HeaterWindow checkedHeaterWindow(double W);

// Runs `step`; when it fails, the inputs go back to "not set" before the error travels on.
template <class Step>
void resetInputsOnFailure(std::initializer_list<std::shared_ptr<kvCalProcInput>> inputs,
                          Step&& step) {
    try {
        step();
    } catch (...) {
        for (const auto& input : inputs) input->Value = kvcom3::Variant(NotSetMarker);
        throw;
    }
}

}  // namespace kvcal3

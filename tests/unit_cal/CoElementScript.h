#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>

#include "kvcom3/Clock.h"
#include "model/Sensor.h"

// The heated CO element of the virtual probe as the heater calibration's tests drive it.
namespace cotest {

// The wet-air resistance whose count is `count`, the middle of the calibration's window.
inline double wetAirFor(double count) {
    return 226920005632.0 / ((count * 4.125 / 65535 + 0.375) * 3.636e9 / 5000 - 366000);
}

// The element's signal stays where it is, whatever the heater does.
inline void freezeSignal(kvsim::Sensor& sensor) {
    const std::uint8_t hold = sensor.read(kvsim::Space::RAM, 377);
    sensor.write(kvsim::Space::RAM, 377, static_cast<std::uint8_t>(hold | 0x20));
}

// From now on the element's signal follows `signal` of the whole seconds passed on `clock`,
// whatever the heater does; it is set each time the library lets events run.
inline void scriptSignal(const std::shared_ptr<kvsim::Sensor>& sensor,
                         const std::shared_ptr<kvcom3::Clock>& clock,
                         std::function<int(int)> signal) {
    freezeSignal(*sensor);
    const auto seconds = [clock] { return std::chrono::duration<double>(clock->now()).count(); };
    const double start = seconds();
    kvcom3::setEventPump([sensor, seconds, start, signal = std::move(signal)] {
        const auto value = static_cast<std::uint16_t>(signal(int(seconds() - start)));
        sensor->write(kvsim::Space::RAM, 12 + 2 * 13, static_cast<std::uint8_t>(value >> 8));
        sensor->write(kvsim::Space::RAM, 12 + 2 * 13 + 1, static_cast<std::uint8_t>(value));
    });
}

}  // namespace cotest

#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "model/Sensor.h"
#include "wire/Line.h"
#include "wire/Multiplexer.h"

namespace kvsim {

enum class Protocol : std::uint8_t { Kvbus, Modbus };

// One sensor on the bench: how it talks and where it sits.
struct Station {
    std::shared_ptr<Sensor> sensor{};
    Protocol protocol = Protocol::Kvbus;
    // KVBUS com ID (0-29) or Modbus slave address (1-247); unset: 0 for KVBUS, 1 for Modbus.
    std::optional<int> id{};
    std::uint8_t ack = 0x06;  // KVBUS acknowledge, 0x06 or 0x86
    // Behind the production network at this board and position; unset: directly on the line.
    std::optional<Position> at{};
};

// A line with the given sensors on it. With any station behind the production network, the
// line ends in a multiplexer (starting on board 0, position 0) and stations without a position
// sit at 0:0. Raises std::invalid_argument for an impossible bench (two sensors sharing a place,
// an ID out of range, no sensor).
std::shared_ptr<Line> makeLine(const std::vector<Station>& stations, LineOptions options = {});

}  // namespace kvsim

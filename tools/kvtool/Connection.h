#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "kvcom3/ISensMem.h"

namespace kvtool {

// Where and how the sensor is reached: the options before the command.
struct ConnectionOptions {
    int port = 1;
    std::string device;
    std::string protocol = "kvbus";
    int id = -1;
    int board = 0;
    int position = 0;
    // --positions: the command runs once for each of these positions on the board.
    std::vector<int> positions;
    bool log = false;
    bool trace = false;
    // The adapter's line: RS-485 direction, its own echo, another Modbus baud rate.
    bool rs485 = false;
    bool echo = false;
    std::optional<std::uint32_t> baud;
};

void addConnectionOptions(CLI::App& app, ConnectionOptions& options);

// Binds the device, chooses the protocol and connects; nothing is sent to the sensor yet.
// The port stays open between the transfers of one run and is closed by closeConnection().
void openConnection(kvcom3::ISensMem& sensor, const ConnectionOptions& options);
void closeConnection(kvcom3::ISensMem& sensor, const ConnectionOptions& options);

}  // namespace kvtool

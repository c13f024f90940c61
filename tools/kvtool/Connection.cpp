#include "Connection.h"

#include "Numbers.h"
#include "Positions.h"
#include "kvcom3/Enums.h"
#include "kvcom3/Ports.h"

namespace kvtool {

void addConnectionOptions(CLI::App& app, ConnectionOptions& options) {
    app.add_option("--port", options.port,
                   "Serial port number; its device comes from KVCOM3_PORT_<N> or the default "
                   "(0: /dev/ttyS0, N: /dev/ttyUSB<N-1>)")
        ->transform(numberIn(0, kvcom3::kPortCount - 1))
        ->capture_default_str();
    app.add_option("--device", options.device,
                   "Device path (serial port or pseudo-terminal) bound to the port");
    app.add_option("--protocol", options.protocol, "Line protocol")
        ->check(CLI::IsMember({"kvbus", "modbus"}))
        ->capture_default_str();
    app.add_option("--id", options.id,
                   "Sensor address: -1 reaches any sensor (KVBUS 0-29, Modbus slave 0-255)")
        ->transform(numberIn(-1, 255))
        ->capture_default_str();
    auto* board = app.add_option("--board", options.board, "Production board number")
                      ->transform(numberIn(0, 65535));
    auto* position =
        app.add_option("--position", options.position, "Sensor position on the production board")
            ->transform(numberIn(0, 255));
    auto* positions = app.add_option("--positions",
                                     "Run the command for each of these positions on the board, "
                                     "e.g. 1-8 or 1,3,5-7")
                          ->type_name("LIST")
                          ->check(positionList())
                          ->each([&options](const std::string& text) {
                              options.positions = parsePositions(text).value_or(std::vector<int>{});
                          });
    position->needs(board);
    positions->needs(board);
    positions->excludes(position);
    app.add_flag("--rs485", options.rs485,
                 "RS-485 adapter: the driver's RS-485 mode where it has one, else RTS raised "
                 "around each frame");
    app.add_flag("--echo", options.echo,
                 "The adapter hears its own frames (two-wire RS-485): take them back off the line");
    auto* baud = app.add_option("--baud", options.baud,
                                "Modbus baud rate for a converter or service adapter (the "
                                "sensor's own line is 9600)")
                     ->transform(numberIn(1, 4000000));
    // A board alone names no sensor; KVBUS has no other rate.
    app.callback([board, position, positions, baud, &options] {
        if (board->count() > 0 && position->count() == 0 && positions->count() == 0)
            throw CLI::ValidationError("--board", "needs --position or --positions");
        if (baud->count() > 0 && options.protocol != "modbus")
            throw CLI::ValidationError("--baud", "needs --protocol modbus (KVBUS runs at 9600)");
    });
    app.add_flag("--log", options.log, "Print the communication log and actions on stderr");
    app.add_flag("--trace", options.trace,
                 "Print every frame on stderr in hexadecimal with its time and direction: "
                 "\"12.345 > 02 41 ...\" sent, \"12.410 < ...\" received");
}

void openConnection(kvcom3::ISensMem& sensor, const ConnectionOptions& options) {
    if (!options.device.empty()) kvcom3::bindPort(options.port, options.device);
    if (options.rs485 || options.echo || options.baud) {
        // The options given join those the environment gives.
        kvcom3::PortOptions line = kvcom3::portOptions(options.port);
        line.rs485 = line.rs485 || options.rs485;
        line.echo = line.echo || options.echo;
        if (options.baud) line.modbusBaud = *options.baud;
        kvcom3::setPortOptions(options.port, line);
    }
    sensor.LetProtokoll(options.protocol == "modbus" ? kvcom3::kvMB : kvcom3::kvKV);
    sensor.LetLeavePortOpen(true);
    // The board travels as a 16-bit word; numbers above 32767 keep their bits.
    sensor.Connect(static_cast<std::int16_t>(options.port), static_cast<std::int16_t>(options.id),
                   static_cast<std::int16_t>(options.position),
                   static_cast<std::int16_t>(static_cast<std::uint16_t>(options.board)));
}

void closeConnection(kvcom3::ISensMem& sensor, const ConnectionOptions& options) {
    sensor.ClosePort(static_cast<std::int16_t>(options.port));
}

}  // namespace kvtool

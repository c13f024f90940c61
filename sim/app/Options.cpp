#include "app/Options.h"

#include <CLI/CLI.hpp>
#include <charconv>
#include <cmath>
#include <stdexcept>

namespace kvsim::app {

namespace {

int number(const std::string& whole, const std::string& part, int high) {
    int value = -1;
    auto [end, error] = std::from_chars(part.data(), part.data() + part.size(), value);
    if (error != std::errc{} || end != part.data() + part.size() || value < 0 || value > high) {
        throw std::invalid_argument("sensor \"" + whole + "\": \"" + part +
                                    "\" is not a number 0-" + std::to_string(high));
    }
    return value;
}

}  // namespace

SensorPlace parseSensorPlace(const std::string& text) {
    const auto at = text.find('@');
    const auto colon = text.find(':', at == std::string::npos ? 0 : at);
    if (at == std::string::npos || at == 0 || colon == std::string::npos) {
        throw std::invalid_argument("sensor \"" + text + "\": expected PROFILE@BOARD:POSITION");
    }
    SensorPlace place{text.substr(0, at), {}, Position{}};
    place.at->board =
        static_cast<std::uint16_t>(number(text, text.substr(at + 1, colon - at - 1), 0xFFFF));
    place.at->position = static_cast<std::uint8_t>(number(text, text.substr(colon + 1), 0xFF));
    return place;
}

std::optional<int> parseOptions(int argc, char** argv, Options& options) {
    CLI::App app{
        "Virtual sensor on a pseudo-terminal: KVBUS or Modbus RTU, optionally behind "
        "the production network multiplexer. Prints the device path and serves until "
        "SIGINT or SIGTERM."};
    std::string profile;
    std::vector<std::string> placed;
    std::optional<int> board;
    std::optional<int> position;
    double turnaroundMs = 0;
    app.add_option("--profile", profile, "Sensor profile (sim/profiles/NAME.json or a path)");
    std::string image;
    app.add_option("--image", image,
                   "Serve a backup made by 'kvtool backup': its identity, EEPROM and RAM, with the "
                   "physics of --profile or else of a profile of the same part or platform");
    std::string protocol = "kvbus";
    app.add_option("--protocol", protocol, "kvbus (default) or modbus")
        ->check(CLI::IsMember({"kvbus", "modbus"}, CLI::ignore_case));
    app.add_option("--id", options.id,
                   "KVBUS com ID (0-29, default 0) or Modbus address (1-247, default 1)");
    app.add_flag("--ack86", options.ack86, "KVBUS: acknowledge with 0x86 instead of 0x06");
    app.add_option("--link", options.link, "Also make this symlink to the pty (removed at exit)");
    app.add_flag("--line-rate", options.line.pacing, "Pace bytes at the line's baud rate");
    app.add_flag("--echo", options.line.echo,
                 "Send every received byte back before answering, as a two-wire RS-485 adapter "
                 "does");
    app.add_option("--turnaround", turnaroundMs, "Milliseconds between a request and its answer")
        ->check(CLI::Range(0.0, 10000.0));
    app.add_option("--fault", options.faults,
                   "KIND[=VALUE][@N|@N-M|@N+][%PERCENT]; kinds: no-ctr wrong-ctr no-ack wrong-ack "
                   "bad-checksum short-reply late-reply=MS noise=COUNT eeprom-bitflip silent-mux "
                   "unplug");
    app.add_option("--seed", options.line.seed, "Seed of random faults and noise");
    app.add_option("--transcript", options.transcript,
                   "Write every byte with its time here at exit");
    app.add_option("--board", board, "Production network board of the sensor")
        ->check(CLI::Range(0, 0xFFFF));
    app.add_option("--position", position, "Production network position of the sensor")
        ->check(CLI::Range(0, 0xFF));
    app.add_option("--sensor", placed, "Another sensor behind the multiplexer: PROFILE@BOARD:POS");
    app.add_option("--temperature", options.temperature, "World temperature, degrees C")
        ->check(CLI::Range(-60.0, 200.0));
    app.add_option("--co2", options.co2, "World CO2, ppm")->check(CLI::Range(0.0, 1000000.0));
    app.add_option("--rh", options.rh, "World relative humidity, %")->check(CLI::Range(0.0, 100.0));
    app.add_option("--co", options.co, "World CO, ppm")->check(CLI::Range(0.0, 1000000.0));
    app.add_flag("--no-noise", options.noNoise, "Readings without measurement noise");
    app.add_flag("--list-profiles", options.listProfiles, "List the profiles and exit");

    try {
        app.parse(argc, argv);
        options.protocol = protocol == "modbus" ? Protocol::Modbus : Protocol::Kvbus;
        for (const auto* value : {&options.temperature, &options.co2, &options.rh, &options.co}) {
            if (*value && !std::isfinite(**value)) {
                throw CLI::ValidationError("world values must be finite numbers");
            }
        }
        if (board.has_value() != position.has_value()) {
            throw CLI::ValidationError("--board and --position go together");
        }
        if (!profile.empty() || !image.empty()) {
            SensorPlace first{profile, image, std::nullopt};
            if (board)
                first.at = Position{static_cast<std::uint16_t>(*board),
                                    static_cast<std::uint8_t>(*position)};
            options.sensors.push_back(first);
        }
        for (const auto& text : placed) options.sensors.push_back(parseSensorPlace(text));
        if (options.sensors.empty() && !options.listProfiles) {
            throw CLI::ValidationError("give --profile, --image or --sensor");
        }
        for (const auto& fault : options.faults) parseFaultRule(fault);
    } catch (const CLI::ParseError& e) {
        return app.exit(e);
    } catch (const std::invalid_argument& e) {
        std::cerr << "kvsim: " << e.what() << '\n';
        return 2;
    }
    options.line.turnaround =
        std::chrono::microseconds(static_cast<long long>(turnaroundMs * 1000));
    return std::nullopt;
}

}  // namespace kvsim::app

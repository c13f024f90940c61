#pragma once

#include <optional>
#include <string>
#include <vector>

#include "wire/Bench.h"

namespace kvsim::app {

struct SensorPlace {
    std::string profile;
    // A backup file (kvtool backup) whose identity and memories the sensor takes; the profile,
    // when given, only lends its physics.
    std::string image;
    std::optional<Position> at;
};

struct Options {
    std::vector<SensorPlace> sensors;
    Protocol protocol = Protocol::Kvbus;
    std::optional<int> id;
    bool ack86 = false;
    std::string link;
    LineOptions line;
    std::vector<std::string> faults;
    std::string transcript;
    std::optional<double> temperature, co2, rh, co;
    bool noNoise = false;
    bool listProfiles = false;
};

// Parses "PROFILE@BOARD:POS"; raises std::invalid_argument naming what is wrong.
SensorPlace parseSensorPlace(const std::string& text);

// Parses the command line; returns the exit code to end with, or nothing to go on.
std::optional<int> parseOptions(int argc, char** argv, Options& options);

}  // namespace kvsim::app

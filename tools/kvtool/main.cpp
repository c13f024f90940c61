#include <unistd.h>

#include <exception>
#include <iostream>
#include <memory>
#include <string>

#include <CLI/CLI.hpp>

#include "Connection.h"
#include "Interrupt.h"
#include "Reporter.h"
#include "Session.h"
#include "kvcom3/Clock.h"
#include "kvcom3/ISensMem.h"
#include "kvcom3/KvError.h"

namespace {

constexpr int kFailed = 1;
constexpr int kBadArguments = 2;

// Help and version requests end well; any other parse failure is a usage error.
int parseFailure(CLI::App& app, const CLI::ParseError& e) {
    if (e.get_exit_code() == static_cast<int>(CLI::ExitCodes::Success)) return app.exit(e);
    std::cerr << "kvtool: " << e.what() << "\nRun 'kvtool --help' or 'kvtool COMMAND --help'.\n";
    return kBadArguments;
}

int runCommand(const kvtool::CommandList& commands, const kvtool::ConnectionOptions& options,
               bool json) {
    // Shared, because the calibration library holds on to the sensor it is given.
    auto shared = std::make_shared<kvcom3::ISensMem>();
    kvcom3::ISensMem& sensor = *shared;
    kvtool::Reporter reporter(sensor, std::cerr, options.log, isatty(STDERR_FILENO) == 1);
    kvtool::cancelOnInterrupt(sensor);
    int status = 0;
    try {
        kvtool::openConnection(sensor, options);
        kvtool::Session session{shared, std::cout, json};
        commands.run(session);
        std::cout.flush();
    } catch (const kvcom3::KvError& e) {
        reporter.error(e);
        status = kFailed;
    } catch (const std::exception& e) {
        reporter.error(std::string("error: ") + e.what());
        status = kFailed;
    }
    try {
        kvtool::closeConnection(sensor, options);
    } catch (const kvcom3::KvError& e) {
        if (status == 0) reporter.error(e);
        status = kFailed;
    }
    kvcom3::setEventPump(nullptr);
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{
        "Reads, identifies, writes and calibrates a gas or climate sensor over a serial line.",
        "kvtool"};
    app.require_subcommand(1);
    app.fallthrough();
    kvtool::ConnectionOptions options;
    kvtool::addConnectionOptions(app, options);
    bool json = false;
    app.add_flag("--json", json,
                 "Print results as JSON for scripts (watch: one object a line); errors stay lines "
                 "on stderr");
    kvtool::CommandList commands;
    kvtool::addMemoryCommands(app, commands);
    kvtool::addMapCommand(app, commands);
    kvtool::addValueCommands(app, commands);
    kvtool::addWatchCommand(app, commands);
    kvtool::addTreeCommand(app, commands);
    kvtool::addCalibrationCommands(app, commands);
    app.footer(
        "Exit status: 0 done, 1 the sensor or the line failed (\"error NUMBER: DESCRIPTION\" on "
        "stderr), 2 bad arguments.\n"
        "Example: kvtool --device /dev/ttyUSB0 info\n"
        "Example: kvtool --port 3 --protocol modbus --id 1 peek ram 20 2\n"
        "Example: kvtool --device /dev/ttyUSB0 get foChannelValue4");
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return parseFailure(app, e);
    }
    return runCommand(commands, options, json);
}

#include <unistd.h>

#include <exception>
#include <iostream>
#include <string>

#include <CLI/CLI.hpp>

#include "Commands.h"
#include "Connection.h"
#include "Interrupt.h"
#include "Reporter.h"
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

int runCommand(const kvtool::Commands& commands, const kvtool::ConnectionOptions& options) {
    kvcom3::ISensMem sensor;
    kvtool::Reporter reporter(sensor, std::cerr, options.log, isatty(STDERR_FILENO) == 1);
    kvtool::cancelOnInterrupt(sensor);
    int status = 0;
    try {
        kvtool::openConnection(sensor, options);
        commands.run(sensor, std::cout);
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
    CLI::App app{"Reads, identifies and writes a gas or climate sensor over a serial line.",
                 "kvtool"};
    app.require_subcommand(1);
    app.fallthrough();
    kvtool::ConnectionOptions options;
    kvtool::addConnectionOptions(app, options);
    kvtool::Commands commands(app);
    app.footer(
        "Exit status: 0 done, 1 the sensor or the line failed (\"error NUMBER: DESCRIPTION\" on "
        "stderr), 2 bad arguments.\n"
        "Example: kvtool --device /dev/ttyUSB0 info\n"
        "Example: kvtool --port 3 --protocol modbus --id 1 peek ram 20 2");
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return parseFailure(app, e);
    }
    return runCommand(commands, options);
}

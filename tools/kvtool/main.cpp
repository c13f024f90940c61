#include <iostream>
#include <string>

#include <CLI/CLI.hpp>

#include "Connection.h"
#include "Positions.h"
#include "Run.h"
#include "Session.h"
#include "TraceLines.h"
#include "kvcom3/Journal.h"

namespace {

constexpr int kFailed = 1;
constexpr int kBadArguments = 2;

int usageError(const std::string& text) {
    std::cerr << "kvtool: " << text << "\nRun 'kvtool --help' or 'kvtool COMMAND --help'.\n";
    return kBadArguments;
}

// Help and version requests end well; any other parse failure is a usage error.
int parseFailure(CLI::App& app, const CLI::ParseError& e) {
    if (e.get_exit_code() == static_cast<int>(CLI::ExitCodes::Success)) return app.exit(e);
    return usageError(e.what());
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
                 "Print results as JSON for scripts (watch and ports: one object a line; "
                 "--positions: an array); errors stay lines on stderr");
    bool noJournal = false;
    app.add_flag("--no-journal", noJournal,
                 "Write EEPROM without keeping its old bytes in the journal (see 'kvtool "
                 "history'); the journal lives in $KVSENSOR_JOURNAL_DIR, else "
                 "$XDG_STATE_HOME/kvsensor/journal, else ~/.local/state/kvsensor/journal");
    kvtool::CommandList commands;
    kvtool::addMemoryCommands(app, commands);
    kvtool::addMapCommand(app, commands);
    kvtool::addValueCommands(app, commands);
    kvtool::addWatchCommand(app, commands);
    kvtool::addTreeCommand(app, commands);
    kvtool::addCalibrationCommands(app, commands);
    kvtool::addPortsCommand(app, commands);
    kvtool::addJournalCommands(app, commands);
    kvtool::addBackupCommands(app, commands);
    kvtool::addScanCommand(app, commands, options);
    app.footer(
        "Exit status: 0 done, 1 the sensor or the line failed (\"error NUMBER: DESCRIPTION\" on "
        "stderr) or any position of --positions failed, 2 bad arguments.\n"
        "Example: kvtool --device /dev/ttyUSB0 info\n"
        "Example: kvtool --port 3 --protocol modbus --id 1 peek ram 20 2\n"
        "Example: kvtool --json --board 1 --positions 1-8 serial\n"
        "Example: kvtool --trace --device /dev/ttyUSB0 get foChannelValue4\n"
        "Example: kvtool ports");
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return parseFailure(app, e);
    }
    if (const auto local = commands.parsedLocal()) return local(std::cout, json);
    if (!options.positions.empty() && app.got_subcommand("watch"))
        return usageError("watch runs until Ctrl-C and takes one --position, not --positions");
    if (options.trace) kvtool::traceFrames(std::cerr);
    if (!noJournal) kvcom3::enableJournal("kvtool");
    if (!options.positions.empty()) return kvtool::runAtPositions(commands, options, json);
    const kvtool::Outcome outcome = kvtool::runOnce(commands, options, json, std::cout);
    if (!outcome.failed) return 0;
    if (outcome.badArguments) return usageError(outcome.description);
    std::cerr << outcome.text() << '\n';
    return kFailed;
}

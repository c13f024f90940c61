#include "cli/Program.h"

#include <pwd.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cstdlib>
#include <iostream>
#include <regex>

#include "recipe/Recipe.h"
#include "records/RecordStore.h"
#include "records/Store.h"
#include "report/Report.h"
#include "run/Runner.h"
#include "run/Worker.h"

namespace station {

namespace {

int usageError(const std::string& text) {
    std::cerr << "kvstation: " << text
              << "\nRun 'kvstation --help' or 'kvstation COMMAND --help'.\n";
    return kRefused;
}

std::string loginName() {
    if (const passwd* user = getpwuid(geteuid()); user && user->pw_name) return user->pw_name;
    const char* name = std::getenv("USER");
    return name ? name : "unknown";
}

std::string hostName() {
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0 || name[0] == '\0') return "unknown";
    return name;
}

CLI::Validator isoDate() {
    return CLI::Validator(
        [](std::string& text) -> std::string {
            static const std::regex date(
                R"(\d{4}-\d{2}-\d{2}(T\d{2}:\d{2}(:\d{2}(\.\d{1,3})?)?Z?)?)");
            if (!std::regex_match(text, date))
                return "'" + text + "' is not a date such as 2026-12-01 or 2026-12-01T08:00:00Z";
            return {};
        },
        "DATE");
}

void addDatabaseOption(CLI::App* command, std::string& db) {
    command
        ->add_option("--db", db,
                     "The record database: a SQLite file, or a postgresql:// URI for a store "
                     "that several stations share")
        ->capture_default_str();
}

int report(const std::string& db, const ReportFilter& filter, const std::string& format) {
    try {
        auto connection = openStore(db);
        RecordStore store(*connection);
        const ReportFormat f = format == "csv"    ? ReportFormat::Csv
                               : format == "json" ? ReportFormat::Json
                                                  : ReportFormat::Text;
        writeReport(store.report(filter), f, !filter.serial.empty(), std::cout);
        return 0;
    } catch (const SqlError& e) {
        std::cerr << "kvstation: " << e.what() << '\n';
        return kRecordsFailed;
    }
}

int check(const std::string& file) {
    try {
        const Recipe recipe = readRecipe(file);
        std::size_t positions = 0;
        for (const RecipeLine& line : recipe.lines) positions += line.positions.size();
        std::cout << file << ": " << recipe.lines.size() << " lines, " << positions
                  << " positions, " << recipe.steps.size() << " steps\n";
        return 0;
    } catch (const RecipeError& e) {
        std::cerr << "kvstation: recipe refused: " << e.what() << '\n';
        return kRefused;
    }
}

}  // namespace

int runProgram(int argc, char** argv) {
    CLI::App app{
        "Runs calibration recipes on the sensors of a production station's lines and "
        "records every sensor's result.",
        "kvstation"};
    app.require_subcommand(1);
    const std::string defaultDb = defaultDatabase();

    RunOptions run;
    run.db = defaultDb;
    auto* runCommand = app.add_subcommand(
        "run", "Run a recipe: one worker process per line, the positions of a line in turn");
    runCommand->add_option("RECIPE", run.recipe, "The recipe file (TOML)")->required();
    addDatabaseOption(runCommand, run.db);
    runCommand->add_option("--operator", run.operatorName,
                           "Who runs the station (default: the login name)");
    runCommand->add_option("--station", run.station,
                           "The station's name in the records (default: the host name)");
    runCommand->add_flag("--json", run.json,
                         "One JSON event a line on stdout, for a supervising program");
    runCommand->footer(
        "Exit status: 0 every position passed, 1 a position failed or was interrupted, 2 the "
        "recipe was refused, 3 the records could not be written, 4 stopped by Ctrl-C.\n"
        "Example: kvstation run station.toml --operator anna");

    std::string checkFile;
    auto* checkCommand = app.add_subcommand("check", "Check a recipe without touching a sensor");
    checkCommand->add_option("RECIPE", checkFile, "The recipe file (TOML)")->required();

    std::string reportDb = defaultDb;
    ReportFilter filter;
    std::string format = "text";
    auto* reportCommand = app.add_subcommand(
        "report", "Show the recorded positions, oldest first (with --serial, their steps too)");
    addDatabaseOption(reportCommand, reportDb);
    reportCommand->add_option("--since", filter.since, "Only positions started on or after DATE")
        ->check(isoDate());
    reportCommand->add_option("--serial", filter.serial, "One sensor's whole history");
    reportCommand->add_flag("--failed", filter.failedOnly,
                            "Only positions that failed or were interrupted");
    reportCommand->add_option("--format", format, "text, csv or json")
        ->check(CLI::IsMember({"text", "csv", "json"}))
        ->capture_default_str();
    reportCommand->footer(
        "Example: kvstation report --since 2026-12-01 --failed\n"
        "Example: kvstation report --serial 15212345\n"
        "Example: kvstation report --db postgresql://station@db/records --format csv");

    WorkerOptions worker;
    auto* workerCommand = app.add_subcommand("worker", "");
    workerCommand->group("");
    workerCommand->add_option("RECIPE", worker.recipe)->required();
    workerCommand->add_option("--line", worker.line)->required();
    workerCommand->add_option("--run", worker.runId)->required();
    workerCommand->add_option("--db", worker.db)->required();

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        if (e.get_exit_code() == static_cast<int>(CLI::ExitCodes::Success)) return app.exit(e);
        return usageError(e.what());
    }
    if (workerCommand->parsed()) return runWorker(worker, std::cout);
    if (checkCommand->parsed()) return check(checkFile);
    if (reportCommand->parsed()) return report(reportDb, filter, format);
    if (run.operatorName.empty()) run.operatorName = loginName();
    if (run.station.empty()) run.station = hostName();
    return runStation(run, std::cout, std::cerr);
}

}  // namespace station

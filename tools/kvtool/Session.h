#pragma once

#include <functional>
#include <memory>
#include <ostream>
#include <vector>

#include <CLI/CLI.hpp>

#include "kvcom3/ISensMem.h"

namespace kvtool {

struct ConnectionOptions;

// What a running command works with: the connected sensor, where its results go and in which
// form (plain lines for people, JSON for scripts).
struct Session {
    std::shared_ptr<kvcom3::ISensMem> sensor;
    std::ostream& out;
    bool json = false;
};

// The commands after the connection options; exactly one of them runs.
class CommandList {
  public:
    using Run = std::function<void(Session&)>;
    // A command that needs no sensor; it returns the exit status.
    using RunLocal = std::function<int(std::ostream& out, bool json)>;

    void add(CLI::App* app, Run run) { commands_.push_back({app, std::move(run)}); }
    void addLocal(CLI::App* app, RunLocal run) { local_.push_back({app, std::move(run)}); }
    // Runs the command the parsed line chose; library failures leave as kvcom3::KvError.
    void run(Session& session) const {
        for (const Command& command : commands_)
            if (command.app->parsed()) command.run(session);
    }
    // The parsed command when it needs no sensor, else an empty function.
    RunLocal parsedLocal() const {
        for (const Local& command : local_)
            if (command.app->parsed()) return command.run;
        return {};
    }

  private:
    struct Command {
        CLI::App* app;
        Run run;
    };
    struct Local {
        CLI::App* app;
        RunLocal run;
    };
    std::vector<Command> commands_;
    std::vector<Local> local_;
};

// Each adds its commands to `app` and their actions to `commands`.
void addMemoryCommands(CLI::App& app, CommandList& commands);
void addMapCommand(CLI::App& app, CommandList& commands);
void addValueCommands(CLI::App& app, CommandList& commands);
void addWatchCommand(CLI::App& app, CommandList& commands);
void addTreeCommand(CLI::App& app, CommandList& commands);
void addCalibrationCommands(CLI::App& app, CommandList& commands);
void addPortsCommand(CLI::App& app, CommandList& commands);
void addJournalCommands(CLI::App& app, CommandList& commands);
void addBackupCommands(CLI::App& app, CommandList& commands);
// Its command reads the connection options when it runs, after parsing.
void addScanCommand(CLI::App& app, CommandList& commands, const ConnectionOptions& connection);

}  // namespace kvtool

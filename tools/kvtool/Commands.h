#pragma once

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "kvcom3/ISensMem.h"

namespace kvtool {

// The commands after the connection options; exactly one of them runs.
class Commands {
  public:
    explicit Commands(CLI::App& app);

    // Runs the command the parsed line chose; library failures leave as kvcom3::KvError.
    void run(kvcom3::ISensMem& sensor, std::ostream& out) const;

  private:
    void addInfo(CLI::App& app);
    void addSerial(CLI::App& app);
    void addPeek(CLI::App& app);
    void addPoke(CLI::App& app);

    struct Command {
        CLI::App* app;
        std::function<void(kvcom3::ISensMem&, std::ostream&)> run;
    };
    std::vector<Command> commands_;

    int memType_ = 0;
    int address_ = 0;
    int count_ = 1;
    std::vector<int> bytes_;
};

}  // namespace kvtool

#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "util/KvsimProcess.h"
#include "util/Subprocess.h"

namespace kvtool_test {

using kvtest::run;
using kvtest::RunResult;
using kvtest::runSignalledOn;
using kvtest::runSignalledWhen;
using kvtest::testJournalDirectory;

// kvtool with these arguments, killed after half a minute at the latest.
inline RunResult kvtool(const std::vector<std::string>& args,
                        const std::vector<std::string>& extraEnv = {}) {
    std::vector<std::string> argv{KVTOOL_PATH};
    argv.insert(argv.end(), args.begin(), args.end());
    return run(argv, std::chrono::seconds(30), extraEnv);
}

// The virtual sensor program on a pseudo-terminal; stopped when the object goes.
class VirtualSensor {
  public:
    explicit VirtualSensor(const std::vector<std::string>& args) : process_(args) {}

    // The pty's path, as kvtool's --device takes it.
    const std::string& link() const { return process_.path(); }
    // What the sensor printed since it started, for failure messages.
    std::string output() const { return process_.process().readAll(std::chrono::milliseconds(0)); }

  private:
    mutable kvtest::KvsimProcess process_;
};

}  // namespace kvtool_test

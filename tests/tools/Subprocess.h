#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "util/KvsimProcess.h"

namespace kvtool_test {

struct RunResult {
    int status = -1;  // exit status; -1 when it was killed or ended by a signal
    std::string out;
    std::string err;
};

// The journal directory every program run here gets unless the test names its own: a
// temporary directory of the test process, removed when it ends, so no test writes into the
// home directory.
const std::string& testJournalDirectory();

// Runs a program with stdin from /dev/null, collecting stdout and stderr. A program still
// running after `timeout` is killed, so a test never hangs on it. KVSENSOR_JOURNAL_DIR is
// testJournalDirectory() unless `extraEnv` sets it.
RunResult run(const std::vector<std::string>& argv, std::chrono::milliseconds timeout,
              const std::vector<std::string>& extraEnv = {});

// Like run(), but sends `signal` once `ready` holds for the output so far.
RunResult runSignalledWhen(const std::vector<std::string>& argv,
                           const std::function<bool(const RunResult&)>& ready, int signal,
                           std::chrono::milliseconds timeout,
                           const std::vector<std::string>& extraEnv = {});

// Like run(), but sends `signal` once stderr contains `trigger`.
RunResult runSignalledOn(const std::vector<std::string>& argv, const std::string& trigger,
                         int signal, std::chrono::milliseconds timeout);

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

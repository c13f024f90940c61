#pragma once

#include <sys/types.h>

#include <chrono>
#include <csignal>
#include <functional>
#include <string>
#include <vector>

namespace kvtool_test {

struct RunResult {
    int status = -1;  // exit status; -1 when it was killed or ended by a signal
    std::string out;
    std::string err;
};

// Runs a program with stdin from /dev/null, collecting stdout and stderr. A program still
// running after `timeout` is killed, so a test never hangs on it.
RunResult run(const std::vector<std::string>& argv, std::chrono::milliseconds timeout,
              const std::vector<std::string>& extraEnv = {});

// Like run(), but sends `signal` once `ready` holds for the output so far.
RunResult runSignalledWhen(const std::vector<std::string>& argv,
                           const std::function<bool(const RunResult&)>& ready, int signal,
                           std::chrono::milliseconds timeout);

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

// The virtual sensor on a pseudo-terminal reached through a symlink in a fresh temporary
// directory; stopped and cleaned up when the object goes.
class VirtualSensor {
  public:
    explicit VirtualSensor(const std::vector<std::string>& args);
    ~VirtualSensor();
    VirtualSensor(const VirtualSensor&) = delete;
    VirtualSensor& operator=(const VirtualSensor&) = delete;

    const std::string& link() const { return link_; }
    // What the sensor printed, for failure messages.
    std::string output() const;

  private:
    void stop();

    std::string dir_;
    std::string link_;
    std::string log_;
    pid_t pid_ = -1;
};

}  // namespace kvtool_test

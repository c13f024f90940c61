#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kvtest {

// A child program with its standard output (and, when asked, its error output) on a pipe.
// Every wait is bounded and blocks in poll(); the destructor kills a child still running.
class Subprocess {
  public:
    struct Options {
        bool mergeStderr = false;
        // Error output on a pipe of its own, read alongside the output (see errorOutput()).
        bool captureStderr = false;
        // Standard input from /dev/null instead of the test's own.
        bool noInput = false;
        // "NAME=value" entries added to the test's environment, replacing the same names.
        std::vector<std::string> environment;
    };

    explicit Subprocess(const std::vector<std::string>& argv, bool mergeStderr = false);
    Subprocess(const std::vector<std::string>& argv, const Options& options);
    ~Subprocess();
    Subprocess(const Subprocess&) = delete;
    Subprocess& operator=(const Subprocess&) = delete;

    // The next line of output without its newline; nothing at end of output or after the limit.
    std::optional<std::string> readLine(std::chrono::milliseconds limit);
    // All output up to its end or the limit.
    std::string readAll(std::chrono::milliseconds limit);
    // Reads output and error output until both end (true) or the limit passes (false). `stop`,
    // asked after each chunk with everything so far, ends the reading early (true) when it holds.
    bool collect(
        std::chrono::milliseconds limit,
        const std::function<bool(const std::string& out, const std::string& err)>& stop = {});
    // Output read and not yet taken by readLine()/readAll(); error output read so far.
    const std::string& pendingOutput() const { return buffered_; }
    const std::string& errorOutput() const { return errors_; }
    // The exit code (128 + signal for a killed child); nothing when still running at the limit.
    std::optional<int> wait(std::chrono::milliseconds limit);
    void signal(int number);
    pid_t pid() const { return pid_; }

  private:
    bool fill(std::chrono::steady_clock::time_point until);

    pid_t pid_ = -1;
    int output_ = -1;
    int errorPipe_ = -1;
    std::string errors_;
    int pidfd_ = -1;
    std::optional<int> status_;
    std::string buffered_;
    bool ended_ = false;
};

// How a program run to its end (or killed) left: its exit status and both outputs.
struct RunResult {
    int status = -1;  // exit status; -1 when it was killed or ended by a signal
    std::string out;
    std::string err;
};

// The journal directory every program run here gets unless the test names its own: a temporary
// directory of the test process, removed when it ends, so no test writes into the home directory.
const std::string& testJournalDirectory();

// Runs a program with stdin from /dev/null, collecting stdout and stderr; `extraEnv` as
// Options::environment. A program still running after `timeout` is killed, so a test never hangs
// on it. KVSENSOR_JOURNAL_DIR is testJournalDirectory() unless `extraEnv` sets it.
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

// The directory of the running test program.
std::string programDirectory();
// The first existing file among the candidates, or empty.
std::string firstExisting(const std::vector<std::string>& candidates);
// The full path of a program on PATH, or empty.
std::string onPath(const std::string& program);

}  // namespace kvtest

#include "Subprocess.h"

#include <stdlib.h>

#include <csignal>
#include <filesystem>
#include <stdexcept>

#include "util/Subprocess.h"

namespace kvtool_test {

namespace {

class TemporaryDirectory {
  public:
    TemporaryDirectory() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "kvtool-test-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("no temporary directory for the journal");
        path_ = pattern;
    }
    ~TemporaryDirectory() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

std::vector<std::string> withJournal(std::vector<std::string> env) {
    for (const std::string& entry : env)
        if (entry.starts_with("KVSENSOR_JOURNAL_DIR=")) return env;
    env.push_back("KVSENSOR_JOURNAL_DIR=" + testJournalDirectory());
    return env;
}

RunResult runUntil(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnv,
                   const std::function<bool(const RunResult&)>& ready, int signal,
                   std::chrono::milliseconds timeout) {
    kvtest::Subprocess child(argv, {.mergeStderr = false,
                                    .captureStderr = true,
                                    .noInput = true,
                                    .environment = withJournal(extraEnv)});
    bool readyNow = false;
    std::function<bool(const std::string&, const std::string&)> stop;
    if (ready)
        stop = [&](const std::string& out, const std::string& err) {
            readyNow = ready(RunResult{-1, out, err});
            return readyNow;
        };
    bool ended = child.collect(timeout, stop);
    if (readyNow) {
        // The program has what is left of the time to end after the signal.
        child.signal(signal);
        ended = child.collect(timeout);
    }
    RunResult result{-1, child.readAll(std::chrono::milliseconds(0)), child.errorOutput()};
    if (!ended) child.signal(SIGKILL);
    const auto status = child.wait(std::chrono::seconds(10));
    // A program ended by a signal, or killed here, has no exit status of its own.
    result.status = ended && status && *status < 128 ? *status : -1;
    return result;
}

}  // namespace

const std::string& testJournalDirectory() {
    static const TemporaryDirectory directory;
    return directory.path();
}

RunResult run(const std::vector<std::string>& argv, std::chrono::milliseconds timeout,
              const std::vector<std::string>& extraEnv) {
    return runUntil(argv, extraEnv, {}, 0, timeout);
}

RunResult runSignalledWhen(const std::vector<std::string>& argv,
                           const std::function<bool(const RunResult&)>& ready, int signal,
                           std::chrono::milliseconds timeout,
                           const std::vector<std::string>& extraEnv) {
    return runUntil(argv, extraEnv, ready, signal, timeout);
}

RunResult runSignalledOn(const std::vector<std::string>& argv, const std::string& trigger,
                         int signal, std::chrono::milliseconds timeout) {
    return runSignalledWhen(
        argv, [&](const RunResult& sofar) { return sofar.err.find(trigger) != std::string::npos; },
        signal, timeout);
}

}  // namespace kvtool_test

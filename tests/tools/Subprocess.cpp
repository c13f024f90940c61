#include "Subprocess.h"

#include <csignal>

#include "util/Subprocess.h"

namespace kvtool_test {

namespace {

RunResult runUntil(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnv,
                   const std::function<bool(const RunResult&)>& ready, int signal,
                   std::chrono::milliseconds timeout) {
    kvtest::Subprocess child(
        argv,
        {.mergeStderr = false, .captureStderr = true, .noInput = true, .environment = extraEnv});
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

RunResult run(const std::vector<std::string>& argv, std::chrono::milliseconds timeout,
              const std::vector<std::string>& extraEnv) {
    return runUntil(argv, extraEnv, {}, 0, timeout);
}

RunResult runSignalledWhen(const std::vector<std::string>& argv,
                           const std::function<bool(const RunResult&)>& ready, int signal,
                           std::chrono::milliseconds timeout) {
    return runUntil(argv, {}, ready, signal, timeout);
}

RunResult runSignalledOn(const std::vector<std::string>& argv, const std::string& trigger,
                         int signal, std::chrono::milliseconds timeout) {
    return runSignalledWhen(
        argv, [&](const RunResult& sofar) { return sofar.err.find(trigger) != std::string::npos; },
        signal, timeout);
}

}  // namespace kvtool_test

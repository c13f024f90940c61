#pragma once

#include <memory>
#include <string>
#include <vector>

#include "util/Subprocess.h"

namespace kvtest {

// The kvsim program serving a pty, for tests that talk to it as a real peer would.
class KvsimProcess {
  public:
    // The program: $KVSIM_BINARY, else sim/kvsim next to the tests' build folder; empty if none.
    static std::string binary();

    // Starts kvsim with the arguments and waits (at most 10 s) for it to print its pty path;
    // raises std::runtime_error with kvsim's own output when it does not.
    explicit KvsimProcess(const std::vector<std::string>& arguments);

    const std::string& path() const { return path_; }
    Subprocess& process() { return *process_; }
    // SIGTERM, then the exit code (at most 10 s; -1 when it would not end).
    int stop();

  private:
    std::unique_ptr<Subprocess> process_;
    std::string path_;
};

}  // namespace kvtest

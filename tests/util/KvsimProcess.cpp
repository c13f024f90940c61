#include "util/KvsimProcess.h"

#include <csignal>
#include <cstdlib>
#include <stdexcept>

namespace kvtest {

using namespace std::chrono_literals;

std::string KvsimProcess::binary() {
    const char* configured = std::getenv("KVSIM_BINARY");
    return firstExisting({configured ? configured : "", programDirectory() + "/../sim/kvsim"});
}

KvsimProcess::KvsimProcess(const std::vector<std::string>& arguments) {
    const auto program = binary();
    if (program.empty()) throw std::runtime_error("kvsim program not found (set KVSIM_BINARY)");
    std::vector<std::string> argv{program};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    process_ = std::make_unique<Subprocess>(argv);
    auto line = process_->readLine(10s);
    if (!line || line->rfind("/dev/", 0) != 0) {
        throw std::runtime_error("kvsim did not start: " + line.value_or("no output"));
    }
    path_ = *line;
}

int KvsimProcess::stop() {
    process_->signal(SIGTERM);
    return process_->wait(10s).value_or(-1);
}

}  // namespace kvtest

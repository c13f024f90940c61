#include "run/WorkerProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

extern char** environ;

namespace station {

namespace {

std::string selfPath() {
    char path[4096];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0)
        throw std::runtime_error(std::string("cannot find this program: ") + std::strerror(errno));
    return std::string(path, static_cast<std::size_t>(n));
}

}  // namespace

WorkerProcess::WorkerProcess(const std::vector<std::string>& arguments) {
    int pipeEnds[2];
    if (pipe2(pipeEnds, O_CLOEXEC) != 0)
        throw std::runtime_error(std::string("cannot start a worker: ") + std::strerror(errno));
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    const std::string program = selfPath();
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    // The station blocks Ctrl-C outside its waits; a worker must feel it.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK);
    const int failed =
        posix_spawn(&pid_, program.c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeEnds[1]);
    if (failed != 0) {
        ::close(pipeEnds[0]);
        throw std::runtime_error(std::string("cannot start a worker: ") + std::strerror(failed));
    }
    output_ = pipeEnds[0];
}

WorkerProcess::~WorkerProcess() {
    if (output_ >= 0) ::close(output_);
    if (!waited_ && pid_ > 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
}

bool WorkerProcess::read(std::vector<std::string>& lines) {
    char buffer[4096];
    ssize_t n;
    do {
        n = ::read(output_, buffer, sizeof buffer);
    } while (n < 0 && errno == EINTR);
    if (n <= 0) return false;
    partial_.append(buffer, static_cast<std::size_t>(n));
    std::size_t end;
    while ((end = partial_.find('\n')) != std::string::npos) {
        lines.push_back(partial_.substr(0, end));
        partial_.erase(0, end + 1);
    }
    return true;
}

void WorkerProcess::signal(int number) const {
    if (!waited_ && pid_ > 0) kill(pid_, number);
}

int WorkerProcess::wait() {
    int status = 0;
    while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    waited_ = true;
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return WEXITSTATUS(status);
}

}  // namespace station

#include "util/Subprocess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <stdexcept>
#include <system_error>
#include <utility>

extern char** environ;

namespace kvtest {

namespace {

int remainingMs(std::chrono::steady_clock::time_point until) {
    auto left =
        std::chrono::ceil<std::chrono::milliseconds>(until - std::chrono::steady_clock::now());
    return static_cast<int>(std::max<long long>(left.count(), 0));
}

// The test's environment with `extra` ("NAME=value") replacing entries of the same name.
std::vector<std::string> environmentWith(const std::vector<std::string>& extra) {
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string entry = *e;
        const std::string name = entry.substr(0, entry.find('=') + 1);
        bool replaced = false;
        for (const auto& x : extra) replaced = replaced || x.starts_with(name);
        if (!replaced) env.push_back(entry);
    }
    env.insert(env.end(), extra.begin(), extra.end());
    return env;
}

}  // namespace

Subprocess::Subprocess(const std::vector<std::string>& argv, bool mergeStderr)
    : Subprocess(argv, Options{.mergeStderr = mergeStderr,
                               .captureStderr = false,
                               .noInput = false,
                               .environment = {}}) {}

Subprocess::Subprocess(const std::vector<std::string>& argv, const Options& options) {
    int pipeFds[2];
    int errorFds[2] = {-1, -1};
    if (::pipe2(pipeFds, O_CLOEXEC) != 0)
        throw std::system_error(errno, std::generic_category(), "pipe");
    if (options.captureStderr && ::pipe2(errorFds, O_CLOEXEC) != 0) {
        ::close(pipeFds[0]);
        ::close(pipeFds[1]);
        throw std::system_error(errno, std::generic_category(), "pipe");
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (options.noInput)
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    if (options.mergeStderr) posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDERR_FILENO);
    if (options.captureStderr)
        posix_spawn_file_actions_adddup2(&actions, errorFds[1], STDERR_FILENO);
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    const std::vector<std::string> env = environmentWith(options.environment);
    std::vector<char*> envp;
    for (const auto& e : env) envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);
    const int rc = ::posix_spawnp(&pid_, args[0], &actions, nullptr, args.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    output_ = pipeFds[0];
    if (options.captureStderr) {
        ::close(errorFds[1]);
        errorPipe_ = errorFds[0];
    }
    if (rc != 0) {
        ::close(output_);
        if (errorPipe_ >= 0) ::close(errorPipe_);
        throw std::system_error(rc, std::generic_category(), "starting " + argv.front());
    }
    pidfd_ = static_cast<int>(::syscall(SYS_pidfd_open, pid_, 0));
}

Subprocess::~Subprocess() {
    if (!status_) {
        ::kill(pid_, SIGKILL);
        wait(std::chrono::seconds(5));
    }
    if (output_ >= 0) ::close(output_);
    if (errorPipe_ >= 0) ::close(errorPipe_);
    if (pidfd_ >= 0) ::close(pidfd_);
}

bool Subprocess::fill(std::chrono::steady_clock::time_point until) {
    pollfd p[2];
    nfds_t count = 0;
    if (!ended_) p[count++] = {output_, POLLIN, 0};
    if (errorPipe_ >= 0) p[count++] = {errorPipe_, POLLIN, 0};
    if (count == 0 || ::poll(p, count, remainingMs(until)) <= 0) return false;
    for (nfds_t i = 0; i < count; ++i) {
        if (p[i].revents == 0) continue;
        const bool isOutput = p[i].fd == output_;
        char chunk[4096];
        const auto got = ::read(p[i].fd, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) continue;
        if (got > 0) {
            (isOutput ? buffered_ : errors_).append(chunk, static_cast<std::size_t>(got));
        } else if (isOutput) {
            ended_ = true;
        } else {
            ::close(errorPipe_);
            errorPipe_ = -1;
        }
    }
    return true;
}

bool Subprocess::collect(
    std::chrono::milliseconds limit,
    const std::function<bool(const std::string& out, const std::string& err)>& stop) {
    const auto until = std::chrono::steady_clock::now() + limit;
    while (fill(until))
        if (stop && stop(buffered_, errors_)) return true;
    return ended_ && errorPipe_ < 0;
}

std::optional<std::string> Subprocess::readLine(std::chrono::milliseconds limit) {
    const auto until = std::chrono::steady_clock::now() + limit;
    for (;;) {
        if (auto newline = buffered_.find('\n'); newline != std::string::npos) {
            auto line = buffered_.substr(0, newline);
            buffered_.erase(0, newline + 1);
            return line;
        }
        if (!fill(until)) return std::nullopt;
    }
}

std::string Subprocess::readAll(std::chrono::milliseconds limit) {
    const auto until = std::chrono::steady_clock::now() + limit;
    while (fill(until)) {
    }
    return std::exchange(buffered_, {});
}

std::optional<int> Subprocess::wait(std::chrono::milliseconds limit) {
    if (status_) return status_;
    if (pidfd_ >= 0) {
        pollfd p{pidfd_, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(limit.count())) <= 0) return std::nullopt;
    }
    int raw = 0;
    if (::waitpid(pid_, &raw, pidfd_ >= 0 ? 0 : WNOHANG) != pid_) return std::nullopt;
    status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
    return status_;
}

void Subprocess::signal(int number) {
    if (!status_) ::kill(pid_, number);
}

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
    Subprocess child(argv, {.mergeStderr = false,
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

std::string programDirectory() {
    return std::filesystem::read_symlink("/proc/self/exe").parent_path().string();
}

std::string firstExisting(const std::vector<std::string>& candidates) {
    for (const auto& path : candidates) {
        if (!path.empty() && std::filesystem::exists(path)) return path;
    }
    return {};
}

std::string onPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::stringstream dirs(path ? path : "");
    std::string dir;
    while (std::getline(dirs, dir, ':')) {
        const auto candidate = std::filesystem::path(dir) / program;
        if (::access(candidate.c_str(), X_OK) == 0) return candidate.string();
    }
    return {};
}

}  // namespace kvtest

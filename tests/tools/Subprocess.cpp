#include "Subprocess.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace kvtool_test {

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

std::vector<char*> pointers(std::vector<std::string>& strings) {
    std::vector<char*> result;
    for (auto& s : strings) result.push_back(s.data());
    result.push_back(nullptr);
    return result;
}

// The parent's environment with `extra` ("NAME=value") replacing variables of the same name.
std::vector<std::string> environment(const std::vector<std::string>& extra) {
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e) {
        std::string entry = *e;
        std::string name = entry.substr(0, entry.find('=') + 1);
        bool replaced = false;
        for (const auto& x : extra) replaced = replaced || x.starts_with(name);
        if (!replaced) env.push_back(entry);
    }
    env.insert(env.end(), extra.begin(), extra.end());
    return env;
}

struct Spawned {
    pid_t pid = -1;
    int out = -1;
    int err = -1;
};

Spawned spawn(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnv) {
    std::array<int, 2> out{};
    std::array<int, 2> err{};
    if (pipe2(out.data(), O_CLOEXEC) != 0 || pipe2(err.data(), O_CLOEXEC) != 0)
        throw std::runtime_error("pipe2 failed");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
    std::vector<std::string> args = argv;
    std::vector<std::string> env = environment(extraEnv);
    Spawned s;
    int rc = posix_spawn(&s.pid, args[0].c_str(), &actions, nullptr, pointers(args).data(),
                         pointers(env).data());
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    close(err[1]);
    if (rc != 0) {
        close(out[0]);
        close(err[0]);
        throw std::runtime_error("cannot start " + args[0]);
    }
    s.out = out[0];
    s.err = err[0];
    return s;
}

int exitStatus(pid_t pid) {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Reads both pipes until they close or the deadline passes; `onGrow` sees the output as it grows.
RunResult collect(const Spawned& s, std::chrono::milliseconds timeout,
                  const std::function<void(const RunResult&)>& onGrow) {
    RunResult result;
    const auto end = Clock::now() + timeout;
    std::array<pollfd, 2> fds{pollfd{s.out, POLLIN, 0}, pollfd{s.err, POLLIN, 0}};
    int open = 2;
    bool killed = false;
    while (open > 0) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now());
        if (left <= 0ms && !killed) {
            kill(s.pid, SIGKILL);
            killed = true;
        }
        if (poll(fds.data(), fds.size(), killed ? 1000 : static_cast<int>(left.count())) < 0 &&
            errno != EINTR)
            break;
        for (std::size_t i = 0; i < fds.size(); ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) continue;
            std::array<char, 4096> buffer{};
            ssize_t n = read(fds[i].fd, buffer.data(), buffer.size());
            if (n <= 0) {
                close(fds[i].fd);
                fds[i].fd = -1;
                --open;
                continue;
            }
            std::string& text = i == 0 ? result.out : result.err;
            text.append(buffer.data(), static_cast<std::size_t>(n));
            onGrow(result);
        }
    }
    for (auto& f : fds)
        if (f.fd >= 0) close(f.fd);
    const int status = exitStatus(s.pid);
    result.status = killed ? -1 : status;
    return result;
}

}  // namespace

RunResult run(const std::vector<std::string>& argv, std::chrono::milliseconds timeout,
              const std::vector<std::string>& extraEnv) {
    return collect(spawn(argv, extraEnv), timeout, [](const RunResult&) {});
}

RunResult runSignalledWhen(const std::vector<std::string>& argv,
                           const std::function<bool(const RunResult&)>& ready, int signal,
                           std::chrono::milliseconds timeout) {
    Spawned s = spawn(argv, {});
    bool sent = false;
    return collect(s, timeout, [&](const RunResult& sofar) {
        if (!sent && ready(sofar)) {
            kill(s.pid, signal);
            sent = true;
        }
    });
}

RunResult runSignalledOn(const std::vector<std::string>& argv, const std::string& trigger,
                         int signal, std::chrono::milliseconds timeout) {
    return runSignalledWhen(
        argv, [&](const RunResult& sofar) { return sofar.err.find(trigger) != std::string::npos; },
        signal, timeout);
}

VirtualSensor::VirtualSensor(const std::vector<std::string>& args) {
    std::string pattern = "/tmp/kvtool-test-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    dir_ = pattern;
    link_ = dir_ + "/tty";
    log_ = dir_ + "/kvsim.log";
    std::vector<std::string> argv{KVSIM_PATH};
    argv.insert(argv.end(), args.begin(), args.end());
    argv.insert(argv.end(), {"--link", link_});
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, log_.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    int rc = posix_spawn(&pid_, argv[0].c_str(), &actions, nullptr, pointers(argv).data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) throw std::runtime_error("cannot start " + argv[0]);
    // The link appears once the pty is ready; a sensor that ends early has failed.
    const auto end = Clock::now() + 10s;
    struct stat st {};
    while (lstat(link_.c_str(), &st) != 0) {
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) pid_ = -1;
        if (pid_ < 0 || Clock::now() > end) {
            const std::string why = "kvsim made no link: " + output();
            stop();
            throw std::runtime_error(why);
        }
        std::this_thread::sleep_for(20ms);
    }
}

VirtualSensor::~VirtualSensor() {
    stop();
}

void VirtualSensor::stop() {
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        const auto end = Clock::now() + 5s;
        int status = 0;
        while (waitpid(pid_, &status, WNOHANG) == 0) {
            if (Clock::now() > end) {
                kill(pid_, SIGKILL);
                waitpid(pid_, &status, 0);
                break;
            }
            std::this_thread::sleep_for(10ms);
        }
        pid_ = -1;
    }
    unlink(link_.c_str());
    unlink(log_.c_str());
    rmdir(dir_.c_str());
}

std::string VirtualSensor::output() const {
    std::ifstream in(log_);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace kvtool_test

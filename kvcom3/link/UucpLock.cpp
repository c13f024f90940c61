#include "link/UucpLock.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string_view>

#include "kvcom3/KvError.h"

namespace kvcom3 {

namespace {

std::string lockDirectory() {
    const char* dir = std::getenv("KVCOM3_LOCK_DIR");
    return dir != nullptr && *dir != '\0' ? dir : "/run/lock";
}

// The PID a lock file names, 0 when it names none. Some old programs wrote it as four binary
// bytes; those files read as text give garbage and count as stale.
pid_t ownerOf(const std::string& path) {
    std::ifstream file(path);
    long pid = 0;
    if (!(file >> pid) || pid <= 0) return 0;
    return static_cast<pid_t>(pid);
}

bool alive(pid_t pid) {
    // EPERM: the process exists but belongs to someone else.
    return ::kill(pid, 0) == 0 || errno == EPERM;
}

std::string programOf(pid_t pid) {
    std::ifstream comm("/proc/" + std::to_string(pid) + "/comm");
    std::string name;
    std::getline(comm, name);
    return name;
}

}  // namespace

std::string uucpLockPath(const std::string& devicePath) {
    std::string_view name = devicePath;
    if (name.starts_with("/dev/")) {
        name.remove_prefix(5);
    } else if (auto slash = name.rfind('/'); slash != std::string_view::npos) {
        name.remove_prefix(slash + 1);
    }
    std::string file = "LCK.." + std::string(name);
    for (char& c : file) {
        if (c == '/') c = '_';
    }
    return lockDirectory() + "/" + file;
}

UucpLock::UucpLock(const std::string& devicePath) : path_(uucpLockPath(devicePath)) {
    // Two rounds: the second follows the removal of a stale lock.
    for (int round = 0; round < 2 && !held_ && notice_.empty(); ++round) {
        if (tryCreate()) return;
        if (!notice_.empty()) return;
        pid_t owner = ownerOf(path_);
        if (owner == ::getpid()) {
            held_ = true;
            return;
        }
        if (owner != 0 && alive(owner)) {
            std::string program = programOf(owner);
            raisePlatformError(platform_error::PortAlreadyOpen,
                               devicePath + " is locked by process " + std::to_string(owner) +
                                   (program.empty() ? "" : " (" + program + ")") + " (" + path_ +
                                   ")");
        }
        ::unlink(path_.c_str());
    }
    if (!held_ && notice_.empty()) {
        notice_ = "could not take over the lock file " + path_ + "; working without it";
    }
}

UucpLock::~UucpLock() {
    if (held_ && ownerOf(path_) == ::getpid()) ::unlink(path_.c_str());
}

bool UucpLock::tryCreate() {
    int fd = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
        if (errno != EEXIST) {
            notice_ = "lock directory not writable (" + path_ + ": " + std::strerror(errno) +
                      "); working without a lock file";
        }
        return false;
    }
    char text[16];
    int length = std::snprintf(text, sizeof text, "%10d\n", static_cast<int>(::getpid()));
    bool written = ::write(fd, text, static_cast<std::size_t>(length)) == length;
    ::close(fd);
    if (!written) {
        ::unlink(path_.c_str());
        notice_ = "could not write the lock file " + path_ + "; working without it";
        return false;
    }
    held_ = true;
    return true;
}

}  // namespace kvcom3

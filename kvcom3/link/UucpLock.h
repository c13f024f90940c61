#pragma once

#include <string>

namespace kvcom3 {

// The lock file other serial programs (minicom, picocom, ModemManager's peers) look for before
// they open a line: <lock directory>/LCK..<device> holding the owner's PID as "%10d\n". The
// directory is KVCOM3_LOCK_DIR when set, otherwise /run/lock.
class UucpLock {
  public:
    // Takes the lock for the device, replacing one whose process has gone. Raises 8005 naming
    // the PID (and the program, where /proc tells) when a live process holds it. A lock
    // directory that cannot be written leaves the device unlocked; notice() says so.
    explicit UucpLock(const std::string& devicePath);
    ~UucpLock();
    UucpLock(const UucpLock&) = delete;
    UucpLock& operator=(const UucpLock&) = delete;

    // Empty when the lock file was created; otherwise why the line runs without one.
    const std::string& notice() const { return notice_; }
    const std::string& path() const { return path_; }

  private:
    bool tryCreate();

    std::string path_;
    std::string notice_;
    bool held_ = false;
};

// The lock file name for a device path: the part after /dev/ with '/' as '_'.
std::string uucpLockPath(const std::string& devicePath);

}  // namespace kvcom3

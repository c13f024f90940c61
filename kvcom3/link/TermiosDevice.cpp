// POSIX termios backend: real serial ports (/dev/ttyUSB*, /dev/ttyS*) and pseudo-terminals.
#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "kvcom3/KvError.h"
#include "kvcom3/Ports.h"
#include "link/LowLatency.h"
#include "link/Rs485.h"
#include "link/UucpLock.h"

namespace kvcom3 {

namespace {

int retryOnEintr(auto call) {
    int rc;
    do {
        rc = call();
    } while (rc < 0 && errno == EINTR);
    return rc;
}

speed_t toSpeed(std::uint32_t baud) {
    switch (baud) {
        case 300: return B300;
        case 600: return B600;
        case 1200: return B1200;
        case 2400: return B2400;
        case 4800: return B4800;
        case 9600: return B9600;
        case 19200: return B19200;
        case 38400: return B38400;
        case 57600: return B57600;
        case 115200: return B115200;
        case 230400: return B230400;
        default: return B0;
    }
}

class TermiosDevice final : public SerialDevice {
  public:
    explicit TermiosDevice(std::string path) : path_(std::move(path)) {}
    ~TermiosDevice() override { close(); }

    std::string name() const override { return path_; }

    void open(const LineSettings& settings, bool rts) override {
        if (fd_ >= 0) return;
        int fd = retryOnEintr(
            [&] { return ::open(path_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC); });
        if (fd < 0) raiseOpenError(errno);
        fd_ = fd;
        try {
            if (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
                if (errno == EWOULDBLOCK) {
                    raisePlatformError(platform_error::PortAlreadyOpen,
                                       path_ + " is in use by another program");
                }
                raiseIoError("lock");
            }
            // flock keeps out programs that use it; the lock file, those that only know that.
            uucpLock_.emplace(path_);
            termios tio{};
            if (::tcgetattr(fd_, &tio) != 0) {
                raisePlatformError(platform_error::PathFileAccess,
                                   path_ + " is not a serial port (" + std::strerror(errno) + ")");
            }
            applySettings(settings);
            setRts(rts);
            ::tcflush(fd_, TCIOFLUSH);
        } catch (...) {
            uucpLock_.reset();
            ::close(fd_);
            fd_ = -1;
            throw;
        }
    }

    void close() override {
        input_.clear();
        if (fd_ < 0) return;
        ::flock(fd_, LOCK_UN);
        ::close(fd_);
        fd_ = -1;
        uucpLock_.reset();
    }

    bool isOpen() const override { return fd_ >= 0; }

    bool requestLowLatency() override { return askLowLatency(fd_); }

    bool requestRs485() override { return askRs485(fd_); }

    void waitSent() override {
        if (retryOnEintr([&] { return ::tcdrain(fd_); }) != 0) raiseIoError("drain");
    }

    std::string openNotice() const override {
        return uucpLock_ ? uucpLock_->notice() : std::string();
    }

    void applySettings(const LineSettings& s) override {
        termios tio{};
        if (::tcgetattr(fd_, &tio) != 0) raiseIoError("read settings");
        ::cfmakeraw(&tio);
        speed_t speed = toSpeed(s.baud);
        if (speed == B0) {
            raisePlatformError(platform_error::InvalidPropertyValue,
                               "baud rate " + std::to_string(s.baud) + " on " + path_);
        }
        ::cfsetispeed(&tio, speed);
        ::cfsetospeed(&tio, speed);
        tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
        tio.c_cflag |= CLOCAL | CREAD;
        static constexpr tcflag_t kSizes[] = {CS5, CS6, CS7, CS8};
        tio.c_cflag |= kSizes[s.dataBits - 5];
        if (s.parity != 'n') tio.c_cflag |= PARENB;
        if (s.parity == 'o' || s.parity == 'm') tio.c_cflag |= PARODD;
        if (s.parity == 'm' || s.parity == 's') tio.c_cflag |= CMSPAR;
        if (s.stopBits == 2) tio.c_cflag |= CSTOPB;
        tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
        tio.c_cc[VMIN] = 0;
        tio.c_cc[VTIME] = 0;
        if (::tcsetattr(fd_, TCSANOW, &tio) != 0) raiseIoError("apply settings");
    }

    void setRts(bool on) override {
        int bit = TIOCM_RTS;
        // A pseudo-terminal has no modem lines; the slot still remembers the state.
        ::ioctl(fd_, on ? TIOCMBIS : TIOCMBIC, &bit);
    }

    std::size_t bytesWaiting() override {
        drain();
        return input_.size();
    }

    std::vector<std::uint8_t> readAll() override {
        drain();
        return std::exchange(input_, {});
    }

    void write(std::span<const std::uint8_t> bytes) override {
        std::size_t sent = 0;
        while (sent < bytes.size()) {
            ssize_t n = ::write(fd_, bytes.data() + sent, bytes.size() - sent);
            if (n > 0) {
                sent += static_cast<std::size_t>(n);
            } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
                // Output queue full: wait for room rather than drop bytes of a frame.
                pollfd p{fd_, POLLOUT, 0};
                if (retryOnEintr([&] { return ::poll(&p, 1, 100); }) < 0) raiseIoError("write");
            } else if (!(n < 0 && errno == EINTR)) {
                raiseIoError("write");
            }
        }
    }

    void waitReadable(std::chrono::milliseconds limit) override {
        // With the kernel's buffer emptied into ours, poll() sleeps until the next byte arrives.
        drain();
        pollfd p{fd_, POLLIN, 0};
        int rc = retryOnEintr([&] { return ::poll(&p, 1, static_cast<int>(limit.count())); });
        if (rc < 0) raiseIoError("wait");
        // A hung-up line also reports itself readable; the hang-up is what counts.
        if (rc > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL))) raiseDisconnected();
    }

  private:
    // Moves what the kernel holds into our buffer. A vanished device (adapter pulled, pty
    // closed) raises instead of looking like a silent sensor.
    void drain() {
        std::uint8_t buffer[256];
        while (true) {
            ssize_t n = ::read(fd_, buffer, sizeof buffer);
            if (n > 0) {
                input_.insert(input_.end(), buffer, buffer + n);
                continue;
            }
            if (n < 0 && errno == EINTR) continue;
            if (n < 0 && errno == EIO) raiseDisconnected();
            if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) raiseIoError("read");
            break;
        }
    }

    [[noreturn]] void raiseDisconnected() {
        raisePlatformError(platform_error::PathFileAccess, path_ + " was disconnected");
    }

    [[noreturn]] void raiseIoError(const char* what) {
        int err = errno;
        raisePlatformError(platform_error::PathFileAccess,
                           path_ + ": " + what + " failed (" + std::strerror(err) + ")");
    }

    // Names the group that may open the device, the usual cure for a refused port.
    std::string accessHint() const {
        struct stat st {};
        if (::stat(path_.c_str(), &st) != 0) return {};
        const group* g = ::getgrgid(st.st_gid);
        if (g == nullptr || st.st_gid == 0) return {};
        return std::string(" (members of the group ") + g->gr_name + " may open it)";
    }

    [[noreturn]] void raiseOpenError(int err) {
        switch (err) {
            case ENOENT:
            case ENXIO:
            case ENODEV: raisePlatformError(platform_error::FileNotFound, path_);
            case EACCES:
            case EPERM: raisePlatformError(platform_error::PermissionDenied, path_ + accessHint());
            case EBUSY:
                raisePlatformError(platform_error::PortAlreadyOpen,
                                   path_ + " is in use by another program");
            default:
                raisePlatformError(platform_error::PathFileAccess,
                                   path_ + " (" + std::strerror(err) + ")");
        }
    }

    std::string path_;
    int fd_ = -1;
    std::vector<std::uint8_t> input_;
    std::optional<UucpLock> uucpLock_;
};

}  // namespace

std::unique_ptr<SerialDevice> makeTermiosDevice(const std::string& path) {
    return std::make_unique<TermiosDevice>(path);
}

}  // namespace kvcom3

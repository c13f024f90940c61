#include "host/PtyHost.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <system_error>
#include <utility>

namespace kvsim {

namespace {

constexpr auto kWorldTick = std::chrono::milliseconds(200);
constexpr std::size_t kOutboxLimit = 4096;

[[noreturn]] void fail(const std::string& what) {
    throw std::system_error(errno, std::generic_category(), what);
}

Timestamp now() {
    return std::chrono::steady_clock::now().time_since_epoch();
}

std::uint32_t baudOf(speed_t speed) {
    switch (speed) {
        case B300: return 300;
        case B600: return 600;
        case B1200: return 1200;
        case B2400: return 2400;
        case B4800: return 4800;
        case B19200: return 19200;
        case B38400: return 38400;
        case B57600: return 57600;
        case B115200: return 115200;
        case B230400: return 230400;
        default: return 9600;
    }
}

}  // namespace

PtyHost::PtyHost(std::shared_ptr<Line> line, std::string linkPath)
    : line_(std::move(line)), link_(std::move(linkPath)) {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (master_ < 0) fail("posix_openpt");
    if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0) {
        closePty();
        fail("unlocking the pseudo-terminal");
    }
    char name[128];
    if (::ptsname_r(master_, name, sizeof name) != 0) {
        closePty();
        fail("ptsname");
    }
    path_ = name;
    slave_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave_ < 0) {
        closePty();
        fail("opening " + path_);
    }
    termios raw{};
    ::tcgetattr(slave_, &raw);
    ::cfmakeraw(&raw);
    ::cfsetspeed(&raw, B9600);
    raw.c_cflag |= CLOCAL | CREAD;
    ::tcsetattr(slave_, TCSANOW, &raw);
    if (::pipe2(wake_, O_NONBLOCK | O_CLOEXEC) != 0) {
        closePty();
        fail("pipe");
    }
    if (!link_.empty()) {
        ::unlink(link_.c_str());
        if (::symlink(path_.c_str(), link_.c_str()) != 0) {
            closePty();
            closeWake();
            fail("linking " + link_ + " to " + path_);
        }
    }
}

PtyHost::~PtyHost() {
    closePty();
    if (!link_.empty()) ::unlink(link_.c_str());
    closeWake();
}

void PtyHost::closeWake() {
    const int error = errno;
    for (int& fd : wake_) {
        if (fd >= 0) ::close(fd);
        fd = -1;
    }
    errno = error;
}

void PtyHost::closePty() {
    const int error = errno;  // callers report the failure that led here
    if (master_ >= 0) ::close(master_);
    if (slave_ >= 0) ::close(slave_);
    master_ = slave_ = -1;
    errno = error;
}

void PtyHost::stop() {
    stopping_ = true;
    const char byte = 1;
    [[maybe_unused]] auto written = ::write(wake_[1], &byte, 1);
}

void PtyHost::updateLineSettings() {
    termios t{};
    if (::tcgetattr(slave_, &t) != 0) return;
    kvcom3::LineSettings settings;
    settings.baud = baudOf(::cfgetospeed(&t));
    settings.parity = (t.c_cflag & PARENB) ? ((t.c_cflag & PARODD) ? 'o' : 'e') : 'n';
    switch (t.c_cflag & CSIZE) {
        case CS5: settings.dataBits = 5; break;
        case CS6: settings.dataBits = 6; break;
        case CS7: settings.dataBits = 7; break;
        default: settings.dataBits = 8; break;
    }
    settings.stopBits = (t.c_cflag & CSTOPB) ? 2 : 1;
    line_->setLineSettings(settings);
}

void PtyHost::serviceInput(std::vector<std::uint8_t>& outbox) {
    std::uint8_t buffer[256];
    for (;;) {
        const auto got = ::read(master_, buffer, sizeof buffer);
        if (got > 0) {
            updateLineSettings();
            line_->fromHost(std::span<const std::uint8_t>(buffer, static_cast<std::size_t>(got)),
                            now());
            continue;
        }
        if (got < 0 && errno == EINTR) continue;
        break;
    }
    auto due = line_->takeDue(now());
    outbox.insert(outbox.end(), due.begin(), due.end());
}

void PtyHost::serve() {
    std::vector<std::uint8_t> outbox;
    while (!stopping_ && master_ >= 0) {
        serviceInput(outbox);
        while (!outbox.empty()) {
            const auto sent = ::write(master_, outbox.data(), outbox.size());
            if (sent > 0) {
                outbox.erase(outbox.begin(), outbox.begin() + sent);
            } else if (sent < 0 && errno == EINTR) {
                continue;
            } else {
                // Nobody reads the other side: a real line would lose these bytes too.
                if (outbox.size() > kOutboxLimit) outbox.clear();
                break;
            }
        }
        if (line_->unplugged()) {
            closePty();
            return;
        }

        // Woken to the microsecond: a paced byte or a reply waits for its own time, not for the
        // next whole millisecond, so the line's timing is the sensor's and not the host's.
        std::chrono::nanoseconds timeout = kWorldTick;
        if (auto next = line_->nextDue()) {
            const auto until = std::chrono::duration_cast<std::chrono::nanoseconds>(*next - now());
            timeout =
                std::clamp<std::chrono::nanoseconds>(until, std::chrono::microseconds{20}, timeout);
        }
        const timespec wait{static_cast<time_t>(timeout.count() / 1'000'000'000),
                            static_cast<long>(timeout.count() % 1'000'000'000)};
        pollfd fds[2] = {{master_, static_cast<short>(POLLIN | (outbox.empty() ? 0 : POLLOUT)), 0},
                         {wake_[0], POLLIN, 0}};
        const int ready = ::ppoll(fds, 2, &wait, nullptr);
        if (ready < 0 && errno != EINTR) fail("poll");
        if (ready > 0 && (fds[0].revents & POLLHUP) && !(fds[0].revents & POLLIN)) {
            // Nobody can hang up our own slave handle; should it happen, wait for stop only.
            pollfd wake{wake_[0], POLLIN, 0};
            ::poll(&wake, 1, static_cast<int>(kWorldTick.count()));
        }
        line_->advanceTo(now());
    }
}

}  // namespace kvsim

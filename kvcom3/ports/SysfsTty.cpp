#include "ports/SysfsTty.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <charconv>
#include <fstream>
#include <string>
#include <system_error>

namespace kvcom3 {

namespace fs = std::filesystem;

namespace {

// The first line of a sysfs attribute, without its newline; empty when there is none.
std::string attribute(const fs::path& file) {
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    return line;
}

}  // namespace

bool hasUart(const fs::path& sysTty, const fs::path& node) {
    std::error_code ec;
    if (fs::exists(sysTty / "type", ec)) return attribute(sysTty / "type") != "0";
    // O_NONBLOCK: opening must not wait for a modem carrier.
    const int fd = ::open(node.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return true;
    serial_struct info{};
    const bool unknown = ::ioctl(fd, TIOCGSERIAL, &info) == 0 && info.type == PORT_UNKNOWN;
    ::close(fd);
    return !unknown;
}

std::optional<UsbIdentity> usbIdentity(const fs::path& sysTty, const fs::path& sysRoot) {
    std::error_code ec;
    fs::path dir = fs::canonical(sysTty / "device", ec);
    if (ec) return std::nullopt;
    const fs::path root = fs::weakly_canonical(sysRoot, ec);
    // The USB device is the nearest parent with vendor and product ids, a few levels up from
    // the interface the tty hangs on.
    for (; !dir.empty() && dir != root && dir != dir.root_path(); dir = dir.parent_path()) {
        if (!fs::exists(dir / "idVendor", ec) || !fs::exists(dir / "idProduct", ec)) continue;
        UsbIdentity usb{attribute(dir / "idVendor"), attribute(dir / "idProduct"),
                        attribute(dir / "serial"), attribute(dir / "product")};
        return usb;
    }
    return std::nullopt;
}

std::optional<int> latencyTimer(const fs::path& sysTty) {
    const std::string text = attribute(sysTty / "device" / "latency_timer");
    int ms = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), ms);
    if (ec != std::errc() || end != text.data() + text.size() || ms < 0) return std::nullopt;
    return ms;
}

}  // namespace kvcom3

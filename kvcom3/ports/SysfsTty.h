#pragma once

#include <filesystem>
#include <optional>

#include "kvcom3/PortScan.h"

namespace kvcom3 {

// Whether a ttyS* port has a UART: the sysfs "type" of the port, or, where sysfs has none, what
// the driver reports for the device node. A port that cannot be asked counts as present.
bool hasUart(const std::filesystem::path& sysTty, const std::filesystem::path& node);

// The USB device above a tty in sysfs (`sysTty` is <sys>/class/tty/<name>), if it is on USB.
std::optional<UsbIdentity> usbIdentity(const std::filesystem::path& sysTty,
                                       const std::filesystem::path& sysRoot);

// The latency_timer the USB serial driver offers for the port, in milliseconds.
std::optional<int> latencyTimer(const std::filesystem::path& sysTty);

}  // namespace kvcom3

#pragma once

#include <optional>
#include <string>
#include <vector>

namespace kvcom3 {

// Where the machine's device nodes and its sysfs tree are; tests point these at a temporary
// tree built for the purpose.
struct ScanRoots {
    std::string dev = "/dev";
    std::string sys = "/sys";
};

// What identifies a USB serial adapter: ids as four hexadecimal digits, texts as the device
// reports them (empty when it reports none).
struct UsbIdentity {
    std::string vendor;
    std::string product;
    std::string serial;
    std::string description;
};

// One serial device of the machine, or a path a KVCOM3_PORT_<N> variable names.
// Latency timers above this hold each reply back noticeably; the udev rule we ship sets 1 ms.
inline constexpr int kSlowLatencyTimer = 2;

struct SerialPortInfo {
    std::string path;
    // kvcom3 port numbers that resolve to this device, and the variables among them that do so.
    std::vector<int> ports;
    std::vector<std::string> bindings;
    // The stable name under <dev>/serial/by-id, empty without one.
    std::string byId;
    std::optional<UsbIdentity> usb;
    // The adapter's receive latency timer in milliseconds (FTDI and similar chips hold received
    // bytes up to this long); empty where the driver has none.
    std::optional<int> latencyTimer;
    bool exists = false;
    bool readable = false;
    bool writable = false;
    // Group of the device node, and whether its members may read and write it.
    std::string group;
    bool groupGrantsAccess = false;
};

// The serial ports (ttyS*, ttyUSB*, ttyACM*) and the paths of the port variables, ordered by
// name. Unless `all`, a ttyS* with no UART behind it is left out.
std::vector<SerialPortInfo> scanPorts(const ScanRoots& roots, bool all);

// The full path of the device's link under <dev>/serial/by-id (the name an adapter keeps when it
// is plugged in again, perhaps as another ttyUSB), or empty without one. `path` may itself be a
// link. No errors.
std::string byIdPath(const std::string& path, const ScanRoots& roots = {});

}  // namespace kvcom3

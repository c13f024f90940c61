#pragma once

#include <string>

#include "kvcom3/KvError.h"
#include "kvcom3/PortScan.h"

namespace kvcom3 {

// A port's device that went away (an adapter pulled out, a pseudo-terminal closed), for programs
// that keep reading one sensor for hours and should go on when it is back rather than end.
class DeviceReturn {
  public:
    // Notes the device `port` leads to now and the name it comes back under: its
    // <dev>/serial/by-id link when it has one, else the port's own path. 9 for a port outside
    // 0-23.
    explicit DeviceReturn(int port, const ScanRoots& roots = {});

    // The path looked for.
    const std::string& name() const { return name_; }
    // Whether a transfer's error says that the device noted has gone: 75 or 53 while the name
    // leads to no device, or to another device node than the one noted (unplugged and plugged
    // in again between two readings). A device that was missing when noted never counts as
    // gone, and a failing device that stays in place is the caller's error as before. No errors.
    bool gone(const KvError& error) const;
    // Whether a device is there again under the name and this process may open it; if so, what
    // the port still held open is closed and the port leads to the name (bound to it when it led
    // elsewhere), so the next transfer opens the new device, the one noted from now on. Does not
    // block. No errors.
    bool back();

  private:
    struct Node {
        unsigned long long device = 0;
        unsigned long long inode = 0;
        bool operator==(const Node&) const = default;
    };
    static bool nodeOf(const std::string& path, Node& node);

    int port_;
    std::string name_;
    bool noted_ = false;
    Node node_;
};

}  // namespace kvcom3

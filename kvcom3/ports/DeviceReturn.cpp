#include "kvcom3/DeviceReturn.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "kvcom3/Ports.h"
#include "link/PortTable.h"

namespace kvcom3 {

DeviceReturn::DeviceReturn(int port, const ScanRoots& roots) : port_(port) {
    const std::string path = portDevicePath(port);
    const std::string byId = byIdPath(path, roots);
    name_ = byId.empty() ? path : byId;
    noted_ = nodeOf(name_, node_);
}

bool DeviceReturn::nodeOf(const std::string& path, Node& node) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return false;
    node = {static_cast<unsigned long long>(st.st_dev), static_cast<unsigned long long>(st.st_ino)};
    return true;
}

bool DeviceReturn::gone(const KvError& error) const {
    if (!noted_) return false;
    if (error.number() != platform_error::PathFileAccess &&
        error.number() != platform_error::FileNotFound)
        return false;
    Node now;
    return !nodeOf(name_, now) || now != node_;
}

bool DeviceReturn::back() {
    Node now;
    // A node that udev has not yet handed to its group would only fail the next open.
    if (!nodeOf(name_, now) || ::faccessat(AT_FDCWD, name_.c_str(), R_OK | W_OK, AT_EACCESS) != 0)
        return false;
    // The old device is closed either way, so the next transfer opens the one that came back.
    if (portDevicePath(port_) == name_)
        portSlot(port_).close();
    else
        bindPort(port_, name_);
    node_ = now;
    noted_ = true;
    return true;
}

}  // namespace kvcom3

#include "kvcom3/PortScan.h"

#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <system_error>
#include <tuple>

#include "kvcom3/Ports.h"
#include "ports/SysfsTty.h"

namespace kvcom3 {

namespace fs = std::filesystem;

namespace {

const char* const kFamilies[] = {"ttyS", "ttyUSB", "ttyACM"};

bool isSerialName(const std::string& name) {
    for (const std::string family : kFamilies) {
        if (name.size() > family.size() && name.starts_with(family) &&
            name.find_first_not_of("0123456789", family.size()) == std::string::npos)
            return true;
    }
    return false;
}

// Orders ttyS2 before ttyS10: by family, then by number.
std::tuple<std::string, std::size_t, std::string> sortKey(const std::string& path) {
    const std::string name = fs::path(path).filename().string();
    const std::size_t digits = name.find_first_of("0123456789");
    if (digits == std::string::npos) return {name, 0, path};
    return {name.substr(0, digits), name.size() - digits, name + path};
}

// Paths under /dev are looked for under the given device root instead.
std::string underDev(const std::string& path, const ScanRoots& roots) {
    if (roots.dev == "/dev" || !path.starts_with("/dev/")) return path;
    return roots.dev + path.substr(4);
}

std::string identity(const std::string& path) {
    std::error_code ec;
    const fs::path resolved = fs::weakly_canonical(path, ec);
    return ec ? path : resolved.string();
}

std::string byIdName(const std::string& canonicalPath, const ScanRoots& roots) {
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(fs::path(roots.dev) / "serial" / "by-id", ec))
        if (identity(entry.path().string()) == canonicalPath)
            return entry.path().filename().string();
    return {};
}

void fillAccess(SerialPortInfo& port) {
    struct stat st {};
    port.exists = ::stat(port.path.c_str(), &st) == 0;
    if (!port.exists) return;
    port.readable = ::faccessat(AT_FDCWD, port.path.c_str(), R_OK, AT_EACCESS) == 0;
    port.writable = ::faccessat(AT_FDCWD, port.path.c_str(), W_OK, AT_EACCESS) == 0;
    const group* g = ::getgrgid(st.st_gid);
    port.group = g != nullptr ? g->gr_name : std::to_string(st.st_gid);
    port.groupGrantsAccess = (st.st_mode & S_IRGRP) != 0 && (st.st_mode & S_IWGRP) != 0;
}

}  // namespace

std::string byIdPath(const std::string& path, const ScanRoots& roots) {
    const std::string name = byIdName(identity(path), roots);
    return name.empty() ? name : (fs::path(roots.dev) / "serial" / "by-id" / name).string();
}

std::vector<SerialPortInfo> scanPorts(const ScanRoots& roots, bool all) {
    // Keyed by the resolved path, so that a link and its device are one port.
    std::map<std::string, SerialPortInfo> found;
    std::error_code ec;
    const fs::path sysTty = fs::path(roots.sys) / "class" / "tty";
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(sysTty, ec))
        names.push_back(entry.path().filename().string());
    for (const auto& entry : fs::directory_iterator(roots.dev, ec))
        names.push_back(entry.path().filename().string());
    for (const std::string& name : names) {
        if (!isSerialName(name)) continue;
        const fs::path node = fs::path(roots.dev) / name;
        if (!fs::exists(node, ec)) continue;
        if (name.starts_with("ttyS") && !all && !hasUart(sysTty / name, node)) continue;
        SerialPortInfo& port = found[identity(node.string())];
        if (!port.path.empty()) continue;
        port.path = node.string();
        port.usb = usbIdentity(sysTty / name, roots.sys);
        port.latencyTimer = latencyTimer(sysTty / name);
    }
    for (int number = 0; number < kPortCount; ++number) {
        const std::string variable = "KVCOM3_PORT_" + std::to_string(number);
        const char* bound = std::getenv(variable.c_str());
        const std::string path = underDev(portDevicePath(number), roots);
        auto it = found.find(identity(path));
        // A variable is listed even when its path is missing: that is worth knowing.
        if (it == found.end() && bound == nullptr) continue;
        SerialPortInfo& port = found[identity(path)];
        if (port.path.empty()) port.path = path;
        port.ports.push_back(number);
        if (bound != nullptr) port.bindings.push_back(variable);
    }
    std::vector<SerialPortInfo> list;
    for (auto& [resolved, port] : found) {
        port.byId = byIdName(resolved, roots);
        fillAccess(port);
        list.push_back(std::move(port));
    }
    std::sort(list.begin(), list.end(), [](const SerialPortInfo& a, const SerialPortInfo& b) {
        return sortKey(a.path) < sortKey(b.path);
    });
    return list;
}

}  // namespace kvcom3

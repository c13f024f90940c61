#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "Json.h"
#include "Session.h"
#include "kvcom3/PortScan.h"

namespace kvtool {

namespace {

using kvcom3::SerialPortInfo;

std::string accessText(const SerialPortInfo& port) {
    if (!port.exists) return "not found";
    if (port.readable && port.writable) return "access rw";
    std::string text = port.readable ? "access r" : port.writable ? "access w" : "access none";
    if (port.groupGrantsAccess) text += " (group " + port.group + " grants access)";
    return text;
}

std::string numberList(const std::vector<int>& numbers) {
    std::string text;
    for (const int n : numbers) text += (text.empty() ? "" : ",") + std::to_string(n);
    return text;
}

std::string textList(const std::vector<std::string>& texts) {
    std::string json;
    for (const auto& t : texts) json += (json.empty() ? "" : ",") + jsonString(t);
    return "[" + json + "]";
}

void printText(std::ostream& out, const SerialPortInfo& port) {
    out << port.path;
    if (!port.ports.empty()) {
        out << (port.ports.size() > 1 ? "  ports " : "  port ") << numberList(port.ports);
        for (const auto& variable : port.bindings) out << ' ' << variable;
    }
    if (!port.byId.empty()) out << "  by-id " << port.byId;
    if (port.usb) {
        out << "  usb " << port.usb->vendor << ':' << port.usb->product;
        if (!port.usb->serial.empty()) out << " serial " << port.usb->serial;
        if (!port.usb->description.empty()) out << " \"" << port.usb->description << '"';
    }
    if (port.latencyTimer) {
        out << "  latency " << *port.latencyTimer << " ms";
        if (*port.latencyTimer > kvcom3::kSlowLatencyTimer)
            out << " (slow: above " << kvcom3::kSlowLatencyTimer << " ms)";
    }
    out << "  " << accessText(port) << '\n';
}

std::string json(const SerialPortInfo& port) {
    JsonObject object;
    object.text("path", port.path)
        .raw("ports", "[" + numberList(port.ports) + "]")
        .raw("bindings", textList(port.bindings))
        .raw("byId", port.byId.empty() ? "null" : jsonString(port.byId));
    if (port.usb) {
        object.raw("usb", JsonObject()
                              .text("vendor", port.usb->vendor)
                              .text("product", port.usb->product)
                              .text("serial", port.usb->serial)
                              .text("description", port.usb->description)
                              .str());
    } else {
        object.raw("usb", "null");
    }
    object.raw("latencyTimer", port.latencyTimer ? std::to_string(*port.latencyTimer) : "null");
    object.raw("exists", port.exists ? "true" : "false")
        .text("access", std::string(port.readable ? "r" : "") + (port.writable ? "w" : ""))
        .raw("group", port.exists ? jsonString(port.group) : "null")
        .raw("groupGrantsAccess", port.groupGrantsAccess ? "true" : "false");
    return object.str();
}

struct PortsOptions {
    bool all = false;
    kvcom3::ScanRoots roots;
};

}  // namespace

void addPortsCommand(CLI::App& app, CommandList& commands) {
    auto o = std::make_shared<PortsOptions>();
    auto* cmd = app.add_subcommand(
        "ports",
        "List the machine's serial ports: device path, the kvcom3 port numbers and "
        "KVCOM3_PORT_<N> variables that lead to it, the stable by-id name, USB ids and serial "
        "number, the USB adapter's latency timer (flagged above 2 ms), and whether you may open "
        "it");
    cmd->add_flag("--all", o->all, "Also list ttyS ports that have no UART behind them");
    // Where the device nodes and sysfs are; for trying the listing on a tree of one's own.
    cmd->add_option("--dev-root", o->roots.dev)->group("");
    cmd->add_option("--sys-root", o->roots.sys)->group("");
    cmd->footer(
        "Needs no sensor; the connection options are ignored. A port you may not open says "
        "which group grants access (add yourself to it: sudo usermod -aG dialout $USER). A "
        "latency timer above 2 ms holds every reply back; the packaged udev rule sets 1 ms.\n"
        "Example: kvtool ports\n"
        "Example: kvtool --json ports   (one object a line)");
    commands.addLocal(cmd, [o](std::ostream& out, bool asJson) {
        for (const SerialPortInfo& port : kvcom3::scanPorts(o->roots, o->all)) {
            if (asJson)
                out << json(port) << '\n';
            else
                printText(out, port);
        }
        return 0;
    });
}

}  // namespace kvtool

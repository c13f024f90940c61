// kvtool scan: which ports, addresses and production positions have a sensor behind them, each
// place tried with the library's short scan attempts.
#include <algorithm>
#include <iostream>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "Connection.h"
#include "Interrupt.h"
#include "Json.h"
#include "Positions.h"
#include "Reporter.h"
#include "Session.h"
#include "TraceLines.h"
#include "kvcom3/Clock.h"
#include "kvcom3/ISensMem.h"
#include "kvcom3/KvError.h"
#include "kvcom3/PortScan.h"
#include "kvcom3/Ports.h"
#include "kvcom3/ScanAttempts.h"

namespace kvtool {

namespace {

constexpr int kAnyId = -1;
constexpr int kLastKvbusId = 29;
constexpr int kCancel = 32755;

struct ScanOptions {
    bool allPorts = false;
    std::string protocol = "both";
    std::vector<int> ids{kAnyId};
    // --board was given: the places are production positions.
    bool behindBoard = false;
    kvcom3::ScanRoots roots;
};

// A device to try and the port numbers that lead to it.
struct Line {
    std::string path;
    std::vector<int> ports;
};

// Where a sensor was asked for.
struct Place {
    std::string protocol;
    int id = kAnyId;
    std::optional<int> board;
    std::optional<int> position;
};

struct Found {
    std::string path;
    std::vector<int> ports;
    Place place;
    int platform = 0;
    int part = 0;
    std::string serial;
};

// "any" for the address every sensor answers, else numbers and rising ranges 0-255, each once.
std::optional<std::vector<int>> parseIds(std::string_view text) {
    std::vector<int> ids;
    std::string numbers;
    while (!text.empty()) {
        const std::size_t comma = text.find(',');
        const std::string_view item = text.substr(0, comma);
        if (item == "any") {
            if (std::find(ids.begin(), ids.end(), kAnyId) != ids.end()) return std::nullopt;
            ids.push_back(kAnyId);
        } else {
            numbers += (numbers.empty() ? "" : ",") + std::string(item);
        }
        if (comma == std::string_view::npos) break;
        text.remove_prefix(comma + 1);
        if (text.empty()) return std::nullopt;
    }
    if (!numbers.empty()) {
        const auto rest = parsePositions(numbers);
        if (!rest) return std::nullopt;
        ids.insert(ids.end(), rest->begin(), rest->end());
    }
    if (ids.empty()) return std::nullopt;
    return ids;
}

// Nobody answered at the place (or only noise did): the next place is tried.
bool nobodyThere(int number) {
    return number == 1000 || number == 1001 || number == 1200 || number == 1201 || number == 1202;
}

// The device itself failed: its other places would fail the same way.
bool deviceFailed(int number) {
    return number == kvcom3::platform_error::FileNotFound ||
           number == kvcom3::platform_error::PermissionDenied ||
           number == kvcom3::platform_error::PathFileAccess ||
           number == kvcom3::platform_error::PortAlreadyOpen ||
           number == kvcom3::platform_error::InvalidPropertyValue;
}

std::vector<Line> linesToScan(const ConnectionOptions& connection, const ScanOptions& o) {
    if (!o.allPorts) {
        const std::string path =
            connection.device.empty() ? kvcom3::portDevicePath(connection.port) : connection.device;
        return {{path, {connection.port}}};
    }
    std::vector<Line> lines;
    for (const auto& port : kvcom3::scanPorts(o.roots, false))
        if (port.exists) lines.push_back({port.path, port.ports});
    return lines;
}

std::string numberList(const std::vector<int>& numbers) {
    std::string text;
    for (const int n : numbers) text += (text.empty() ? "" : ",") + std::to_string(n);
    return text;
}

std::string addressText(int id) {
    return id == kAnyId ? "any" : std::to_string(id);
}

std::string placeText(const Place& p) {
    std::string text = p.protocol + " address " + addressText(p.id);
    if (p.position)
        text += " position " + std::to_string(*p.board) + ":" + std::to_string(*p.position);
    return text;
}

std::string jsonOptional(const std::optional<int>& value) {
    return value ? std::to_string(*value) : "null";
}

std::string json(const Found& f) {
    return JsonObject()
        .text("device", f.path)
        .raw("ports", "[" + numberList(f.ports) + "]")
        .text("protocol", f.place.protocol)
        .raw("address", f.place.id == kAnyId ? "null" : std::to_string(f.place.id))
        .raw("board", jsonOptional(f.place.board))
        .raw("position", jsonOptional(f.place.position))
        .number("platform", f.platform)
        .number("partNumber", f.part)
        .text("serialNumber", f.serial)
        .str();
}

// One row per sensor under a header, each column as wide as its widest entry.
void printTable(std::ostream& out, const std::vector<Found>& found) {
    if (found.empty()) {
        out << "no sensor answered\n";
        return;
    }
    std::vector<std::vector<std::string>> rows{
        {"DEVICE", "PORT", "PROTOCOL", "ADDRESS", "POSITION", "PLATFORM", "PART", "SERIAL"}};
    for (const Found& f : found) {
        rows.push_back({f.path, f.ports.empty() ? "-" : numberList(f.ports), f.place.protocol,
                        addressText(f.place.id),
                        f.place.position ? std::to_string(*f.place.board) + ":" +
                                               std::to_string(*f.place.position)
                                         : "-",
                        std::to_string(f.platform), std::to_string(f.part),
                        f.serial.empty() ? "-" : f.serial});
    }
    std::vector<std::size_t> widths(rows.front().size(), 0);
    for (const auto& row : rows)
        for (std::size_t i = 0; i < row.size(); ++i) widths[i] = std::max(widths[i], row[i].size());
    for (const auto& row : rows) {
        std::string line;
        for (std::size_t i = 0; i < row.size(); ++i)
            line += row[i] + (i + 1 < row.size() ? std::string(widths[i] - row[i].size() + 2, ' ')
                                                 : std::string());
        out << line << '\n';
    }
}

class Scan {
  public:
    Scan(const ConnectionOptions& connection, const ScanOptions& o)
        : connection_(connection), options_(o) {}

    // The exit status: 1 when a device or a place failed otherwise than by staying silent.
    int run(std::ostream& out, bool asJson) {
        Reporter reporter(sensor_, std::cerr, connection_.log, false);
        cancelOnInterrupt(sensor_);
        if (connection_.trace) traceFrames(std::cerr);
        {
            const kvcom3::ScanAttempts shortened;
            for (const Line& line : linesToScan(connection_, options_)) {
                scanLine(line);
                if (cancelled_) break;
            }
        }
        kvcom3::setEventPump(nullptr);
        // A scan that failed and found nothing has nothing to say but its errors.
        if (failed_ && found_.empty()) return 1;
        if (asJson) {
            out << "[\n";
            for (std::size_t i = 0; i < found_.size(); ++i)
                out << (i > 0 ? ",\n" : "") << json(found_[i]);
            out << (found_.empty() ? "" : "\n") << "]\n";
        } else {
            printTable(out, found_);
        }
        out.flush();
        return failed_ ? 1 : 0;
    }

  private:
    std::vector<Place> places() const {
        std::vector<std::optional<int>> positions;
        if (options_.behindBoard) {
            if (connection_.positions.empty()) positions.push_back(connection_.position);
            for (const int p : connection_.positions) positions.push_back(p);
        } else {
            positions.push_back(std::nullopt);
        }
        std::vector<std::string> protocols{"kvbus", "modbus"};
        if (options_.protocol != "both") protocols = {options_.protocol};
        std::vector<Place> list;
        for (const auto& protocol : protocols)
            for (const auto& position : positions)
                for (const int id : options_.ids) {
                    if (protocol == "kvbus" && id > kLastKvbusId) continue;
                    list.push_back({protocol, id,
                                    position ? std::optional<int>(connection_.board) : std::nullopt,
                                    position});
                }
        return list;
    }

    void scanLine(const Line& line) {
        try {
            for (const Place& place : places()) {
                if (!tryPlace(line, place)) break;
            }
            closeConnection(sensor_, connection_);
        } catch (const kvcom3::KvError& e) {
            report(line.path, e);
        }
    }

    // Whether the line's next place is worth trying.
    bool tryPlace(const Line& line, const Place& place) {
        // Connected as every other command connects, so the line options hold here too.
        ConnectionOptions at = connection_;
        at.device = line.path;
        at.protocol = place.protocol;
        at.id = place.id;
        at.board = place.board.value_or(0);
        at.position = place.position.value_or(0);
        openConnection(sensor_, at);
        try {
            Found f{line.path, line.ports, place, sensor_.Platform(), sensor_.PartNr(), {}};
            f.serial = sensor_.SerialNr(true);
            found_.push_back(std::move(f));
            return true;
        } catch (const kvcom3::KvError& e) {
            if (nobodyThere(e.number())) return true;
            if (deviceFailed(e.number())) throw;
            report(line.path + " " + placeText(place), e);
            // Ctrl-C ends the whole scan, not just the place it came during.
            cancelled_ = e.number() == kCancel;
            return !cancelled_;
        }
    }

    void report(const std::string& where, const kvcom3::KvError& e) {
        std::cerr << "kvtool: " << where << ": error " << e.number() << ": " << e.description()
                  << '\n';
        failed_ = true;
        try {
            closeConnection(sensor_, connection_);
        } catch (const kvcom3::KvError&) {
            // The port number was checked when the options were read.
        }
    }

    const ConnectionOptions& connection_;
    const ScanOptions& options_;
    kvcom3::ISensMem sensor_;
    std::vector<Found> found_;
    bool failed_ = false;
    bool cancelled_ = false;
};

}  // namespace

void addScanCommand(CLI::App& app, CommandList& commands, const ConnectionOptions& connection) {
    auto o = std::make_shared<ScanOptions>();
    auto* cmd = app.add_subcommand(
        "scan",
        "Find sensors: try each port, protocol, address and production position with a few quick "
        "attempts and list what answers (device, port, protocol, address, position, platform, "
        "part number, serial number)");
    cmd->add_flag("--all-ports", o->allPorts,
                  "Try every serial port 'kvtool ports' lists, instead of --port or --device");
    auto* protocol = cmd->add_option("--protocol", o->protocol, "Protocols to try")
                         ->check(CLI::IsMember({"kvbus", "modbus", "both"}))
                         ->capture_default_str();
    auto* ids =
        cmd->add_option("--ids",
                        "Sensor addresses to try: 'any' (the address every sensor answers; finds "
                        "a sensor alone on its line), numbers and ranges such as 1-10,247 (KVBUS "
                        "takes 0-29 of them, Modbus 0-255)")
            ->type_name("LIST")
            ->default_str("any")
            ->check(CLI::Validator(
                [](std::string& text) -> std::string {
                    if (!parseIds(text))
                        return "'" + text +
                               "' is not a list of addresses such as any, 0-29 or "
                               "1-10,247, each once";
                    return {};
                },
                ""))
            ->each([o](const std::string& text) {
                o->ids = parseIds(text).value_or(std::vector<int>{kAnyId});
            });
    cmd->add_option("--dev-root", o->roots.dev)->group("");
    cmd->add_option("--sys-root", o->roots.sys)->group("");
    cmd->footer(
        "Every place gets the library's short scan attempts instead of a transfer's full retries, "
        "so an empty place costs well under a second (about 0.25 s on KVBUS, 0.3 s on Modbus); "
        "scanning all 247 Modbus addresses of one port takes over a minute. The connection "
        "options --port, --device, --board with --position or --positions say where to look; "
        "--protocol and --id before the command are taken when scan's own are not given.\n"
        "Exit status: 0 when the scan ran through (whether or not a sensor answered), 1 when a "
        "device could not be opened or a place answered with an error (on stderr; the table "
        "then lists only what other places found).\n"
        "Example: kvtool scan --all-ports\n"
        "Example: kvtool --device /dev/ttyUSB0 scan --protocol modbus --ids 1-10,247\n"
        "Example: kvtool --json --board 1 --positions 1-8 scan --protocol kvbus   (one array)");
    commands.addLocal(cmd, [&app, &connection, o, protocol, ids](std::ostream& out, bool asJson) {
        // The options before the command count when scan's own are not given.
        if (protocol->count() == 0 && app.get_option("--protocol")->count() > 0)
            o->protocol = connection.protocol;
        if (ids->count() == 0 && app.get_option("--id")->count() > 0) o->ids = {connection.id};
        o->behindBoard = app.get_option("--board")->count() > 0;
        return Scan(connection, *o).run(out, asJson);
    });
}

}  // namespace kvtool

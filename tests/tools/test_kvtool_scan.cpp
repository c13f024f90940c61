// kvtool scan against virtual sensors on ptys: what it finds, and what an empty place costs in
// attempts.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "kvcom3/ScanAttempts.h"
#include "tools/KvtoolProcess.h"

namespace kvtool_test {
namespace {

namespace fs = std::filesystem;

// Sensors on ptys reached through links in a directory of their own; sensor i is also
// KVCOM3_PORT_<5+i>. "{i}" in an argument stands for sensor i's link, "{empty}" for an empty
// directory (a /dev and /sys without serial ports), "{file}" for a plain file.
class Bench {
  public:
    explicit Bench(const std::vector<std::vector<std::string>>& sensors) {
        std::string pattern = (fs::temp_directory_path() / "kvtool-scan-XXXXXX").string();
        dir_ = ::mkdtemp(pattern.data());
        fs::create_directory(dir_ / "empty");
        std::ofstream(dir_ / "file") << "no serial port\n";
        for (std::size_t i = 0; i < sensors.size(); ++i) {
            std::vector<std::string> args = sensors[i];
            args.insert(args.end(), {"--no-noise", "--link", link(i)});
            sims_.push_back(std::make_unique<VirtualSensor>(args));
        }
    }
    ~Bench() {
        sims_.clear();
        fs::remove_all(dir_);
    }

    std::string link(std::size_t i) const { return (dir_ / ("s" + std::to_string(i))).string(); }

    RunResult scan(std::vector<std::string> args, std::vector<std::string> env = {}) const {
        for (std::size_t i = 0; i < sims_.size(); ++i)
            env.push_back("KVCOM3_PORT_" + std::to_string(5 + i) + "={" + std::to_string(i) + "}");
        for (auto* list : {&args, &env}) {
            for (std::string& arg : *list) {
                for (std::size_t i = 0; i < sims_.size(); ++i)
                    replace(arg, "{" + std::to_string(i) + "}", link(i));
                replace(arg, "{empty}", (dir_ / "empty").string());
                replace(arg, "{file}", (dir_ / "file").string());
            }
        }
        return kvtool(args, env);
    }

  private:
    static void replace(std::string& text, const std::string& from, const std::string& to) {
        if (const std::size_t at = text.find(from); at != std::string::npos)
            text.replace(at, from.size(), to);
    }

    fs::path dir_;
    std::vector<std::unique_ptr<VirtualSensor>> sims_;
};

struct FindCase {
    const char* name;
    std::vector<std::vector<std::string>> sensors;
    std::vector<std::string> args;
    std::vector<std::string> env;
    // One row per sensor found, in order: "LINK PORTS PROTOCOL BOARD:POSITION PLATFORM", with the
    // index of the sensor's link and "-" for no position.
    std::vector<std::string> rows;
    int status;
};

TEST(KvtoolScan, FindsTheSensorsBehindTheMultiplexerAndOnEveryPort) {
    const FindCase cases[] = {
        {"multiplexer positions, one empty",
         {{"--sensor", "p8-co2-temp-rh@1:1", "--sensor", "p7-pv1@1:3"}},
         {"--json", "--device", "{0}", "--board", "1", "--positions", "1-3", "scan", "--protocol",
          "kvbus"},
         {},
         {"0 [1] kvbus 1:1 8", "0 [1] kvbus 1:3 7"},
         0},
        {"two ptys, one protocol each",
         {{"--profile", "p8-co2-temp-rh"}, {"--profile", "p7-pv1", "--protocol", "modbus"}},
         {"--json", "scan", "--all-ports", "--dev-root", "{empty}", "--sys-root", "{empty}"},
         {},
         {"0 [5] kvbus - 8", "1 [6] modbus - 7"},
         0},
        {"a file that is no serial port beside a sensor",
         {{"--profile", "p8-co2-temp-rh", "--protocol", "modbus"}},
         {"--json", "scan", "--all-ports", "--dev-root", "{empty}", "--sys-root", "{empty}"},
         {"KVCOM3_PORT_4={file}"},
         {"0 [5] modbus - 8"},
         1},
    };
    for (const FindCase& c : cases) {
        SCOPED_TRACE(c.name);
        const Bench bench(c.sensors);
        const RunResult result = bench.scan(c.args, c.env);
        ASSERT_EQ(result.status, c.status) << result.err;
        const auto found = nlohmann::json::parse(result.out);
        std::vector<std::string> rows;
        for (const auto& row : found) {
            std::string link = "?";
            for (std::size_t i = 0; i < c.sensors.size(); ++i)
                if (row["device"] == bench.link(i)) link = std::to_string(i);
            rows.push_back(
                link + " " + row["ports"].dump() + " " + row["protocol"].get<std::string>() + " " +
                (row["position"].is_null() ? std::string("-")
                                           : row["board"].dump() + ":" + row["position"].dump()) +
                " " + row["platform"].dump());
            EXPECT_FALSE(row["serialNumber"].get<std::string>().empty()) << row;
        }
        EXPECT_EQ(rows, c.rows) << result.out;
    }
}

struct EmptyCase {
    const char* name;
    std::vector<std::string> sensor;
    std::vector<std::string> args;
    // A trace line of what each attempt at the empty place sends.
    std::string attempt;
};

// Counted, not timed: each attempt shows as one frame in the trace.
TEST(KvtoolScan, AnEmptyPlaceEndsAfterTheScanAttempts) {
    const EmptyCase cases[] = {
        {"KVBUS address",
         {"--profile", "p8-co2-temp-rh", "--id", "4"},
         {"--trace", "--device", "{0}", "scan", "--protocol", "kvbus", "--ids", "3"},
         "> E3"},
        {"Modbus address",
         {"--profile", "p8-co2-temp-rh", "--protocol", "modbus", "--id", "4"},
         {"--trace", "--device", "{0}", "scan", "--protocol", "modbus", "--ids", "3"},
         "> 03 44 00 41 01 .. .."},
        {"production position",
         {"--sensor", "p8-co2-temp-rh@1:1"},
         {"--trace", "--device", "{0}", "--board", "1", "--position", "2", "scan", "--protocol",
          "kvbus"},
         "> FE"},
    };
    for (const EmptyCase& c : cases) {
        SCOPED_TRACE(c.name);
        const Bench bench({c.sensor});
        const RunResult result = bench.scan(c.args);
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(result.out, "no sensor answered\n");
        std::istringstream trace(result.err);
        const std::regex attempt("[0-9.]+ " + c.attempt);
        int attempts = 0;
        for (std::string line; std::getline(trace, line);)
            if (std::regex_match(line, attempt)) ++attempts;
        EXPECT_EQ(attempts, kvcom3::kScanAttempts) << result.err;
    }
}

}  // namespace
}  // namespace kvtool_test

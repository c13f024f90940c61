#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "tools/KvtoolProcess.h"

namespace kvtool_test {
namespace {

using ::testing::HasSubstr;
using ::testing::MatchesRegex;
using ::testing::StartsWith;

const char* const kProfile = "p8-co2-temp-rh";
constexpr double kWorldTemperature = 30.0;
constexpr double kWorldCo2 = 1200.0;

struct Line {
    const char* name;
    std::vector<std::string> sensorArgs;
    std::vector<std::string> toolArgs;
};

// The leading number of a line such as "29.87 °C".
double leadingNumber(const std::string& text) {
    return std::strtod(text.c_str(), nullptr);
}

class KvtoolValues : public ::testing::TestWithParam<Line> {
  protected:
    KvtoolValues() : sensor_(sensorArgs()) {}

    std::vector<std::string> sensorArgs() const {
        std::vector<std::string> args{"--profile",     kProfile,
                                      "--temperature", std::to_string(kWorldTemperature),
                                      "--co2",         std::to_string(kWorldCo2),
                                      "--no-noise"};
        args.insert(args.end(), GetParam().sensorArgs.begin(), GetParam().sensorArgs.end());
        return args;
    }

    std::vector<std::string> line(const std::vector<std::string>& command) const {
        std::vector<std::string> args{"--device", sensor_.link()};
        args.insert(args.end(), GetParam().toolArgs.begin(), GetParam().toolArgs.end());
        args.insert(args.end(), command.begin(), command.end());
        return args;
    }

    RunResult tool(const std::vector<std::string>& command) const { return kvtool(line(command)); }

    VirtualSensor sensor_;
};

// The sensor's own temperature table is not adjusted to the world: near it, not equal.
TEST_P(KvtoolValues, ObjectsShowTheWorldWithTheirUnits) {
    RunResult temperature = tool({"get", "foChannelValue4"});
    EXPECT_EQ(temperature.status, 0) << temperature.err;
    EXPECT_THAT(temperature.out, MatchesRegex("-?[0-9]+(\\.[0-9]+)? °C\n"));
    EXPECT_NEAR(leadingNumber(temperature.out), kWorldTemperature, 2.0);

    RunResult co2 = tool({"get", "FOCO2VALUE"});
    EXPECT_EQ(co2.status, 0) << co2.err;
    EXPECT_THAT(co2.out, MatchesRegex("[0-9]+ ppm\n"));
    EXPECT_NEAR(leadingNumber(co2.out), kWorldCo2, 100.0);

    RunResult raw = tool({"get", "raChan_4"});
    EXPECT_EQ(raw.status, 0) << raw.err;
    EXPECT_THAT(raw.out, MatchesRegex("[0-9]+\n"));
}

TEST_P(KvtoolValues, EnumeratedObjectPrintsItsName) {
    RunResult probe = tool({"get", "foExtra_probe"});
    EXPECT_EQ(probe.status, 0) << probe.err;
    EXPECT_THAT(probe.out, StartsWith("RH probe"));
}

TEST_P(KvtoolValues, SetCellReadsBackFromTheSensor) {
    RunResult set = tool({"set", "raABC_Sample_1", "0x1234"});
    EXPECT_EQ(set.status, 0) << set.err;
    EXPECT_EQ(set.out, "4660\n");
    // The bytes themselves, most significant first, prove the write reached the sensor.
    RunResult peek = tool({"peek", "ram", "340", "2"});
    EXPECT_EQ(peek.out, "18 52\n");
}

TEST_P(KvtoolValues, MapAndTreeShowKnownKeys) {
    RunResult map = tool({"map"});
    EXPECT_EQ(map.status, 0) << map.err;
    EXPECT_THAT(map.out, HasSubstr("\n    raPart \"Part\" ram adr=65 size=1 mask=0 order=0\n"));

    RunResult tree = tool({"tree"});
    EXPECT_EQ(tree.status, 0) << tree.err;
    EXPECT_THAT(tree.out, HasSubstr("foChannelValue4"));
    EXPECT_THAT(tree.out, HasSubstr("  foPart \"Part\": 152\n"));
}

TEST_P(KvtoolValues, JsonOutputParses) {
    auto parsed = [](const RunResult& r) {
        EXPECT_EQ(r.status, 0) << r.err;
        return nlohmann::json::parse(r.out);
    };
    auto get = parsed(tool({"--json", "get", "foChannelValue4"}));
    EXPECT_EQ(get["key"], "foChannelValue4");
    EXPECT_EQ(get["unit"], "°C");
    EXPECT_NEAR(get["value"].get<double>(), kWorldTemperature, 2.0);

    auto cell = parsed(tool({"--json", "get", "raPart"}));
    EXPECT_EQ(cell["value"], 152);
    EXPECT_FALSE(cell.contains("unit"));

    auto info = parsed(tool({"--json", "info"}));
    EXPECT_EQ(info["platform"], 8);
    EXPECT_EQ(info["serialNumber"], "15212345");

    auto peek = parsed(tool({"--json", "peek", "ram", "65"}));
    EXPECT_EQ(peek["bytes"], nlohmann::json::array({152}));

    auto map = parsed(tool({"--json", "map"}));
    ASSERT_FALSE(map["nodes"].empty());
    EXPECT_EQ(map["nodes"][0]["key"], "eaEEPROM");
    EXPECT_EQ(map["nodes"][0]["size"], 0);

    auto tree = parsed(tool({"--json", "tree"}));
    ASSERT_FALSE(tree["nodes"].empty());
    EXPECT_EQ(tree["nodes"][0]["key"], "foSystem");
}

TEST_P(KvtoolValues, WatchReadsUntilCtrlC) {
    std::vector<std::string> argv{KVTOOL_PATH};
    for (const std::string& arg : line({"--json", "watch", "foChannelValue4", "--interval", "0.1"}))
        argv.push_back(arg);
    auto twoLines = [](const RunResult& sofar) {
        return std::count(sofar.out.begin(), sofar.out.end(), '\n') >= 2;
    };
    RunResult result = runSignalledWhen(argv, twoLines, SIGINT, std::chrono::seconds(30));
    EXPECT_EQ(result.status, 0) << result.err;
    std::istringstream lines(result.out);
    std::string text;
    int count = 0;
    while (std::getline(lines, text)) {
        auto reading = nlohmann::json::parse(text);
        EXPECT_EQ(reading["unit"], "°C");
        EXPECT_THAT(reading["time"].get<std::string>(),
                    MatchesRegex("[0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9:.]+"));
        ++count;
    }
    EXPECT_GE(count, 2);
}

TEST_P(KvtoolValues, MissingKeyIsObjectNotFound) {
    RunResult result = tool({"get", "foNoSuchThing"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "error 1110: Object not found\n");
}

INSTANTIATE_TEST_SUITE_P(Protocols, KvtoolValues,
                         ::testing::Values(Line{"kvbus", {"--protocol", "kvbus"}, {}},
                                           Line{"modbus",
                                                {"--protocol", "modbus"},
                                                {"--protocol", "modbus", "--id", "1"}}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kvtool_test

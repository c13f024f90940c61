#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/KvtoolProcess.h"

namespace kvtool_test {
namespace {

using ::testing::HasSubstr;
using ::testing::MatchesRegex;

// The profile's identity: platform 8, part byte 152, serial 12345 behind the part number; a
// processor version is told only by platform 7 sensors.
const char* const kProfile = "p8-co2-temp-rh";
const char* const kInfo =
    "platform: 8\npart number: 152\nprocessor version: 0\nEEPROM size: 2048\n"
    "serial number: 15212345\n";

struct Line {
    const char* name;
    std::vector<std::string> sensorArgs;
    std::vector<std::string> toolArgs;
};

class KvtoolOnLine : public ::testing::TestWithParam<Line> {
  protected:
    KvtoolOnLine() : sensor_(sensorArgs()) {}

    std::vector<std::string> sensorArgs() const {
        std::vector<std::string> args{"--profile", kProfile};
        args.insert(args.end(), GetParam().sensorArgs.begin(), GetParam().sensorArgs.end());
        return args;
    }

    RunResult tool(const std::vector<std::string>& command) const {
        std::vector<std::string> args{"--device", sensor_.link()};
        args.insert(args.end(), GetParam().toolArgs.begin(), GetParam().toolArgs.end());
        args.insert(args.end(), command.begin(), command.end());
        return kvtool(args);
    }

    VirtualSensor sensor_;
};

TEST_P(KvtoolOnLine, InfoAndSerialIdentifyTheSensor) {
    RunResult info = tool({"info"});
    EXPECT_EQ(info.status, 0) << info.err;
    EXPECT_EQ(info.out, kInfo);
    EXPECT_EQ(info.err, "");

    RunResult serial = tool({"serial"});
    EXPECT_EQ(serial.status, 0) << serial.err;
    EXPECT_EQ(serial.out, "15212345\n");
}

TEST_P(KvtoolOnLine, PeekPrintsTheBytesInDecimal) {
    RunResult part = tool({"peek", "ram", "65"});
    EXPECT_EQ(part.status, 0) << part.err;
    EXPECT_EQ(part.out, "152\n");

    // Ten bytes take more than one block on either protocol; the part byte sits at 65.
    RunResult block = tool({"peek", "ram", "0x3C", "10"});
    EXPECT_EQ(block.status, 0) << block.err;
    EXPECT_THAT(block.out, MatchesRegex("([0-9]+ ){5}152( [0-9]+){4}\n"));
}

TEST_P(KvtoolOnLine, PokedEepromBytesReadBack) {
    RunResult poke = tool({"--log", "poke", "eeprom", "100", "7", "0", "255", "9"});
    EXPECT_EQ(poke.status, 0) << poke.err;
    EXPECT_EQ(poke.out, "");
    EXPECT_THAT(poke.err, MatchesRegex("(.|\n)*action: Unlocking EEPROM\n(.|\n)*"
                                       "action: Writing to sensor\n(.|\n)*"
                                       "action: Locking EEPROM\n(.|\n)*"));

    RunResult peek = tool({"peek", "eeprom", "100", "4"});
    EXPECT_EQ(peek.status, 0) << peek.err;
    EXPECT_EQ(peek.out, "7 0 255 9\n");
}

TEST_P(KvtoolOnLine, LogShowsTheConnectionAndTheTransfers) {
    RunResult result = tool({"--log", "serial"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_THAT(result.err, HasSubstr("Connect port=1 ID="));
    EXPECT_THAT(result.err, HasSubstr("action: Reading from sensor\n"));
}

INSTANTIATE_TEST_SUITE_P(Protocols, KvtoolOnLine,
                         ::testing::Values(Line{"kvbus", {"--protocol", "kvbus"}, {}},
                                           Line{"modbus",
                                                {"--protocol", "modbus"},
                                                {"--protocol", "modbus", "--id", "1"}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(KvtoolPorts, PortNumberFindsItsDeviceInTheEnvironment) {
    VirtualSensor sensor({"--profile", kProfile});
    RunResult result = kvtool({"--port", "3", "serial"}, {"KVCOM3_PORT_3=" + sensor.link()});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "15212345\n");
}

TEST(KvtoolModbus, HoldingRegistersAreAddressedByByte) {
    VirtualSensor sensor({"--profile", kProfile, "--protocol", "modbus"});
    const std::vector<std::string> line{"--device", sensor.link(), "--protocol",
                                        "modbus",   "--id",        "1"};
    auto with = [&](std::vector<std::string> command) {
        std::vector<std::string> args = line;
        args.insert(args.end(), command.begin(), command.end());
        return kvtool(args);
    };
    // Holding register 16 is bytes 32 and 33, most significant first.
    RunResult poke = with({"poke", "hr", "32", "1", "44"});
    EXPECT_EQ(poke.status, 0) << poke.err;
    RunResult peek = with({"peek", "hr", "32", "2"});
    EXPECT_EQ(peek.status, 0) << peek.err;
    EXPECT_EQ(peek.out, "1 44\n");

    RunResult input = with({"peek", "ir", "0", "4"});
    EXPECT_EQ(input.status, 0) << input.err;
    EXPECT_THAT(input.out, MatchesRegex("[0-9]+ [0-9]+ [0-9]+ [0-9]+\n"));
}

}  // namespace
}  // namespace kvtool_test

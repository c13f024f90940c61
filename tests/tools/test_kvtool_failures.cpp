#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <csignal>
#include <string>
#include <vector>

#include "tools/KvtoolProcess.h"

namespace kvtool_test {
namespace {

using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::MatchesRegex;
using ::testing::StartsWith;

const char* const kProfile = "p8-co2-temp-rh";

// A failure is one line "error NUMBER: DESCRIPTION" on stderr, nothing on stdout, status 1.
void expectFailure(const RunResult& result, const std::string& line) {
    EXPECT_EQ(result.status, 1) << result.err;
    EXPECT_EQ(result.out, "");
    EXPECT_THAT(result.err, StartsWith(line)) << result.err;
    EXPECT_THAT(result.err, MatchesRegex("error [0-9]+: [^\n]+\n"));
}

TEST(KvtoolFailures, MissingDeviceIsFileNotFound) {
    RunResult result = kvtool({"--device", "/nonexistent/kvtool-tty", "info"});
    expectFailure(result, "error 53: File not found");
}

// A line that never answers costs every attempt of one transfer (about ten seconds each).
TEST(KvtoolFailures, SilentKvbusLineGivesUpWithCommunicationError) {
    VirtualSensor sensor({"--profile", kProfile, "--fault", "no-ctr"});
    RunResult result = kvtool({"--device", sensor.link(), "serial"});
    expectFailure(result, "error 1000: Communication error\n");
}

TEST(KvtoolFailures, ModbusSensorIgnoresAnotherSlaveAddress) {
    VirtualSensor sensor({"--profile", kProfile, "--protocol", "modbus", "--id", "3"});
    RunResult result = kvtool(
        {"--device", sensor.link(), "--protocol", "modbus", "--id", "4", "peek", "ram", "65"});
    expectFailure(result, "error 1000: Communication error\n");
}

TEST(KvtoolFailures, IdOutsideKvbusAddressesIsRefusedBeforeSending) {
    VirtualSensor sensor({"--profile", kProfile});
    RunResult result = kvtool({"--device", sensor.link(), "--id", "30", "serial"});
    expectFailure(result, "error 1101: Elegal ID number\n");
}

TEST(KvtoolFailures, CtrlCCancelsALongRead) {
    // At the line's pace the whole EEPROM takes seconds; the first action is the cue.
    VirtualSensor sensor({"--profile", kProfile, "--line-rate"});
    RunResult result = runSignalledOn(
        {KVTOOL_PATH, "--log", "--device", sensor.link(), "peek", "eeprom", "0", "2048"},
        "action: Reading from sensor", SIGINT, std::chrono::seconds(60));
    EXPECT_EQ(result.status, 1) << result.err;
    EXPECT_EQ(result.out, "");
    EXPECT_THAT(result.err, EndsWith("\nerror 32755: Cancel was selected\n"));
}

class KvtoolBadArguments : public ::testing::TestWithParam<std::vector<std::string>> {};

TEST_P(KvtoolBadArguments, EndWithStatusTwoAndAUsageHint) {
    // No sensor is needed: nothing may be sent for a bad command line.
    RunResult result = kvtool(GetParam());
    EXPECT_EQ(result.status, 2) << result.err;
    EXPECT_EQ(result.out, "");
    EXPECT_THAT(result.err, HasSubstr("--help"));
    EXPECT_THAT(result.err, ::testing::Not(HasSubstr("error 53")));
}

INSTANTIATE_TEST_SUITE_P(
    Lines, KvtoolBadArguments,
    ::testing::Values(
        std::vector<std::string>{}, std::vector<std::string>{"status"},
        std::vector<std::string>{"peek"}, std::vector<std::string>{"peek", "ram"},
        std::vector<std::string>{"peek", "rom", "0"}, std::vector<std::string>{"peek", "0", "0"},
        std::vector<std::string>{"peek", "ram", "65536"},
        std::vector<std::string>{"peek", "ram", "-1"},
        std::vector<std::string>{"peek", "ram", "12abc"},
        std::vector<std::string>{"peek", "ram", "0", "0"},
        std::vector<std::string>{"peek", "ram", "65535", "2"},
        std::vector<std::string>{"poke", "ram", "0"},
        std::vector<std::string>{"poke", "ram", "0", "256"},
        std::vector<std::string>{"poke", "ir", "0", "1"},
        std::vector<std::string>{"poke", "flash", "0", "1"},
        std::vector<std::string>{"--port", "24", "info"},
        std::vector<std::string>{"--id", "256", "info"},
        std::vector<std::string>{"--id", "-2", "info"},
        std::vector<std::string>{"--protocol", "rs485", "info"},
        std::vector<std::string>{"--board", "1", "info"},
        std::vector<std::string>{"--position", "256", "--board", "1", "info"},
        std::vector<std::string>{"--device"}, std::vector<std::string>{"get"},
        std::vector<std::string>{"set", "raPart"}, std::vector<std::string>{"watch"},
        std::vector<std::string>{"watch", "raPart", "--interval", "0"},
        std::vector<std::string>{"watch", "raPart", "--interval", "nan"},
        std::vector<std::string>{"watch", "raPart", "--interval", "1s"},
        std::vector<std::string>{"calibrate"},
        std::vector<std::string>{"calibrate", "cpX", "--input", "novalue"},
        std::vector<std::string>{"calibrate", "cpX", "--input", "=1"},
        std::vector<std::string>{"map", "extra"},
        std::vector<std::string>{"--board", "1", "--positions", "3-1", "info"},
        std::vector<std::string>{"--board", "1", "--positions", "1,2,1", "info"},
        std::vector<std::string>{"--board", "1", "--positions", "1-3,2", "info"},
        std::vector<std::string>{"--board", "1", "--positions", "250-256", "info"},
        std::vector<std::string>{"--board", "1", "--positions", "1,", "info"},
        std::vector<std::string>{"--board", "1", "--positions", "0x1", "info"},
        std::vector<std::string>{"--board", "1", "--positions", "-1", "info"},
        std::vector<std::string>{"--positions", "1-3", "info"},
        std::vector<std::string>{"--board", "1", "--position", "2", "--positions", "1-3", "info"},
        std::vector<std::string>{"--board", "1", "--positions", "1-3", "watch", "raPart"},
        std::vector<std::string>{"ports", "extra"}));

TEST(KvtoolHelp, EveryCommandShowsAnExample) {
    for (const char* command : {"info", "serial", "peek", "poke", "map", "get", "set", "tree",
                                "watch", "procedures", "calibrate", "ports"}) {
        RunResult result = kvtool({command, "--help"});
        EXPECT_EQ(result.status, 0) << command;
        EXPECT_THAT(result.out, HasSubstr("Example: kvtool")) << command;
    }
    RunResult peek = kvtool({"peek", "--help"});
    EXPECT_THAT(peek.out, HasSubstr("register r is bytes 2r and 2r+1"));
}

}  // namespace
}  // namespace kvtool_test

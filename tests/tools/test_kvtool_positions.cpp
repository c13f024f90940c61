#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "tools/KvtoolProcess.h"

namespace kvtool_test {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

constexpr const char* kProfile = "p8-co2-temp-rh";

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) result.push_back(line);
    return result;
}

// Sensors at positions 1 and 3 of board 1; position 2 is empty and never answers.
class KvtoolPositions : public ::testing::Test {
  protected:
    KvtoolPositions()
        : sensor_({"--sensor", std::string(kProfile) + "@1:1", "--sensor",
                   std::string(kProfile) + "@1:3", "--no-noise"}) {}

    RunResult tool(const std::vector<std::string>& command) const {
        std::vector<std::string> args{"--device", sensor_.link()};
        args.insert(args.end(), command.begin(), command.end());
        return kvtool(args);
    }

    VirtualSensor sensor_;
};

TEST_F(KvtoolPositions, AFailedPositionIsReportedAndTheOthersStillRun) {
    const RunResult serial = tool({"--board", "1", "--position", "1", "serial"});
    ASSERT_EQ(serial.status, 0) << serial.err;

    const RunResult result = tool({"--board", "1", "--positions", "1-3", "serial"});
    EXPECT_EQ(result.status, 1) << result.err;
    EXPECT_EQ(
        lines(result.out),
        (std::vector<std::string>{
            "position 1: " + lines(serial.out).at(0), "position 2: error 1000: Communication error",
            "position 3: " + lines(serial.out).at(0), "1 of 3 positions failed"}));
}

TEST_F(KvtoolPositions, ResultsOfSeveralLinesFollowTheirPositionIndented) {
    const RunResult result = tool({"--board", "1", "--positions", "3,1", "info"});
    EXPECT_EQ(result.status, 0) << result.err;
    const auto out = lines(result.out);
    ASSERT_EQ(out.size(), 13u) << result.out;
    EXPECT_EQ(out[0], "position 3:");
    EXPECT_EQ(out[1], "  platform: 8");
    EXPECT_EQ(out[6], "position 1:");
    EXPECT_THAT(out[11], StartsWith("  serial number: "));
    EXPECT_EQ(out[12], "0 of 2 positions failed");
}

TEST_F(KvtoolPositions, JsonIsOneArrayOnStdoutWithTheSummaryOnStderr) {
    const RunResult result =
        tool({"--json", "--board", "1", "--positions", "2,3", "get", "foChannelValue4"});
    EXPECT_EQ(result.status, 1);
    const auto out = lines(result.out);
    ASSERT_EQ(out.size(), 4u) << result.out;
    EXPECT_EQ(out[0], "[");
    EXPECT_EQ(out[1],
              "{\"board\":1,\"position\":2,\"error\":{\"number\":1000,\"description\":"
              "\"Communication error\"}},");
    EXPECT_TRUE(std::regex_match(
        out[2], std::regex(R"(\{"board":1,"position":3,"result":\{"key":"foChannelValue4",)"
                           R"("value":[0-9.-]+,"unit":"[^"]+"\}\})")))
        << out[2];
    EXPECT_EQ(out[3], "]");
    EXPECT_THAT(result.err, HasSubstr("1 of 2 positions failed\n"));
}

TEST_F(KvtoolPositions, ACommandWithoutOutputGivesNullAndWritesAtEveryPosition) {
    const RunResult poke =
        tool({"--json", "--board", "1", "--positions", "1,3", "poke", "eeprom", "100", "7", "8"});
    EXPECT_EQ(poke.status, 0) << poke.err;
    EXPECT_THAT(poke.out, HasSubstr("\"position\":1,\"result\":null}"));
    EXPECT_THAT(poke.out, HasSubstr("\"position\":3,\"result\":null}"));
    for (const char* at : {"1", "3"}) {
        const RunResult peek =
            tool({"--board", "1", "--position", at, "peek", "eeprom", "100", "2"});
        EXPECT_EQ(peek.out, "7 8\n") << at;
    }
}

}  // namespace
}  // namespace kvtool_test

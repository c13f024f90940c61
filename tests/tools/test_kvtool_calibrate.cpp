#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "tools/KvtoolProcess.h"

namespace kvtool_test {
namespace {

using ::testing::ContainsRegex;
using ::testing::HasSubstr;
using ::testing::MatchesRegex;

const char* const kProfile = "p8-co2-temp-rh";

std::vector<std::string> with(const std::vector<std::string>& line,
                              const std::vector<std::string>& command) {
    std::vector<std::string> args = line;
    args.insert(args.end(), command.begin(), command.end());
    return args;
}

TEST(KvtoolCalibrate, TemperatureOffsetAdjustmentMakesTheSensorShowTheTruth) {
    VirtualSensor sensor({"--profile", kProfile, "--temperature", "23.0", "--no-noise"});
    const std::vector<std::string> line{"--device", sensor.link()};

    RunResult before = kvtool(with(line, {"get", "foChannelValue4"}));
    ASSERT_EQ(before.status, 0) << before.err;
    // Without adjustment the sensor is off by more than the tolerance checked below.
    ASSERT_GT(std::abs(std::strtod(before.out.c_str(), nullptr) - 23.0), 0.1) << before.out;

    RunResult run = kvtool(with(line, {"--log", "calibrate", "cpSpaceTempOffsetAdjust", "--input",
                                       "cvSpaceTempOffsetAdjustCorrectTemp=23.0", "--no-input"}));
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_THAT(run.out, MatchesRegex("cpSpaceTempOffsetAdjust done\n"
                                      "(eaTable0_[0-9]+: [0-9]+ -> [0-9]+\n){17}"));
    EXPECT_THAT(run.err, ContainsRegex("action: Unlocking EEPROM\n(.|\n)*"
                                       "action: Writing to sensor\n(.|\n)*"
                                       "action: Locking EEPROM\n"));

    RunResult after = kvtool(with(line, {"get", "foChannelValue4"}));
    ASSERT_EQ(after.status, 0) << after.err;
    EXPECT_THAT(after.out, HasSubstr(" °C\n"));
    EXPECT_NEAR(std::strtod(after.out.c_str(), nullptr), 23.0, 0.1) << after.out;
}

class KvtoolCatalogue : public ::testing::Test {
  protected:
    KvtoolCatalogue() : sensor_({"--profile", kProfile, "--protocol", "modbus"}) {}

    RunResult tool(const std::vector<std::string>& command) const {
        return kvtool(
            with({"--device", sensor_.link(), "--protocol", "modbus", "--id", "1"}, command));
    }

    VirtualSensor sensor_;
};

TEST_F(KvtoolCatalogue, ProceduresListChannelsProceduresAndInputs) {
    RunResult text = tool({"procedures"});
    EXPECT_EQ(text.status, 0) << text.err;
    EXPECT_THAT(text.out, HasSubstr("ccSpaceTemp \"SpaceTemp\"\n  cpSpaceTempOffsetAdjust "
                                    "\"Offset adjust\"\n    cvSpaceTempOffsetAdjustCorrectTemp "
                                    "\"Correct temperature\": not set\n"));

    RunResult json = tool({"--json", "procedures"});
    ASSERT_EQ(json.status, 0) << json.err;
    auto catalogue = nlohmann::json::parse(json.out);
    ASSERT_FALSE(catalogue["channels"].empty());
    EXPECT_EQ(catalogue["channels"][0]["key"], "ccSpaceCO2");
    EXPECT_TRUE(catalogue["channels"][0]["procedures"][0]["inputs"][0]["value"].is_null());
}

TEST_F(KvtoolCatalogue, NoInputFailsInsteadOfAsking) {
    RunResult result = tool({"calibrate", "cpSpaceTempOffsetAdjust", "--no-input"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_THAT(result.err, HasSubstr("error 32755: Cancel was selected"));
}

TEST_F(KvtoolCatalogue, UnknownProcedureOrInputIsRefused) {
    RunResult procedure = tool({"calibrate", "cpNoSuchThing"});
    EXPECT_EQ(procedure.status, 1);
    EXPECT_THAT(procedure.err, HasSubstr("error 1000: Procedure not found"));

    RunResult input = tool({"calibrate", "cpSpaceTempOffsetAdjust", "--input", "cvWrong=1"});
    EXPECT_EQ(input.status, 1);
    EXPECT_THAT(input.err, HasSubstr("has no input cvWrong"));

    RunResult number = tool({"calibrate", "cpSpaceTempOffsetAdjust", "--input",
                             "cvSpaceTempOffsetAdjustCorrectTemp=warm"});
    EXPECT_EQ(number.status, 1);
    EXPECT_THAT(number.err, HasSubstr("error 380: Invalid property value"));
}

}  // namespace
}  // namespace kvtool_test

// Peek and poke where the sensor's memory does not match the bytes asked for one to one: half
// words, addresses beyond the EEPROM, and a write the sensor answers with noise.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/KvtoolProcess.h"

namespace kvtool_test {
namespace {

using ::testing::HasSubstr;

struct Case {
    const char* name;
    std::vector<std::string> sensorArgs;
    std::vector<std::string> toolArgs;
    std::vector<std::string> command;
    int status;
    const char* err;  // a part of stderr
    // Read before and after the command: the last byte must become `lastByte`, the rest stay.
    std::vector<std::string> check;
    int lastByte;
};

std::string withLastByte(const std::string& before, int lastByte) {
    const auto blank = before.find_last_of(' ');
    return (blank == std::string::npos ? "" : before.substr(0, blank + 1)) +
           std::to_string(lastByte) + "\n";
}

TEST(KvtoolMemoryEdges, PokeAndPeekEndAsTheSensorLetsThem) {
    const std::vector<std::string> modbus{"--protocol", "modbus"};
    const Case cases[] = {
        {"a write answered with noise",
         {"--profile", "p8-co2-temp-rh", "--protocol", "modbus", "--fault", "short-reply@2+"},
         modbus,
         {"poke", "ram", "100", "7"},
         1,
         "error 1000: Communication error\n",
         {},
         0},
        {"an odd byte of word EEPROM",
         {"--profile", "p6-co2"},
         {},
         {"poke", "eeprom", "171", "7"},
         0,
         "",
         {"peek", "eeprom", "170", "2"},
         7},
        {"an odd byte of a holding register",
         {"--profile", "p8-co2-temp-rh", "--protocol", "modbus"},
         modbus,
         {"poke", "hr", "33", "5"},
         0,
         "",
         {"peek", "hr", "32", "2"},
         5},
        {"a peek beyond the EEPROM",
         {"--profile", "p8-co2-temp-rh"},
         {},
         {"peek", "eeprom", "4000"},
         2,
         "is beyond the sensor's EEPROM of 2048 bytes",
         {},
         0},
        {"a poke running past the EEPROM",
         {"--profile", "p6-co2"},
         {},
         {"poke", "eeprom", "511", "1", "2"},
         2,
         "EEPROM address 512 is beyond the sensor's EEPROM of 512 bytes",
         {"peek", "eeprom", "510", "2"},
         -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        VirtualSensor sensor(c.sensorArgs);
        auto tool = [&](const std::vector<std::string>& command) {
            std::vector<std::string> args{"--device", sensor.link()};
            args.insert(args.end(), c.toolArgs.begin(), c.toolArgs.end());
            args.insert(args.end(), command.begin(), command.end());
            return kvtool(args);
        };
        const std::string before = c.check.empty() ? "" : tool(c.check).out;
        const RunResult result = tool(c.command);
        EXPECT_EQ(result.status, c.status) << result.err;
        EXPECT_THAT(result.err, HasSubstr(c.err));
        if (c.check.empty()) continue;
        const RunResult after = tool(c.check);
        EXPECT_EQ(after.out, c.lastByte < 0 ? before : withLastByte(before, c.lastByte))
            << after.err;
    }
}

}  // namespace
}  // namespace kvtool_test

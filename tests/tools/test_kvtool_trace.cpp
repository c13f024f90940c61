#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "tools/KvtoolProcess.h"

namespace kvtool_test {
namespace {

struct Frame {
    double seconds;
    char direction;
    std::string bytes;
};

// The trace lines of stderr; any other line there fails the test.
std::vector<Frame> frames(const std::string& err) {
    static const std::regex line(R"(([0-9]+\.[0-9]{3}) ([<>])((?: [0-9A-F]{2})+))");
    std::vector<Frame> result;
    std::istringstream in(err);
    for (std::string text; std::getline(in, text);) {
        std::smatch m;
        EXPECT_TRUE(std::regex_match(text, m, line)) << text;
        if (!m.empty()) result.push_back({std::stod(m[1]), m[2].str()[0], m[3].str().substr(1)});
    }
    return result;
}

TEST(KvtoolTrace, ShowsEveryFrameWithTimeAndDirectionOnStderrOnly) {
    VirtualSensor sensor({"--profile", "p8-co2-temp-rh"});
    const RunResult plain = kvtool({"--device", sensor.link(), "serial"});
    ASSERT_EQ(plain.status, 0) << plain.err;
    EXPECT_EQ(plain.err, "");

    const RunResult traced = kvtool({"--trace", "--device", sensor.link(), "serial"});
    ASSERT_EQ(traced.status, 0) << traced.err;
    EXPECT_EQ(traced.out, plain.out);
    const auto seen = frames(traced.err);
    ASSERT_GE(seen.size(), 4u) << traced.err;
    EXPECT_EQ(seen.front().direction, '>');
    int sent = 0;
    int received = 0;
    for (std::size_t i = 0; i < seen.size(); ++i) {
        (seen[i].direction == '>' ? sent : received) += 1;
        if (i > 0) {
            EXPECT_GE(seen[i].seconds, seen[i - 1].seconds);
        }
    }
    EXPECT_GT(sent, 0);
    EXPECT_GT(received, 0);
}

TEST(KvtoolTrace, ModbusFramesAndAFailureBothShow) {
    VirtualSensor sensor({"--profile", "p8-co2-temp-rh", "--protocol", "modbus", "--id", "3"});
    const RunResult result = kvtool(
        {"--trace", "--device", sensor.link(), "--protocol", "modbus", "--id", "4", "serial"});
    EXPECT_EQ(result.status, 1);
    // Requests to slave 4 go out again and again and nothing comes back; the error ends it.
    std::string err = result.err;
    const std::string last = "error 1000: Communication error\n";
    ASSERT_TRUE(err.ends_with(last)) << err;
    err.erase(err.size() - last.size());
    const auto seen = frames(err);
    ASSERT_GE(seen.size(), 2u);
    for (const Frame& f : seen) {
        EXPECT_EQ(f.direction, '>');
        EXPECT_TRUE(f.bytes.starts_with("04 ")) << f.bytes;
    }
}

// A KVBUS request of a platform-8 sensor that only reads: an address byte or a read frame.
bool onlyReads(const Frame& f) {
    const int first = std::stoi(f.bytes.substr(0, 2), nullptr, 16);
    const int form = first & 0xF8;
    return first >= 0xE0 || form == 0x80 || form == 0x88 || form == 0xC0 || form == 0xC8;
}

// A value the cell cannot hold fails before anything is written: no write frame, no command.
TEST(KvtoolTrace, ValuesThatDoNotFitSendNoWrite) {
    VirtualSensor sensor({"--profile", "p8-co2-temp-rh"});
    ASSERT_EQ(kvtool({"--device", sensor.link(), "set", "eawPar_9", "1900"}).status, 0);
    struct Row {
        const char* key;
        const char* value;
        const char* error;  // empty: written
    };
    const Row rows[] = {
        {"foLampOnTime", "1020", ""},
        {"foLampOnTime", "2000", "error 6: Overflow"},
        {"foCO2Tz", "300", "error 6: Overflow"},
        {"eaLampOn", "300", "error 6: Overflow"},
        {"foCO2ABCTarget", "7900", "error 6: Overflow"},
        {"foOutputMode0", "Bogus",
         "error 380: Invalid property value: 'Bogus' is not one of: Normal, 0%, 100%, Locked"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.key) + " " + row.value);
        const RunResult r =
            kvtool({"--trace", "--device", sensor.link(), "set", row.key, row.value});
        std::string err = r.err;
        const std::size_t last = err.rfind('\n', err.size() - 2);
        const std::string lastLine = err.substr(last == std::string::npos ? 0 : last + 1);
        const bool refused = *row.error != '\0';
        if (refused) {
            EXPECT_EQ(r.status, 1);
            EXPECT_THAT(lastLine, ::testing::StartsWith(row.error));
            err.erase(err.size() - lastLine.size());
        } else {
            EXPECT_EQ(r.status, 0) << r.err;
        }
        const auto sent = frames(err);
        const bool wrote = std::any_of(sent.begin(), sent.end(), [](const Frame& f) {
            return f.direction == '>' && !onlyReads(f);
        });
        EXPECT_EQ(wrote, !refused);
    }
}

}  // namespace
}  // namespace kvtool_test

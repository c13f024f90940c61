#include <gmock/gmock.h>
#include <gtest/gtest.h>

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

}  // namespace
}  // namespace kvtool_test

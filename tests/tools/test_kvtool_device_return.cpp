// A sensor whose serial device goes away: watch waits for it under the same link name and goes
// on; any other command still ends with error 75 at once.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdlib.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include "tools/KvtoolProcess.h"

namespace kvtool_test {
namespace {

using namespace std::chrono_literals;
using ::testing::HasSubstr;

namespace fs = std::filesystem;

struct ReturnCase {
    const char* name;
    std::vector<std::string> command;
    // What a reading, the line that says the sensor is gone, and the one that says it is back
    // look like; "LINK" stands for the link's path.
    std::string reading;
    std::string gone;
    std::string back;
};

std::regex pattern(std::string text, const std::string& link) {
    const std::size_t at = text.find("LINK");
    if (at != std::string::npos) text.replace(at, 4, link);
    return std::regex(text);
}

class KvtoolDeviceReturn : public ::testing::Test {
  protected:
    KvtoolDeviceReturn() {
        std::string pattern = (fs::temp_directory_path() / "kvtool-return-XXXXXX").string();
        dir_ = ::mkdtemp(pattern.data());
        link_ = (dir_ / "sensor").string();
    }
    ~KvtoolDeviceReturn() override {
        sensor_.reset();
        fs::remove_all(dir_);
    }

    void plugIn(std::vector<std::string> extra = {}) {
        std::vector<std::string> args{"--profile", "p8-co2-temp-rh", "--no-noise", "--link", link_};
        args.insert(args.end(), extra.begin(), extra.end());
        sensor_ = std::make_unique<kvtest::KvsimProcess>(args);
    }

    fs::path dir_;
    std::string link_;
    std::unique_ptr<kvtest::KvsimProcess> sensor_;
};

TEST_F(KvtoolDeviceReturn, WatchWaitsForTheSameLinkNameAndGoesOn) {
    const ReturnCase cases[] = {
        {"text",
         {"watch", "raPart", "--interval", "0.1"},
         R"(\S+ 152)",
         R"((\S+) sensor gone since (\S+) \(error 75: .*\), waiting for LINK)",
         R"(\S+ sensor back on LINK, gone since \S+)"},
        {"json",
         {"--json", "watch", "raPart", "--interval", "0.1"},
         R"(\{"time":"[^"]+","key":"raPart","value":152\})",
         R"(\{"time":"[^"]+","gone":\{"since":"[^"]+","error":\{"number":75,"description":"[^"]+"\},"waitingFor":"LINK"\}\})",
         R"(\{"time":"[^"]+","back":\{"goneSince":"[^"]+","device":"LINK"\}\})"},
    };
    for (const ReturnCase& c : cases) {
        SCOPED_TRACE(c.name);
        plugIn();
        std::vector<std::string> argv{KVTOOL_PATH, "--no-journal", "--device", link_};
        argv.insert(argv.end(), c.command.begin(), c.command.end());
        kvtest::Subprocess::Options options;
        options.captureStderr = true;
        options.noInput = true;
        kvtest::Subprocess tool(argv, options);
        auto next = [&tool] { return tool.readLine(10s).value_or("(no line)"); };
        EXPECT_TRUE(std::regex_match(next(), pattern(c.reading, link_)));
        sensor_->stop();
        // Readings already on their way may come first.
        std::string line = next();
        while (std::regex_match(line, pattern(c.reading, link_))) line = next();
        EXPECT_TRUE(std::regex_match(line, pattern(c.gone, link_))) << line;
        plugIn();
        line = next();
        EXPECT_TRUE(std::regex_match(line, pattern(c.back, link_))) << line;
        line = next();
        EXPECT_TRUE(std::regex_match(line, pattern(c.reading, link_))) << line;
        tool.signal(SIGINT);
        EXPECT_EQ(tool.wait(10s), 0) << tool.errorOutput();
    }
}

// Only a watch waits, and only for a device that went away.
TEST_F(KvtoolDeviceReturn, EverythingElseEndsWithError75AtOnce) {
    const std::string file = (dir_ / "file").string();
    std::ofstream(file) << "no serial port\n";
    struct Case {
        const char* name;
        std::string device;
        std::vector<std::string> command;
    };
    const Case cases[] = {
        {"a reading command whose device goes away", link_, {"get", "foChannelValue4"}},
        {"a watch whose device stays but fails", file, {"watch", "raPart"}},
    };
    plugIn({"--fault", "unplug@2"});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> args{"--no-journal", "--device", c.device};
        args.insert(args.end(), c.command.begin(), c.command.end());
        const RunResult result = kvtool(args);
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.out, "");
        EXPECT_THAT(result.err, HasSubstr("error 75: "));
    }
}

}  // namespace
}  // namespace kvtool_test

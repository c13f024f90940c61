#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <string>
#include <vector>

#include "model/Sensor.h"
#include "util/KvsimProcess.h"

namespace {

using namespace std::chrono_literals;

// mbpoll, a standard Modbus master, against the virtual sensor on its pty (9600,n,8,2).
struct Mbpoll {
    std::string device;

    // Reads, or writes `values` when there are any; returns the values mbpoll printed.
    std::map<int, int> run(std::vector<std::string> arguments, std::vector<std::string> values = {},
                           int* exitCode = nullptr, std::string* text = nullptr) const {
        std::vector<std::string> argv{"mbpoll", "-m", "rtu", "-b", "9600", "-P", "none",
                                      "-s",     "2",  "-0",  "-1", "-o",   "2"};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        argv.push_back(device);
        argv.insert(argv.end(), values.begin(), values.end());
        kvtest::Subprocess process(argv, true);
        const auto output = process.readAll(15s);
        const auto code = process.wait(5s);
        if (exitCode) *exitCode = code.value_or(-1);
        if (text) *text = output;
        std::map<int, int> printed;
        const std::regex value(R"(\[(\d+)\]:\s+(-?\d+))");
        for (std::sregex_iterator it(output.begin(), output.end(), value), end; it != end; ++it) {
            printed[std::stoi((*it)[1])] = std::stoi((*it)[2]);
        }
        return printed;
    }
};

TEST(Mbpoll, ReadsAndWritesRegistersOfTheVirtualSensor) {
    if (kvtest::onPath("mbpoll").empty()) GTEST_SKIP() << "mbpoll is not installed";
    if (kvtest::KvsimProcess::binary().empty()) GTEST_SKIP() << "kvsim program not built";
    const std::vector<std::string> world{"--co2", "800", "--temperature", "21.5",
                                         "--rh",  "40",  "--no-noise"};
    std::vector<std::string> arguments{"--profile", "p8-co2-temp-rh", "--protocol",
                                       "modbus",    "--id",           "3"};
    arguments.insert(arguments.end(), world.begin(), world.end());
    kvtest::KvsimProcess kvsim(arguments);
    const Mbpoll mbpoll{kvsim.path()};

    // The same sensor in this process, in the same world, gives the values to expect.
    auto model = kvsim::Sensor::fromProfile("p8-co2-temp-rh");
    model->world().co2ppm = 800;
    model->world().temperatureC = 21.5;
    model->world().rhPercent = 40;
    model->world().noise = false;
    model->advance(1.0);
    std::map<int, int> expected;
    for (int reg = 6; reg <= 8; ++reg) {
        std::uint16_t value = 0;
        ASSERT_TRUE(model->inputRegister(static_cast<std::uint16_t>(reg), value));
        expected[reg] = static_cast<std::int16_t>(value);
    }
    EXPECT_EQ(mbpoll.run({"-a", "3", "-t", "3", "-r", "6", "-c", "3"}), expected);

    int code = -1;
    mbpoll.run({"-a", "3", "-t", "4", "-r", "20"}, {"1234"}, &code);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(mbpoll.run({"-a", "3", "-t", "4", "-r", "20", "-c", "1"}),
              (std::map<int, int>{{20, 1234}}));

    std::string text;
    EXPECT_TRUE(
        mbpoll.run({"-a", "3", "-t", "3", "-r", "40", "-c", "1"}, {}, nullptr, &text).empty());
    EXPECT_NE(text.find("Illegal data address"), std::string::npos) << text;

    EXPECT_EQ(kvsim.stop(), 0);
}

}  // namespace

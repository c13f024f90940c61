// kvtool through adapters: echo on and off for both protocols against kvsim --echo, the Modbus
// baud rate option, and the environment variables of programs without options.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/KvtoolProcess.h"

namespace kvtool_test {
namespace {

std::vector<std::string> join(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST(KvtoolAdapterLine, EchoOnAndOffForBothProtocols) {
    struct Case {
        const char* name;
        std::vector<std::string> line;  // kvsim and kvtool arguments alike
        bool simEcho;
        std::vector<std::string> toolArgs;
        std::vector<std::string> env;
        int status;
        const char* errorText;  // on stderr when it fails
    } cases[] = {
        {"kvbus, no echo", {}, false, {}, {}, 0, ""},
        {"kvbus, echo taken off", {}, true, {"--echo"}, {}, 0, ""},
        {"kvbus, echo by variable", {}, true, {}, {"KVCOM3_ECHO=1"}, 0, ""},
        {"kvbus, echo heard as the answer", {}, true, {}, {}, 1, "error 1201"},
        {"kvbus behind the production network, echo taken off",
         {"--board", "1", "--position", "2"},
         true,
         {"--echo"},
         {},
         0,
         ""},
        {"modbus, no echo", {"--protocol", "modbus"}, false, {}, {}, 0, ""},
        {"modbus, echo taken off", {"--protocol", "modbus"}, true, {"--echo"}, {}, 0, ""},
        {"modbus, echo expected but none",
         {"--protocol", "modbus"},
         false,
         {"--echo"},
         {},
         1,
         "Echo fault: sent "},
    };
    std::string serial;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> simArgs = join({"--profile", "p8-co2-temp-rh"}, c.line);
        if (c.simEcho) simArgs.push_back("--echo");
        VirtualSensor sensor(simArgs);
        const auto args =
            join(join(join({"--log", "--device", sensor.link()}, c.line), c.toolArgs), {"serial"});
        const RunResult result = kvtool(args, c.env);
        ASSERT_EQ(result.status, c.status) << result.err;
        if (c.status != 0) {
            EXPECT_NE(result.err.find(c.errorText), std::string::npos) << result.err;
            EXPECT_EQ(result.out, "") << "a line fault is never data";
            continue;
        }
        if (serial.empty()) serial = result.out;
        EXPECT_EQ(result.out, serial);
        EXPECT_EQ(result.err.find("Echo fault"), std::string::npos) << result.err;
    }
}

TEST(KvtoolAdapterLine, BaudRateAndLineOptionsAreCheckedAndErrorsNamed) {
    VirtualSensor sensor({"--profile", "p8-co2-temp-rh", "--protocol", "modbus"});
    struct Case {
        const char* name;
        std::vector<std::string> args;
        std::vector<std::string> env;
        int status;
        const char* errorText;
    } cases[] = {
        {"another rate", {"--protocol", "modbus", "--baud", "19200"}, {}, 0, ""},
        {"rate by variable", {"--protocol", "modbus"}, {"KVCOM3_BAUD=38400"}, 0, ""},
        {"rs485 on a pty", {"--protocol", "modbus", "--rs485"}, {}, 0, ""},
        {"rate termios lacks",
         {"--protocol", "modbus", "--baud", "12345"},
         {},
         1,
         "error 380: Invalid property value: baud rate 12345"},
        {"variable not a number",
         {"--protocol", "modbus"},
         {"KVCOM3_BAUD=fast"},
         1,
         "error 380: Invalid property value: KVCOM3_BAUD=fast"},
        {"switch not 0 or 1",
         {"--protocol", "modbus"},
         {"KVCOM3_RS485=yes"},
         1,
         "error 380: Invalid property value: KVCOM3_RS485=yes"},
        {"rate for kvbus", {"--baud", "19200"}, {}, 2, "--baud"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto args = join(join({"--device", sensor.link()}, c.args), {"serial"});
        const RunResult result = kvtool(args, c.env);
        EXPECT_EQ(result.status, c.status) << result.err;
        EXPECT_NE(result.err.find(c.errorText), std::string::npos) << result.err;
    }
}

}  // namespace
}  // namespace kvtool_test

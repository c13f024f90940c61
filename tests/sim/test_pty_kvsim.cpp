#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <vector>

#include "kvcom3/Clock.h"
#include "kvcom3/Ports.h"
#include "util/KvsimProcess.h"

namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

#define REQUIRE_KVSIM() \
    if (kvtest::KvsimProcess::binary().empty()) GTEST_SKIP() << "kvsim program not built"

Bytes ask(kvcom3::SerialDevice& port, const Bytes& request, std::size_t count) {
    port.write(request);
    Bytes got;
    kvcom3::Deadline deadline(2000ms);
    while (got.size() < count && !deadline.expired()) {
        port.waitReadable(deadline.remaining());
        auto more = port.readAll();
        got.insert(got.end(), more.begin(), more.end());
    }
    return got;
}

Bytes select(kvcom3::SerialDevice& port, std::uint8_t board, std::uint8_t position) {
    port.write(Bytes(5, 0x55));
    kvcom3::Sleep(10ms);
    return ask(port, {0x00, 0x00, board, position, static_cast<std::uint8_t>(board + position)}, 1);
}

TEST(KvsimProgram, ServesSensorsBehindTheMultiplexerAndCleansUpOnSigterm) {
    REQUIRE_KVSIM();
    const auto link =
        (std::filesystem::temp_directory_path() / ("kvsim-prog-" + std::to_string(::getpid())))
            .string();
    kvtest::KvsimProcess kvsim({"--profile", "p6-co2", "--board", "1", "--position", "2",
                                "--sensor", "p8-co2-temp-rh@1:3", "--link", link});
    EXPECT_EQ(std::filesystem::read_symlink(link).string(), kvsim.path());
    auto port = kvcom3::makeTermiosDevice(link);
    port->open({9600, 'n', 8, 1}, false);
    std::vector<std::uint8_t> parts;
    for (std::uint8_t position : {2, 3}) {
        EXPECT_EQ(select(*port, 1, position), Bytes{0x06});
        EXPECT_EQ(ask(*port, {0xFE}, 1), Bytes{0xDF});
        const auto reply = ask(*port, {0x81, 0x41, 0xC2}, 3);
        ASSERT_EQ(reply.size(), 3u);
        parts.push_back(reply[1]);
    }
    EXPECT_NE(parts[0], parts[1]) << "two different sensors answer at the two positions";
    EXPECT_EQ(parts[1], 152);
    port->close();
    EXPECT_EQ(kvsim.stop(), 0);
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(link)));
}

TEST(KvsimProgram, RejectsBadArgumentsWithAMessage) {
    REQUIRE_KVSIM();
    const std::vector<std::vector<std::string>> bad{
        {"--profile", "p6-co2", "--fault", "bogus"},
        {"--profile", "p6-co2", "--protocol", "can"},
        {"--sensor", "p6-co2@x:1"},
        {"--profile", "p6-co2", "--board", "1"},
        {"--profile", "no-such-profile"},
        {"--profile", "p6-co2", "--id", "31"},
        {"--profile", "p6-co2", "--temperature", "nan"},
        {},
    };
    for (const auto& arguments : bad) {
        std::vector<std::string> argv{kvtest::KvsimProcess::binary()};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        kvtest::Subprocess run(argv, true);
        const auto output = run.readAll(10s);
        const auto code = run.wait(10s);
        SCOPED_TRACE(output);
        ASSERT_TRUE(code.has_value());
        EXPECT_NE(*code, 0);
        EXPECT_FALSE(output.empty());
    }
}

}  // namespace

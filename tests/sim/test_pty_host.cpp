#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <vector>

#include "host/PtyHost.h"
#include "kvcom3/Clock.h"
#include "kvcom3/KvError.h"
#include "kvcom3/Ports.h"
#include "util/FakeSensor.h"
#include "util/ServedPty.h"
#include "wire/Bench.h"

namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

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

TEST(PtyHost, ServesKvbusToATermiosPort) {
    auto sensor = std::make_shared<kvtest::FakeSensor>();
    const auto link =
        (std::filesystem::temp_directory_path() / ("kvsim-pty-" + std::to_string(::getpid())))
            .string();
    {
        kvtest::ServedPty served(kvsim::makeLine({{.sensor = sensor}}), link);
        EXPECT_EQ(std::filesystem::read_symlink(link).string(), served.path());
        auto port = kvcom3::makeTermiosDevice(link);
        port->open({9600, 'n', 8, 1}, false);
        EXPECT_EQ(ask(*port, {0xFE}, 1), Bytes{0xDF});
        const auto reply = ask(*port, {0xC2, 0x2C, 0xEE}, 4);
        ASSERT_EQ(reply.size(), 4u);
        EXPECT_EQ(reply[1], sensor->read(kvsim::Space::RAM, 300));
        port->close();
        // The library closing its side does not hang up the line: a second session works.
        port->open({9600, 'n', 8, 1}, false);
        EXPECT_EQ(ask(*port, {0xFE}, 1), Bytes{0xDF});
        port->close();
        const auto chunks = served.line().transcript().chunks();
        ASSERT_GE(chunks.size(), 4u);
        EXPECT_EQ(chunks[2].bytes, (Bytes{0xC2, 0x2C, 0xEE}));
    }
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(link)));
}

TEST(PtyHost, TakesThePacingFromThePortSettings) {
    auto line = kvsim::makeLine(
        {{.sensor = std::make_shared<kvtest::FakeSensor>(), .protocol = kvsim::Protocol::Modbus}},
        {.pacing = true});
    kvtest::ServedPty served(line);
    auto port = kvcom3::makeTermiosDevice(served.path());
    port->open({9600, 'n', 8, 2}, false);
    ask(*port, {0x01, 0x07, 0x41, 0xE2}, 5);
    EXPECT_EQ(line->characterTime(), std::chrono::nanoseconds(1'000'000'000LL * 11 / 9600));
    port->close();
}

TEST(PtyHost, UnpluggingEndsServiceAndFailsThePort) {
    auto line = kvsim::makeLine({{.sensor = std::make_shared<kvtest::FakeSensor>()}});
    line->addFault("unplug@2");
    kvtest::ServedPty served(line);
    auto port = kvcom3::makeTermiosDevice(served.path());
    port->open({9600, 'n', 8, 1}, false);
    EXPECT_EQ(ask(*port, {0xFE}, 1), Bytes{0xDF});
    port->write(Bytes{0xFE});
    ASSERT_TRUE(served.ended(5s));
    EXPECT_THROW(
        {
            port->waitReadable(500ms);
            port->readAll();
        },
        kvcom3::KvError);
}

TEST(PtyHost, RefusesALinkItCannotMake) {
    auto line = kvsim::makeLine({{.sensor = std::make_shared<kvtest::FakeSensor>()}});
    EXPECT_THROW(kvsim::PtyHost(line, "/nonexistent-dir/kvsim"), std::system_error);
}

}  // namespace

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "host/InProcessDevice.h"
#include "kvcom3/Clock.h"
#include "util/FakeSensor.h"
#include "util/VirtualClock.h"
#include "wire/Bench.h"

namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

Bytes ask(kvsim::InProcessDevice& device, const Bytes& request, std::size_t count) {
    device.write(request);
    kvcom3::Deadline deadline(100ms);
    while (device.bytesWaiting() < count && !deadline.expired()) {
        device.waitReadable(deadline.remaining());
    }
    return device.readAll();
}

// The switch as the host sends it: sync bytes, a pause, then the position frame.
Bytes select(kvsim::InProcessDevice& device, std::uint16_t board, std::uint8_t position) {
    device.write(Bytes(5, 0x55));
    kvcom3::Sleep(10ms);
    const std::uint8_t hi = board >> 8, lo = board & 0xFF;
    return ask(device, {0x00, hi, lo, position, static_cast<std::uint8_t>(hi + lo + position)}, 1);
}

std::uint8_t partByte(kvsim::InProcessDevice& device) {
    if (ask(device, {0xFE}, 1) != Bytes{0xDF}) return 0;
    const auto reply = ask(device, {0x81, 0x41, 0xC2}, 3);
    return reply.size() == 3 ? reply[1] : 0;
}

struct Network {
    Network() {
        for (std::uint8_t i = 0; i < 3; ++i) {
            sensors.push_back(std::make_shared<kvtest::FakeSensor>());
            sensors.back()->memory(kvsim::Space::RAM)[65] = static_cast<std::uint8_t>(0x30 + i);
        }
        line = kvsim::makeLine({
            {.sensor = sensors[0], .at = kvsim::Position{1, 2}},
            {.sensor = sensors[1], .at = kvsim::Position{1, 3}},
            {.sensor = sensors[2], .at = kvsim::Position{0x0102, 0}},
        });
        device = std::make_unique<kvsim::InProcessDevice>(line);
        device->open({9600, 'n', 8, 1}, false);
    }

    kvtest::ScopedVirtualClock clock;
    std::vector<std::shared_ptr<kvtest::FakeSensor>> sensors;
    std::shared_ptr<kvsim::Line> line;
    std::unique_ptr<kvsim::InProcessDevice> device;
};

TEST(Multiplexer, RoutesTheLineToTheSelectedPosition) {
    Network net;
    EXPECT_EQ(partByte(*net.device), 0) << "nobody sits at the start position";
    EXPECT_EQ(select(*net.device, 1, 2), Bytes{0x06});
    EXPECT_EQ(partByte(*net.device), 0x30);
    EXPECT_EQ(select(*net.device, 1, 3), Bytes{0x06});
    EXPECT_EQ(partByte(*net.device), 0x31);
    EXPECT_EQ(select(*net.device, 0x0102, 0), Bytes{0x06});
    EXPECT_EQ(partByte(*net.device), 0x32);
}

TEST(Multiplexer, AnEmptyPositionIsAcknowledgedButSilent) {
    Network net;
    EXPECT_EQ(select(*net.device, 7, 7), Bytes{0x06});
    EXPECT_TRUE(ask(*net.device, {0xFE}, 1).empty());
}

TEST(Multiplexer, IgnoresSwitchFramesWithABadChecksumOrTooFewSyncBytes) {
    Network net;
    net.device->write(Bytes(5, 0x55));
    EXPECT_TRUE(ask(*net.device, {0x00, 0x00, 0x01, 0x02, 0x04}, 1).empty());
    net.device->write(Bytes(4, 0x55));
    EXPECT_TRUE(ask(*net.device, {0x00, 0x00, 0x01, 0x02, 0x03}, 1).empty());
    EXPECT_EQ(partByte(*net.device), 0);
}

TEST(Multiplexer, ASilentMultiplexerNeitherAnswersNorSwitches) {
    Network net;
    net.line->addFault("silent-mux@1");
    EXPECT_TRUE(select(*net.device, 1, 2).empty());
    EXPECT_EQ(partByte(*net.device), 0);
    EXPECT_EQ(select(*net.device, 1, 2), Bytes{0x06});
    EXPECT_EQ(partByte(*net.device), 0x30);
    EXPECT_EQ(net.line->transfers(kvsim::Domain::Mux), 2);
}

TEST(Multiplexer, RejectsImpossibleBenches) {
    auto sensor = std::make_shared<kvtest::FakeSensor>();
    EXPECT_THROW(kvsim::makeLine({}), std::invalid_argument);
    EXPECT_THROW(kvsim::makeLine({{.sensor = sensor}, {.sensor = sensor}}), std::invalid_argument);
    EXPECT_THROW(kvsim::makeLine({{.sensor = sensor, .at = kvsim::Position{1, 1}},
                                  {.sensor = sensor, .at = kvsim::Position{1, 1}}}),
                 std::invalid_argument);
    EXPECT_THROW(kvsim::makeLine({{.sensor = sensor, .id = 30}}), std::invalid_argument);
    EXPECT_THROW(
        kvsim::makeLine({{.sensor = sensor, .protocol = kvsim::Protocol::Modbus, .id = 0}}),
        std::invalid_argument);
}

}  // namespace

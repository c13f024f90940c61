#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "FakeSerialDevice.h"
#include "kvcom3/KvError.h"
#include "kvcom3/ManualClock.h"
#include "kvcom3/Ports.h"
#include "kvcom3/Trace.h"
#include "link/PortTable.h"

using namespace kvcom3;
using namespace std::chrono_literals;

namespace {

struct Seen {
    TraceDirection direction;
    std::vector<std::uint8_t> bytes;
    double seconds;
};

class FrameTraceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        clock = std::make_shared<ManualClock>();
        setClock(clock);
        device = std::make_shared<FakeSerialDevice>();
        bindPort(5, device);
        portSlot(5).open();
    }
    void TearDown() override {
        setFrameTrace({});
        portSlot(5).close();
        unbindPort(5);
        setClock(nullptr);
    }
    void record() {
        setFrameTrace([this](TraceDirection d, std::span<const std::uint8_t> b, double s) {
            seen.push_back({d, {b.begin(), b.end()}, s});
        });
    }

    std::shared_ptr<ManualClock> clock;
    std::shared_ptr<FakeSerialDevice> device;
    std::vector<Seen> seen;
};

}  // namespace

TEST_F(FrameTraceTest, SeesWritesAndReadsWithTheirTimeSinceInstalled) {
    clock->advance(5s);  // time before the observer came does not count
    record();
    clock->advance(1500ms);
    portSlot(5).write(std::vector<std::uint8_t>{0x02, 0x41, 0x9f});
    device->arrive({0x06, 0x10}, 0ms, 0us);
    clock->advance(250ms);
    const auto reply = portSlot(5).readAll();

    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].direction, TraceDirection::Sent);
    EXPECT_EQ(seen[0].bytes, (std::vector<std::uint8_t>{0x02, 0x41, 0x9f}));
    EXPECT_DOUBLE_EQ(seen[0].seconds, 1.5);
    EXPECT_EQ(seen[1].direction, TraceDirection::Received);
    EXPECT_EQ(seen[1].bytes, reply);
    EXPECT_DOUBLE_EQ(seen[1].seconds, 1.75);
    // The observer only looks: the device got the frame unchanged.
    EXPECT_EQ(device->written, (std::vector<std::uint8_t>{0x02, 0x41, 0x9f}));
}

TEST_F(FrameTraceTest, EmptyReadsAndARemovedObserverShowNothing) {
    record();
    EXPECT_TRUE(portSlot(5).readAll().empty());
    EXPECT_TRUE(seen.empty());

    setFrameTrace({});
    portSlot(5).writeChars("AB");
    EXPECT_TRUE(seen.empty());
    EXPECT_EQ(device->written.size(), 2u);
}

TEST_F(FrameTraceTest, AClosedPortStillRaisesAndShowsNothing) {
    record();
    portSlot(5).close();
    EXPECT_THROW(portSlot(5).write(std::vector<std::uint8_t>{1}), KvError);
    EXPECT_TRUE(seen.empty());
}

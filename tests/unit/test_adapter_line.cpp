// The port options for adapters: RS-485 direction, the adapter's echo, the Modbus rate's silence.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <optional>

#include "FakeSerialDevice.h"
#include "LinkFixture.h"
#include "link/ComPort.h"
#include "link/ModbusFrames.h"

using namespace kvcom3;
using namespace std::chrono_literals;

namespace {

// The in-process sensor's device with one received byte spoiled, as noise on a two-wire line
// would spoil the echo.
class SpoilingDevice final : public SerialDevice {
  public:
    SpoilingDevice(std::shared_ptr<SerialDevice> inner, std::optional<std::size_t> spoil)
        : inner_(std::move(inner)), spoil_(spoil) {}

    std::string name() const override { return inner_->name(); }
    void open(const LineSettings& s, bool rts) override { inner_->open(s, rts); }
    void close() override { inner_->close(); }
    bool isOpen() const override { return inner_->isOpen(); }
    void applySettings(const LineSettings& s) override { inner_->applySettings(s); }
    void setRts(bool on) override { inner_->setRts(on); }
    std::size_t bytesWaiting() override { return inner_->bytesWaiting(); }
    std::vector<std::uint8_t> readAll() override {
        auto bytes = inner_->readAll();
        if (spoil_ && *spoil_ >= received_ && *spoil_ < received_ + bytes.size()) {
            bytes[*spoil_ - received_] ^= 0x01;
        }
        received_ += bytes.size();
        return bytes;
    }
    void write(std::span<const std::uint8_t> bytes) override { inner_->write(bytes); }
    void waitReadable(std::chrono::milliseconds limit) override { inner_->waitReadable(limit); }

  private:
    std::shared_ptr<SerialDevice> inner_;
    std::optional<std::size_t> spoil_;
    std::size_t received_ = 0;
};

class AdapterLine : public LinkFixture {
  protected:
    void TearDown() override {
        setPortOptions(kPort, std::nullopt);
        LinkFixture::TearDown();
    }

    void attachSensor(std::uint8_t protocol, kvsim::LineOptions options,
                      std::optional<std::size_t> spoil = std::nullopt) {
        gProtokoll = protocol;
        gConnection.ComID = protocol == kvMB ? 1 : 0;
        sensor = sensorOfCode(20, 8, true, 2);
        attach({kvsim::Station{
                   .sensor = sensor,
                   .protocol = protocol == kvMB ? kvsim::Protocol::Modbus : kvsim::Protocol::Kvbus,
                   .id = gConnection.ComID}},
               options);
        bindPort(kPort, std::make_shared<SpoilingDevice>(device, spoil));
    }

    std::shared_ptr<kvtest::FakeSensor> sensor;
};

std::string hex(const std::vector<std::uint8_t>& bytes) {
    std::string text;
    for (auto b : bytes) {
        char digits[4];
        std::snprintf(digits, sizeof digits, text.empty() ? "%02X" : " %02X", b);
        text += digits;
    }
    return text;
}

}  // namespace

TEST_F(AdapterLine, ASpoiledEchoIsALineFaultThatCostsOneAttemptAndNeverBecomesData) {
    const auto modbusFrame = modbus::readFrame(1, kvRAM, 20, 2);
    auto spoiledFrame = modbusFrame;
    spoiledFrame[2] ^= 0x01;
    struct Case {
        const char* name;
        std::uint8_t protocol;
        std::optional<std::size_t> spoil;  // index of the received byte spoiled
        std::optional<std::string> fault;  // the log line it makes
        const char* failedAttempt;         // the protocol's own line for the lost attempt
    } cases[] = {
        {"kvbus clean echo", kvKV, std::nullopt, std::nullopt, nullptr},
        {"kvbus address byte", kvKV, 0, "Echo fault: sent E0, heard E1", "No CTR"},
        {"modbus clean echo", kvMB, std::nullopt, std::nullopt, nullptr},
        {"modbus request", kvMB, 2,
         "Echo fault: sent " + hex(modbusFrame) + ", heard " + hex(spoiledFrame), "No ACK"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        log.clear();
        setPortOptions(kPort, PortOptions{.echo = true});
        attachSensor(c.protocol, {.echo = true}, c.spoil);
        Access::ReadBlock(*level, 20, 2, kvRAM);
        const auto& ram = sensor->memory(kvsim::Space::RAM);
        EXPECT_EQ(image(20, kvRAM)->SensorValue, ram[20]);
        EXPECT_EQ(image(21, kvRAM)->SensorValue, ram[21]);
        const auto faults = std::count_if(log.begin(), log.end(), [](const std::string& line) {
            return line.starts_with("Echo fault");
        });
        EXPECT_EQ(faults, c.fault ? 1 : 0);
        if (c.fault) {
            auto at = std::find(log.begin(), log.end(), *c.fault);
            ASSERT_NE(at, log.end()) << "log: " << ::testing::PrintToString(log);
            ASSERT_NE(at + 1, log.end());
            EXPECT_EQ(*(at + 1), c.failedAttempt);
        }
        EXPECT_EQ(log.back(), "OK");
    }
}

TEST_F(AdapterLine, Rs485IsAskedOfTheDriverElseRtsIsRaisedAroundEachFrame) {
    struct Case {
        const char* name;
        bool rs485;
        bool driverGrants;
        int requests;
        bool rtsWhileSending;
        bool rtsAtRest;  // RTSenable set it on before the port opened
        int drains;
    } cases[] = {
        {"option off", false, false, 0, true, true, 0},
        {"driver mode", true, true, 1, true, true, 0},
        {"driver refuses", true, false, 1, true, false, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto fake = std::make_shared<FakeSerialDevice>();
        fake->rs485Granted = c.driverGrants;
        std::vector<bool> rtsAtWrites;
        fake->onWrite = [&](std::span<const std::uint8_t>) { rtsAtWrites.push_back(fake->rts); };
        bindPort(kPort, fake);
        setPortOptions(kPort, PortOptions{.rs485 = c.rs485});
        RTSenable(true);
        OpenCOMport();
        const std::uint8_t frame[] = {0x01, 0x44};
        currentPort().write(frame);
        currentPort().write(frame);
        EXPECT_EQ(fake->rs485Requests, c.requests);
        EXPECT_EQ(rtsAtWrites, std::vector<bool>(2, c.rtsWhileSending));
        EXPECT_EQ(fake->rts, c.rtsAtRest);
        EXPECT_EQ(currentPort().rts(), c.rtsAtRest) << "the slot's RTS state follows the line";
        EXPECT_EQ(fake->drains, c.drains);
        EXPECT_EQ(fake->written.size(), 4u);
        CloseCOMport();
        RTSenable(false);
    }
}

TEST_F(AdapterLine, SilenceBeforeAModbusRequestFollowsTheRateOnlyOffTheSensorsOwnLine) {
    struct Case {
        const char* name;
        std::optional<PortOptions> options;
        const char* settings;
        std::chrono::microseconds silence;  // at least this long between reply and request
    } cases[] = {
        {"sensor's own line", std::nullopt, "9600,n,8,2", 0us},
        {"RS-485 at 9600", PortOptions{.rs485 = true}, "9600,n,8,2", 4011us},
        {"19200", PortOptions{.modbusBaud = 19200}, "19200,n,8,2", 2006us},
        {"38400", PortOptions{.modbusBaud = 38400}, "38400,n,8,2", 1750us},
        {"115200", PortOptions{.modbusBaud = 115200}, "115200,n,8,2", 1750us},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        setPortOptions(kPort, c.options);
        attachSensor(kvMB, {});
        gLeavePortOpen = true;
        Access::ReadBlock(*level, 20, 2, kvRAM);
        Access::ReadBlock(*level, 22, 2, kvRAM);
        EXPECT_EQ(currentPort().settingsText(), c.settings);
        // Request, reply, request, reply; without pacing a run of bytes shares one time.
        const auto chunks = line->transcript().chunks();
        ASSERT_GE(chunks.size(), 3u);
        const auto gap = chunks[2].at - chunks[1].at;
        EXPECT_GE(gap, c.silence);
        EXPECT_LT(gap, c.silence + 1ms) << "no more than the clock's millisecond on top";
        gLeavePortOpen = false;
        CloseCOMport();
    }
}

#include <algorithm>

#include "FakeSerialDevice.h"
#include "LinkFixture.h"
#include "link/ModbusFrames.h"

using namespace kvcom3;
using namespace std::chrono_literals;

namespace {

class ModbusLink : public LinkFixture {
  protected:
    void SetUp() override {
        LinkFixture::SetUp();
        gProtokoll = kvMB;
        gConnection.ComID = 1;
        sensor = sensorOfCode(20, 8, true, 2);
        sensor->inputRegisters = {{5, 0x1234}, {6, 0x0190}};
        sensor->holdingRegisters = {{16, 0}, {17, 0}, {18, 0xBEEF}};
        attach(sensor, 1, kvsim::Protocol::Modbus);
    }

    // Replaces the virtual sensor with a scripted line.
    std::shared_ptr<FakeSerialDevice> scripted() {
        auto fake = std::make_shared<FakeSerialDevice>();
        bindPort(kPort, fake);
        return fake;
    }

    static Bytes withCrc(Bytes frame) {
        modbus::seal(frame);
        return frame;
    }

    std::shared_ptr<kvtest::FakeSensor> sensor;
};

}  // namespace

TEST_F(ModbusLink, CrcOfTheSpecimenAndItsSizeRules) {
    Bytes request{0x01, 0x03, 0x00, 0x00, 0x00, 0x01};
    EXPECT_EQ(level->CRC(request), 0x0A84);
    EXPECT_EQ(withCrc(request), (Bytes{0x01, 0x03, 0x00, 0x00, 0x00, 0x01, 0x84, 0x0A}));
    Bytes five{1, 2, 3, 4, 5};
    std::int32_t size = -1;
    std::int32_t all = level->CRC(five, size);
    EXPECT_EQ(size, 5);
    std::int32_t same = 5;
    EXPECT_EQ(level->CRC(five, same), all);
    std::int32_t none = 0;
    EXPECT_EQ(level->CRC(five, none), 0xFFFF);
    std::int32_t tooMany = 6;
    EXPECT_EQ(errorOf([&] { level->CRC(five, tooMany); }).number(), 9);
}

TEST_F(ModbusLink, ReadsInputRegistersIntoTheImageHighByteFirst) {
    Access::ReadBlock(*level, 10, 4, kvMBIR);
    EXPECT_EQ(sentChunks().front(), withCrc({0x01, 0x04, 0x00, 0x05, 0x00, 0x02}));
    const std::uint8_t expected[] = {0x12, 0x34, 0x01, 0x90};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(image(10 + i, kvMBIR)->Value, expected[i]);
    EXPECT_EQ(log.front(), "Reading 4 bytes from adress 5 in IR");
    EXPECT_EQ(countLog("OK"), 2) << "the KVBUS routine logs OK once more after the hand-over";
    EXPECT_EQ(device->settings(), LineSettings::parse("9600,n,8,2"));
}

TEST_F(ModbusLink, BroadcastIdAddressesSlave254) {
    gConnection.ComID = -1;
    Access::ReadBlock(*level, 100, 8, kvRAM);
    EXPECT_EQ(sentChunks().front(), withCrc({0xFE, 0x44, 0x00, 0x64, 0x08}));
    EXPECT_EQ(image(107, kvRAM)->Value, sensor->memory(kvsim::Space::RAM)[107]);
    EXPECT_EQ(log.front(), "Reading 8 bytes from adress 100 in RAM");
}

TEST_F(ModbusLink, OddRegisterBlocksAreWidenedToWholeRegisters) {
    Access::ReadBlock(*level, 11, 2, kvMBIR);
    EXPECT_EQ(sentChunks().front(), withCrc({0x01, 0x04, 0x00, 0x05, 0x00, 0x02}));
    EXPECT_EQ(image(10, kvMBIR)->Value, 0x12);
    EXPECT_EQ(image(13, kvMBIR)->Value, 0x90);
}

TEST_F(ModbusLink, HoldingRegisterBlockGoesAsOneFunction6Frame) {
    const std::uint8_t data[] = {0x00, 0x2A, 0x01, 0x00};
    for (int i = 0; i < 4; ++i) Access::setImage(*level, 32 + i, kvMBHR, data[i]);
    Access::WriteBlock(*level, 32, 4, kvMBHR);
    EXPECT_EQ(sentChunks().front(), withCrc({0x01, 0x06, 0x00, 0x10, 0x00, 0x2A, 0x01, 0x00}));
    EXPECT_EQ(sensor->holdingRegisters[16], 0x002A);
    EXPECT_EQ(sensor->holdingRegisters[17], 0x0100);
    EXPECT_EQ(log.front(), "Writing 4 bytes to adress 16 to IR");
    EXPECT_TRUE(image(32, kvMBHR)->GotValueS);
}

TEST_F(ModbusLink, MemoryWritesAndTheirLog) {
    for (int i = 0; i < 3; ++i) Access::setImage(*level, 900 + i, kvRAM, std::uint8_t(i + 1));
    Access::WriteBlock(*level, 900, 3, kvRAM);
    EXPECT_EQ(sentChunks().front(), withCrc({0x01, 0x41, 0x03, 0x84, 0x03, 0x01, 0x02, 0x03}));
    EXPECT_EQ(log, (std::vector<std::string>{"Writing 3 bytes to adress 900 in RAM", "1", "2", "3",
                                             "OK", "OK"}));
    EXPECT_EQ(sensor->memory(kvsim::Space::RAM)[902], 3);
}

TEST_F(ModbusLink, RefusalsBeforeThePortOpens) {
    Access::setImage(*level, 0, kvMBIR, 1);
    KvError e = errorOf([&] { Access::WriteBlock(*level, 0, 2, kvMBIR); });
    EXPECT_EQ(e.number(), 1111);
    EXPECT_EQ(e.description(), "Memtype is read only");
    EXPECT_EQ(errorOf([&] { Access::WriteBlock(*level, 0, 2, kvFLASH); }).number(), 1203);
    EXPECT_EQ(errorOf([&] { Access::ReadBlock(*level, 0, 2, kvMBCOIL); }).number(), 1203);
    EXPECT_EQ(errorOf([&] { Access::SendCommand(*level, cmdTWAreset); }).number(), 1108);
    EXPECT_EQ(errorOf([&] { Access::SendCommand(*level, cmdRAMtoEEPROM); }).number(), 1108);
    gConnection.ComID = 300;
    EXPECT_EQ(errorOf([&] { Access::ReadBlock(*level, 0, 2, kvRAM); }).number(), 6);
    EXPECT_TRUE(line->transcript().entries().empty());
    EXPECT_FALSE(device->isOpen());
}

TEST_F(ModbusLink, TransparentAndPowerGoAsModbusEvenOnKvbus) {
    gProtokoll = kvKV;
    level->Transparent(true);
    Bytes expected{0x01, 0x47, 0xFC, 0x0B};
    for (char c : std::string("TRANSPARENT")) expected.push_back(static_cast<std::uint8_t>(c));
    EXPECT_EQ(sentChunks().front(), withCrc(expected));
    EXPECT_EQ(log.front(), "TRANSPARENT ON");
    level->Power(false);
    EXPECT_EQ(sentChunks().back(), withCrc({0x01, 0x47, 0xFF, 0x00}));
    EXPECT_EQ(sensor->commands, (std::vector<std::string>{"TRANSPARENT ON", "POWER OFF"}));
}

TEST_F(ModbusLink, CommandReplyIsLoggedAsItsFourValues) {
    Access::SendCommand(*level, cmdUnlockEEPROM);
    auto reply = withCrc({0x01, 0x47});
    std::string values = "1;71;" + std::to_string(reply[2]) + ";" + std::to_string(reply[3]);
    EXPECT_EQ(log, (std::vector<std::string>{"UnlockEEPROM", values, "OK", "OK"}));
    EXPECT_FALSE(sensor->eepromLocked());
}

TEST_F(ModbusLink, GivingUpAfterTenAttempts) {
    line->addFault("bad-checksum");
    EXPECT_EQ(errorOf([&] { Access::ReadBlock(*level, 0, 4, kvRAM); }).number(), 1202);
    line->clearFaults();
    line->addFault("no-ack");
    log.clear();
    EXPECT_EQ(errorOf([&] { Access::ReadBlock(*level, 0, 4, kvRAM); }).number(), 1000);
    EXPECT_EQ(countLog("No ACK"), 10);
    EXPECT_EQ(errorOf([&] { level->Power(true); }).number(), 1000);
    EXPECT_EQ(log.back(), "Communication error");
    EXPECT_FALSE(device->isOpen());
}

TEST_F(ModbusLink, ExceptionRepliesAreLoggedAndRetried) {
    log.clear();
    // Register 99 does not exist: the slave answers with an exception every time.
    EXPECT_EQ(errorOf([&] { Access::ReadBlock(*level, 198, 2, kvMBHR); }).number(), 1000);
    EXPECT_EQ(countLog("MB error"), 10);
}

TEST_F(ModbusLink, ACorrectReplyOfTheWrongLengthIsRetried) {
    auto fake = scripted();
    // Attempt 1 gets a valid frame one data byte short; attempt 2 the right one.
    fake->arrive(withCrc({0x01, 0x44, 0x01, 0xAA}), 5ms);
    fake->arrive(withCrc({0x01, 0x44, 0x02, 0xAA, 0xBB}), 1010ms);
    Access::ReadBlock(*level, 0, 2, kvRAM);
    EXPECT_EQ(countLog("MB error"), 1);
    EXPECT_EQ(image(1, kvRAM)->Value, 0xBB);
}

TEST_F(ModbusLink, StaleInputDoesNotDisturbARead) {
    auto fake = scripted();
    fake->arrive({0x01, 0x44, 0x02, 0x11, 0x22, 0x33, 0x44}, 0ms, 0us);  // left over
    fake->arrive(withCrc({0x01, 0x44, 0x02, 0xAA, 0xBB}), 20ms);
    Access::ReadBlock(*level, 0, 2, kvRAM);
    EXPECT_EQ(image(0, kvRAM)->Value, 0xAA);
    EXPECT_EQ(countLog("MB error"), 0);
}

TEST_F(ModbusLink, ShortRepliesNameTheErrorCode) {
    auto fake = scripted();
    fake->arrive({0x44, 0x02}, 5ms);
    fake->arrive({0x07, 0x02}, 1010ms);
    fake->arrive(withCrc({0x01, 0x44, 0x01, 0x5A}), 2020ms);
    Access::ReadBlock(*level, 0, 1, kvRAM);
    auto at = std::find(log.begin(), log.end(), "68;2");
    ASSERT_NE(at, log.end());
    EXPECT_EQ(*(at + 1), "MB error 2");
    EXPECT_EQ(countLog("MB function error"), 1);
}

TEST_F(ModbusLink, AWriteCountsOnlyOnAWholeReplyOfItsSlaveAndFunction) {
    struct Case {
        const char* reply;
        Bytes bytes;  // the answer to every attempt
        const char* logged;
        int number;  // 0: accepted at once
    };
    const Case cases[] = {
        {"acknowledge", withCrc({0x01, 0x41}), "OK", 0},
        {"three bytes of noise", {0x5A, 0x00, 0xC3}, "No ACK", 1000},
        {"acknowledge with a bad CRC", {0x01, 0x41, 0x00, 0x00}, "No ACK", 1000},
        {"another slave's acknowledge", withCrc({0x02, 0x41}), "No ACK", 1000},
        {"six bytes", withCrc({0x01, 0x41, 0x00, 0x00}), "No ACK", 1000},
        {"another function", {0x01, 0x99, 0x00, 0x00}, "MB function error", 1200},
        {"exception", withCrc({0x01, 0xC1, 0x01}), "MB function error, NotAck", 1200},
    };
    auto fake = scripted();
    FakeSerialDevice& device = *fake;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reply);
        device.onWrite = [&](std::span<const std::uint8_t>) { device.arrive(c.bytes, 5ms, 0us); };
        Access::image(*level).clear();
        log.clear();
        Access::setImage(*level, 0, kvRAM, 9);
        EXPECT_EQ(errorOf([&] { Access::WriteBlock(*level, 0, 1, kvRAM); }).number(), c.number);
        EXPECT_EQ(countLog(c.logged), c.number == 0 ? 2 : 10);
        EXPECT_EQ(image(0, kvRAM)->GotValueS, c.number == 0) << "only an accepted write counts";
    }
}

#include <algorithm>

#include "LinkFixture.h"

using namespace kvcom3;

namespace {

constexpr int kPlatform6 = 27;  // part codes
constexpr int kPlatform8 = 20;
constexpr int kPlatform5Set1 = 13;

class KvbusLink : public LinkFixture {
  protected:
    std::shared_ptr<kvtest::FakeSensor> platform6() {
        return sensorOfCode(kPlatform6, 6, false, 1);
    }
    std::shared_ptr<kvtest::FakeSensor> platform8() { return sensorOfCode(kPlatform8, 8, true, 2); }
};

}  // namespace

TEST_F(KvbusLink, ReadsTheSpecimenFramesAndFillsTheImage) {
    auto sensor = platform6();
    attach(sensor);
    Access::ReadBlock(*level, 300, 2, kvRAM);
    Access::ReadBlock(*level, 100, 2, kvEEPROM);

    auto sent = sentChunks();
    // The part byte first (the frame form depends on the platform), then the two reads.
    ASSERT_GE(sent.size(), 6u);
    EXPECT_EQ(sent[1], (Bytes{0x81, 0x41, 0xC2}));
    EXPECT_EQ(sent[sent.size() - 4], Bytes{0xFE});
    EXPECT_EQ(sent[sent.size() - 3], (Bytes{0xC2, 0x2C, 0xEE}));
    EXPECT_EQ(sent[sent.size() - 1], (Bytes{0x8A, 0x32, 0xBC}));

    auto& ram = sensor->memory(kvsim::Space::RAM);
    auto& eeprom = sensor->memory(kvsim::Space::EEPROM);
    for (int i = 0; i < 2; ++i) {
        const clsAdress* r = image(300 + i, kvRAM);
        ASSERT_NE(r, nullptr);
        EXPECT_EQ(r->Value, ram[300 + static_cast<std::size_t>(i)]);
        EXPECT_EQ(r->SensorValue, r->Value);
        EXPECT_TRUE(r->GotValueS && r->GotValueP);
        EXPECT_EQ(image(100 + i, kvEEPROM)->Value, eeprom[100 + static_cast<std::size_t>(i)]);
    }
    EXPECT_NE(std::find(log.begin(), log.end(), "Reading 2 bytes from adress 300 in RAM"),
              log.end());
    EXPECT_NE(std::find(log.begin(), log.end(), "Reading 2 bytes from adress 100 in EEPROM"),
              log.end());
    EXPECT_EQ(log.back(), "OK");
    EXPECT_FALSE(device->isOpen()) << "closed after each transfer";
}

TEST_F(KvbusLink, LogsEachReceivedByteInDecimal) {
    auto sensor = platform8();
    attach(sensor);
    Access::ReadBlock(*level, 65, 1, kvRAM);
    log.clear();
    Access::ReadBlock(*level, 1000, 3, kvRAM);
    auto& ram = sensor->memory(kvsim::Space::RAM);
    std::vector<std::string> expected{"Reading 3 bytes from adress 1000 in RAM"};
    for (std::size_t i = 1000; i < 1003; ++i) expected.push_back(std::to_string(ram[i]));
    expected.push_back("OK");
    EXPECT_EQ(log, expected);
    EXPECT_EQ(sentChunks()[3], (Bytes{0xCB, 0x03, 0xE8, 0xB6})) << "long RAM form on platform 8";
}

TEST_F(KvbusLink, SensorIdsAndTheirAddressBytes) {
    attach(platform6(), 29);
    gConnection.ComID = 29;
    Access::ReadBlock(*level, 10, 1, kvRAM);
    EXPECT_EQ(sentChunks()[0], Bytes{0xFD});

    for (std::int16_t bad : {std::int16_t(30), std::int16_t(-2)}) {
        gConnection.ComID = bad;
        KvError e = errorOf([&] { Access::ReadBlock(*level, 10, 1, kvRAM); });
        EXPECT_EQ(e.number(), 1101);
        EXPECT_EQ(e.description(), "Elegal ID number");
        EXPECT_EQ(log.back(), "Elegal ID number") << "the handler logs the description";
        EXPECT_FALSE(device->isOpen());
    }
}

TEST_F(KvbusLink, AcceptsTheAlternativeAcknowledge) {
    attach({kvsim::Station{.sensor = platform6(), .ack = 0x86}});
    Access::ReadBlock(*level, 20, 4, kvRAM);
    EXPECT_EQ(log.back(), "OK");
    EXPECT_EQ(countLog("Not ACK"), 0);
}

TEST_F(KvbusLink, GivesUpWithTheNumberOfTheCause) {
    struct Case {
        const char* fault;
        std::int32_t number;
        const char* attemptLog;
    };
    const Case cases[] = {
        {"wrong-ctr", 1201, "Not CTR"},   {"short-reply", 1000, "No ACK"},
        {"no-ctr", 1000, "No CTR"},       {"wrong-ack", 1200, "Not ACK"},
        {"bad-checksum", 1202, "Fel CS"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        log.clear();
        attach(platform6());
        Access::ReadBlock(*level, 65, 1, kvRAM);  // platform known before the faults start
        line->addFault(c.fault);
        KvError e = errorOf([&] { Access::ReadBlock(*level, 200, 2, kvRAM); });
        EXPECT_EQ(e.number(), c.number);
        EXPECT_EQ(e.description(), "Communication error");
        EXPECT_EQ(countLog(c.attemptLog), 50) << "fifty attempts";
        EXPECT_EQ(log.back(), "Communication error");
        EXPECT_EQ(image(200, kvRAM), nullptr) << "no unvouched byte enters the image";
        EXPECT_FALSE(device->isOpen());
    }
}

TEST_F(KvbusLink, AChecksumErrorThatHealsGivesTheRightData) {
    auto sensor = platform6();
    attach(sensor);
    Access::ReadBlock(*level, 65, 1, kvRAM);
    line->addFault("bad-checksum@2");
    Access::ReadBlock(*level, 40, 6, kvRAM);
    EXPECT_EQ(countLog("Fel CS"), 1);
    EXPECT_EQ(log.back(), "OK");
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(image(40 + i, kvRAM)->Value,
                  sensor->memory(kvsim::Space::RAM)[40u + unsigned(i)]);
    }
}

TEST_F(KvbusLink, AFailedReadLeavesEarlierImageBytesAsTheyWere) {
    attach(platform6());
    Access::ReadBlock(*level, 40, 2, kvRAM);
    Access::setImage(*level, 41, kvRAM, 0x77);  // a caller's change, not yet written
    line->addFault("bad-checksum");
    EXPECT_EQ(errorOf([&] { Access::ReadBlock(*level, 40, 2, kvRAM); }).number(), 1202);
    EXPECT_EQ(image(41, kvRAM)->Value, 0x77);
    EXPECT_NE(image(41, kvRAM)->SensorValue, 0x77);
}

TEST_F(KvbusLink, SlowTimingFromTheFortiethAttempt) {
    attach(platform6());
    Access::ReadBlock(*level, 65, 1, kvRAM);
    line->addFault("no-ctr@2-46");  // transfer 1 was the part byte
    std::uint8_t timing = 0;
    Access::ReadBlock(*level, 10, 2, kvRAM, timing);
    EXPECT_EQ(timing, 5) << "the caller's later blocks keep the slow timing";
    EXPECT_EQ(countLog("No CTR"), 45);
}

TEST_F(KvbusLink, WritesTheImageAndMarksItAsInTheSensor) {
    auto sensor = platform8();
    attach(sensor);
    Access::ReadBlock(*level, 65, 1, kvRAM);
    for (int i = 0; i < 4; ++i) Access::setImage(*level, 700 + i, kvRAM, std::uint8_t(0x10 + i));
    log.clear();
    Access::WriteBlock(*level, 700, 4, kvRAM);
    EXPECT_EQ(sentChunks().back(), (Bytes{0x4C, 0x02, 0xBC, 0x10, 0x11, 0x12, 0x13, 0x50}));
    EXPECT_EQ(log, (std::vector<std::string>{"Writing 4 bytes to adress 700 in RAM", "16", "17",
                                             "18", "19", "OK"}));
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(sensor->memory(kvsim::Space::RAM)[700u + unsigned(i)], 0x10 + i);
        const clsAdress* r = image(700 + i, kvRAM);
        EXPECT_EQ(r->SensorValue, r->Value);
        EXPECT_TRUE(r->GotValueS);
    }
}

TEST_F(KvbusLink, WriteOfAnUnsetAddressFailsBeforeTheLine) {
    attach(platform8());
    Access::ReadBlock(*level, 65, 1, kvRAM);
    Access::setImage(*level, 700, kvRAM, 1);
    line->transcript().clear();
    KvError e = errorOf([&] { Access::WriteBlock(*level, 700, 2, kvRAM); });
    EXPECT_EQ(e.number(), 1102);
    EXPECT_EQ(e.description(), "Adress is not set");
    EXPECT_TRUE(sentChunks().empty());
}

TEST_F(KvbusLink, WritesAndCommandsGiveUpAfterTenAttemptsWithSlowTiming) {
    attach(platform6());
    Access::ReadBlock(*level, 65, 1, kvRAM);
    Access::setImage(*level, 30, kvRAM, 1);
    line->addFault("no-ack");
    EXPECT_EQ(errorOf([&] { Access::WriteBlock(*level, 30, 1, kvRAM, 5); }).number(), 1000);
    EXPECT_EQ(countLog("No ACK"), 10);
    log.clear();
    EXPECT_EQ(errorOf([&] { Access::SendCommand(*level, cmdLockEEPROM, 0); }).number(), 1000);
    EXPECT_EQ(countLog("No ACK"), 50);
}

TEST_F(KvbusLink, CommandsOfBothSetsAndTheirRefusals) {
    auto sensor = platform8();
    attach(sensor);
    Access::SendCommand(*level, cmdUnlockEEPROM);
    EXPECT_EQ(sentChunks().back(), (Bytes{0xB1, 0xA9, 0x5A}));
    EXPECT_EQ(log.back(), "OK");
    EXPECT_NE(std::find(log.begin(), log.end(), "UnlockEEPROM"), log.end());

    auto old = sensorOfCode(kPlatform5Set1, 5, false, 1);
    attach(old);
    level = std::make_unique<clsAdressLevel>();
    Access::ReadBlock(*level, 65, 1, kvRAM);
    line->transcript().clear();
    KvError e = errorOf([&] { Access::SendCommand(*level, cmdTWAreset); });
    EXPECT_EQ(e.number(), 1108);
    EXPECT_EQ(e.description(), "Command is not supported");
    EXPECT_TRUE(sentChunks().empty()) << "refused before the port is opened";
    EXPECT_FALSE(device->isOpen());
    for (auto modbusOnly : {cmdRestart, cmdTransparentOn, cmdPowerOff}) {
        EXPECT_EQ(errorOf([&] { Access::SendCommand(*level, modbusOnly); }).number(), 1108);
    }
}

TEST_F(KvbusLink, Platform6UnlockSetsItsEnableByteFirst) {
    auto sensor = platform6();
    attach(sensor);
    Access::SendCommand(*level, cmdUnlockEEPROM);
    EXPECT_EQ(sensor->memory(kvsim::Space::RAM)[230], 1);
    EXPECT_EQ(sentChunks().back(), (Bytes{0x90, 0x00, 0x90}));
    EXPECT_FALSE(sensor->eepromLocked());
}

TEST_F(KvbusLink, OffLineAndUnknownMemoryFailBeforeThePort) {
    attach(platform6());
    gConnection.OnLine = false;
    KvError e = errorOf([&] { Access::ReadBlock(*level, 0, 1, kvRAM); });
    EXPECT_EQ(e.number(), 1100);
    EXPECT_EQ(e.description(), "No connection established");
    gConnection.OnLine = true;
    EXPECT_EQ(errorOf([&] { Access::ReadBlock(*level, 0, 2, kvFLASH); }).number(), 1203);
    EXPECT_EQ(errorOf([&] { Access::WriteBlock(*level, 0, 2, kvMBHR); }).number(), 1203);
    EXPECT_TRUE(line->transcript().entries().empty());
}

TEST_F(KvbusLink, CancelEndsOneTransferOnly) {
    attach(platform6());
    Access::ReadBlock(*level, 65, 1, kvRAM);
    line->addFault("no-ctr");
    int pumped = 0;
    setEventPump([&] {
        if (++pumped == 30) gCancel = true;  // the user clicks Cancel while the sensor is silent
    });
    KvError e = errorOf([&] { Access::ReadBlock(*level, 10, 2, kvRAM); });
    EXPECT_EQ(e.number(), 32755);
    EXPECT_EQ(e.description(), "Cancel was selected");
    EXPECT_EQ(log.back(), "Cancel was selected");
    EXPECT_FALSE(gCancel);
    EXPECT_FALSE(device->isOpen());

    line->clearFaults();
    Access::ReadBlock(*level, 10, 2, kvRAM);
    EXPECT_EQ(log.back(), "OK");
}

TEST_F(KvbusLink, LeavePortOpenKeepsThePortAcrossTransfersAndFailures) {
    attach(platform6());
    gLeavePortOpen = true;
    Access::ReadBlock(*level, 10, 2, kvRAM);
    EXPECT_TRUE(device->isOpen());
    line->addFault("no-ctr");
    EXPECT_THROW(Access::ReadBlock(*level, 12, 2, kvRAM), KvError);
    EXPECT_TRUE(device->isOpen());
}

TEST_F(KvbusLink, ProductionNetworkSwitchesOncePerPosition) {
    auto first = platform6();
    auto second = sensorOfCode(kPlatform6, 6, false, 1);
    second->memory(kvsim::Space::RAM)[10] = 0x42;
    attach({kvsim::Station{.sensor = first, .at = kvsim::Position{1, 3}},
            kvsim::Station{.sensor = second, .at = kvsim::Position{2, 4}}});
    gConnection.ComIDx = 4;
    gConnection.ComIDy = 2;
    Access::SelectPosition(*level);
    Access::SelectPosition(*level);
    EXPECT_EQ(line->transfers(kvsim::Domain::Mux), 1);
    EXPECT_EQ(countLog("Changing to pos 4 on board nr 2"), 1);
    EXPECT_EQ(countLog("OK"), 2) << "both calls end with OK";
    EXPECT_EQ(actions, (std::vector<std::string>{"Changing to pos 4 on board nr 2", "", ""}));
    Access::ReadBlock(*level, 10, 1, kvRAM);
    EXPECT_EQ(image(10, kvRAM)->Value, 0x42) << "the sensor at board 2, position 4 answered";
}

TEST_F(KvbusLink, AFailedSwitchIsTriedAgainNextTime) {
    attach({kvsim::Station{.sensor = platform6(), .at = kvsim::Position{0, 5}}});
    gConnection.ComIDx = 5;
    line->addFault("silent-mux");
    KvError e = errorOf([&] { Access::SelectPosition(*level); });
    EXPECT_EQ(e.number(), 1001);
    EXPECT_EQ(e.description(), "No communication with production network");
    EXPECT_EQ(actions.back(), "");
    EXPECT_EQ(log.back(), "No communication with production network");

    line->clearFaults();
    log.clear();
    Access::SelectPosition(*level);
    EXPECT_EQ(countLog("Changing to pos 5 on board nr 0"), 1);
    EXPECT_EQ(log.back(), "OK");
}

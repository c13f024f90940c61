// Which bytes travel, in which frames and in which order: the address level's selection rules,
// its special commands on the wire, and the port's recovery steps in the attempt loops.
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <sstream>

#include "FakeSerialDevice.h"
#include "LinkFixture.h"
#include "kvcom3/ScanAttempts.h"

using namespace kvcom3;

namespace {

constexpr int kPlatform8 = 20;  // part codes
constexpr int kPlatform6 = 27;
constexpr int kPlatform5Set1 = 13;
constexpr int kPlatform5Set2 = 12;

class LinkRules : public LinkFixture {
  protected:
    std::shared_ptr<kvtest::FakeSensor> platform8() {
        auto sensor = sensorOfCode(kPlatform8, 8, true, 2);
        sensor->memory(kvsim::Space::EEPROM)[2025] = 1;  // size code: 2 kB
        return sensor;
    }
    // A fresh address level, its events collected like the fixture's first one.
    void renew() {
        level = std::make_unique<clsAdressLevel>();
        level->ComLogg.connect([this](std::string& text) { log.push_back(text); });
        level->Action.connect([this](std::string& text) { actions.push_back(text); });
    }
    // The addresses of the log lines "Writing n bytes to adress a in ...".
    std::set<std::int32_t> written() const {
        std::set<std::int32_t> out;
        for (const auto& line : log) {
            if (line.rfind("Writing ", 0) != 0) continue;
            std::istringstream words(line);
            std::string word;
            std::int32_t n = 0;
            std::int32_t adr = 0;
            words >> word >> n >> word >> word >> word >> adr;
            for (std::int32_t i = 0; i < n; ++i) out.insert(adr + i);
        }
        return out;
    }
};

}  // namespace

TEST_F(LinkRules, OptionsChooseWhichAddressesTravel) {
    struct Case {
        bool write;
        std::uint8_t option;
        std::set<std::int32_t> expected;
    };
    // Addresses 100-107; masked: 100, 101, 104, 105 (read: 101, 102, 105, 106). Known before a
    // read: 102, 103; changed before a write: 101, 103, 105.
    const Case cases[] = {
        {false, kvAutoReadFromSensor, {100, 101, 104, 105, 106, 107}},
        {false, kvReadFromSensor, {100, 101, 102, 103, 104, 105, 106, 107}},
        {false, kvAutoReadMaskedAdressesFromSensor, {101, 105, 106}},
        {false, kvReadMaskedAdressesFromSensor, {101, 102, 105, 106}},
        {true, kvAutoWriteToSensor, {101, 103, 105}},
        {true, kvWriteToSensor, {100, 101, 102, 103, 104, 105, 106, 107}},
        {true, kvAutoWriteMaskedAdressesToSensor, {101, 105}},
        {true, kvWriteMaskedAdressesToSensor, {100, 101, 104, 105}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.write ? "write " : "read ") + std::to_string(c.option));
        auto sensor = platform8();
        attach(sensor);
        renew();
        level->Part();
        if (c.write) {
            level->ReadFromSensor(100, 8, kvRAM, kvReadFromSensor);
            for (std::int32_t a : {101, 103, 105}) level->LetValue(a, 1, kvRAM, false, 0, 0, a);
            for (std::int32_t a : {100, 101, 104, 105}) level->LetMask(a, kvRAM, 0x80);
        } else {
            for (std::int32_t a : {101, 102, 105, 106}) level->LetMask(a, kvRAM, 0x01);
            for (std::int32_t a : {102, 103}) Access::setImage(*level, a, kvRAM, 0);
        }
        log.clear();
        if (c.write) {
            level->WriteToSensor(100, 8, kvRAM, c.option);
            EXPECT_EQ(written(), c.expected);
            for (std::int32_t a : {101, 103, 105}) {
                const int before = a * 7 % 256;  // the fake sensor's RAM pattern
                EXPECT_EQ(sensor->memory(kvsim::Space::RAM)[std::size_t(a)],
                          c.expected.count(a) ? a : before)
                    << a;
            }
        } else {
            level->ReadFromSensor(100, 8, kvRAM, c.option);
            std::set<std::int32_t> read;
            for (std::int32_t a = 100; a < 108; ++a) {
                if (level->AdressGotValueS(a, kvRAM)) read.insert(a);
            }
            EXPECT_EQ(read, c.expected);
        }
    }
}

TEST_F(LinkRules, PartByteAndSizeCodeAreSetOnlyWhereTheImageHoldsThem) {
    enum Kind { PartByte, SizeCode };
    struct Case {
        Kind kind;
        bool record, force;
        std::optional<int> image;  // what the image holds afterwards, nothing: no record
        int sensor;                // the sensor's byte afterwards
    };
    // The size code 0 (1 kB) is mirrored at (1024 - 1) AND 0xFFE9 = 1001.
    const int oldPart = kPlatform8 << 3;
    const int oldMirror = (1001 ^ 0xA5) & 0xFF;
    const Case cases[] = {
        {PartByte, false, true, std::nullopt, oldPart},
        {PartByte, true, false, oldPart | 3, oldPart},
        {PartByte, true, true, oldPart | 3, oldPart | 3},
        {SizeCode, false, true, std::nullopt, oldMirror},
        {SizeCode, true, false, 0, oldMirror},
        {SizeCode, true, true, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.kind == PartByte ? "part byte" : "size code") +
                     (c.record ? ", record" : "") + (c.force ? ", forced" : ""));
        auto sensor = platform8();
        attach(sensor);
        renew();
        const bool part = c.kind == PartByte;
        if (c.record && part) level->Part();
        if (c.record && !part) level->EEPROMsize();
        line->transcript().clear();
        if (part) {
            level->LetPart(c.force, static_cast<std::uint8_t>(oldPart | 3));
        } else {
            level->LetMemSize(kvEEPROM, c.force, 0);
        }
        const clsAdress* key = part ? image(65, kvRAM) : image(65513, kvEEPROM);
        if (c.image) {
            ASSERT_NE(key, nullptr);
            EXPECT_EQ(key->Value, *c.image);
            if (!part) {
                EXPECT_EQ(image(1001, kvEEPROM)->Value, *c.image) << "the mirror";
                EXPECT_EQ(level->EEPROMsize(), 1024);
            }
        } else {
            EXPECT_EQ(key, nullptr);
            EXPECT_EQ(Access::image(*level).size(), 0u);
        }
        EXPECT_EQ(line->transcript().entries().empty(), !(c.record && c.force));
        EXPECT_EQ(part ? sensor->memory(kvsim::Space::RAM)[65]
                       : sensor->memory(kvsim::Space::EEPROM)[1001],
                  c.sensor);
    }
    EXPECT_EQ(errorOf([&] { level->LetMemSize(kvRAM, false, 0); }).number(), 1203);
}

TEST_F(LinkRules, SpecialCommandFramesOnTheWire) {
    struct Case {
        std::uint8_t protocol;
        std::function<void(clsAdressLevel&)> send;
        const char* frame;  // in hex; empty: refused before the port opens
        const char* done;   // what the sensor carried out
    };
    auto command = [](kvSensorCommands c) {
        return [c](clsAdressLevel& l) { Access::SendCommand(l, c); };
    };
    auto reset = [](clsAdressLevel& l) { l.SensorReset(); };
    // The command texts travel as their character codes: "RESTART" is 52 45 53 54 41 52 54.
    const Case cases[] = {
        {kvMB, command(cmdEEPROMtoRAM), "01 47 02 01 00 AD 24", "EEPROMtoRAM"},
        {kvMB, command(cmdLockEEPROM), "01 47 00 01 AB 4D 5B", "LockEEPROM"},
        {kvMB, command(cmdUnlockEEPROM), "01 47 01 01 A9 9D 5A", "UnlockEEPROM"},
        {kvMB, command(cmdIDtoEEPROM), "01 47 03 01 00 FC E4", "IDtoEEPROM"},
        {kvMB, command(cmdRestart), "01 47 04 07 52 45 53 54 41 52 54 47 D7", "RESTART"},
        {kvKV, [](clsAdressLevel& l) { l.Transparent(true); },
         "01 47 FC 0B 54 52 41 4E 53 50 41 52 45 4E 54 1B 23", "TRANSPARENT ON"},
        {kvKV, [](clsAdressLevel& l) { l.Transparent(false); }, "01 47 FD 00 F1 5D",
         "TRANSPARENT OFF"},
        {kvKV, [](clsAdressLevel& l) { l.Power(true); }, "01 47 FE 07 50 4F 57 45 52 4F 4E 93 BB",
         "POWER ON"},
        {kvKV, [](clsAdressLevel& l) { l.Power(false); }, "01 47 FF 00 F0 3D", "POWER OFF"},
        {kvMB, reset, "01 47 04 07 52 45 53 54 41 52 54 47 D7", "RESTART"},
        {kvKV, reset, "", "SensorReset on KVBUS"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.done);
        auto sensor = sensorOfCode(kPlatform8, 8, true, 2);
        attach(sensor, 1, kvsim::Protocol::Modbus);
        gConnection.ComID = 1;
        gProtokoll = c.protocol;
        renew();
        Access::setImage(*level, 65, kvRAM, kPlatform8 << 3);
        KvError e = errorOf([&] { c.send(*level); });
        if (*c.frame == 0) {
            EXPECT_EQ(e.number(), 1108);
            EXPECT_EQ(e.description(), "Command is not supported");
            EXPECT_TRUE(line->transcript().entries().empty());
            continue;
        }
        EXPECT_EQ(e.number(), 0) << e.description();
        ASSERT_EQ(sentChunks().size(), 1u);
        EXPECT_EQ(kvsim::hex(sentChunks()[0]), c.frame);
        EXPECT_EQ(sensor->commands, std::vector<std::string>{c.done});
    }
}

// Every attempt of a transfer on a silent line, with the port's opens and closes as they stood
// while the attempt waited for its answer.
TEST_F(LinkRules, SilentLineReopensThePortOnceAndGivesUpAfterItsAttempts) {
    struct Case {
        const char* name;
        std::uint8_t protocol;
        std::function<void(clsAdressLevel&)> run;
        std::size_t bytesPerAttempt;
        int attempts, reopenAfter;
        std::int32_t error;
    };
    const Case cases[] = {
        {"KVBUS read", kvKV, [](clsAdressLevel& l) { Access::ReadBlock(l, 10, 2, kvRAM); }, 1, 50,
         5, 1000},
        {"KVBUS write", kvKV, [](clsAdressLevel& l) { Access::WriteBlock(l, 65, 1, kvRAM); }, 1, 50,
         5, 1000},
        {"KVBUS command", kvKV, [](clsAdressLevel& l) { Access::SendCommand(l, cmdLockEEPROM); }, 1,
         50, 5, 1000},
        {"Modbus read", kvMB, [](clsAdressLevel& l) { Access::ReadBlock(l, 10, 2, kvRAM); }, 7, 10,
         5, 1000},
        {"Modbus write", kvMB, [](clsAdressLevel& l) { Access::WriteBlock(l, 65, 1, kvRAM); }, 8,
         10, 5, 1000},
        {"Modbus command", kvMB, [](clsAdressLevel& l) { Access::SendCommand(l, cmdLockEEPROM); },
         7, 10, 5, 1000},
        {"production network", kvKV, [](clsAdressLevel& l) { Access::SelectPosition(l); }, 10, 100,
         50, 1001},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto fake = std::make_shared<FakeSerialDevice>();
        bindPort(kPort, fake);
        gProtokoll = c.protocol;
        gConnection.ComID = 1;
        gConnection.ComIDx = 3;
        renew();
        Access::setImage(*level, 65, kvRAM, kPlatform8 << 3);
        {
            // During a scan: the same error after fewer attempts; afterwards the full count.
            const ScanAttempts scan;
            EXPECT_EQ(errorOf([&] { c.run(*level); }).number(), c.error);
            EXPECT_EQ(fake->written.size(), c.bytesPerAttempt * std::size_t(kScanAttempts));
        }
        fake = std::make_shared<FakeSerialDevice>();
        bindPort(kPort, fake);
        std::map<std::size_t, std::pair<int, int>> seen;  // bytes sent -> opens, closes
        setEventPump([&] { seen.try_emplace(fake->written.size(), fake->opens, fake->closes); });
        EXPECT_EQ(errorOf([&] { c.run(*level); }).number(), c.error);
        setEventPump(nullptr);
        EXPECT_EQ(fake->written.size(), c.bytesPerAttempt * std::size_t(c.attempts));
        for (int k = 1; k <= c.attempts; ++k) {
            auto at = seen.find(c.bytesPerAttempt * std::size_t(k));
            ASSERT_NE(at, seen.end()) << k;
            const int reopened = k > c.reopenAfter ? 1 : 0;
            EXPECT_EQ(at->second, std::make_pair(1 + reopened, reopened)) << "attempt " << k;
        }
        EXPECT_EQ(fake->opens, 2);
        EXPECT_EQ(fake->closes, 2);
        EXPECT_FALSE(fake->isOpen());
    }
}

TEST_F(LinkRules, ProgressRoundsHalvesToEven) {
    struct Case {
        bool write;
        std::vector<std::int16_t> expected;
    };
    // Eighths of 100: 12.5 -> 12, 37.5 -> 38, 62.5 -> 62, 87.5 -> 88.
    const Case cases[] = {
        {false, {0, 12, 25, 38, 50, 62, 75, 88, 100}},
        {true, {12, 25, 38, 50, 62, 75, 88, 100, 0}},
    };
    for (const Case& c : cases) {
        attach(platform8());
        renew();
        level->ReadFromSensor(65, 1);
        if (c.write) level->ReadFromSensor(200, 8);
        std::vector<std::int16_t> progress;
        level->Progress.connect([&](std::int16_t& p) { progress.push_back(p); });
        if (c.write) {
            level->WriteToSensor(200, 8, kvRAM, kvWriteToSensor);
        } else {
            level->ReadFromSensor(200, 8, kvRAM, kvReadFromSensor);
        }
        EXPECT_EQ(progress, c.expected) << (c.write ? "write" : "read");
    }
}

TEST_F(LinkRules, Platform5RamWritesAreStoredWithRamToEeprom) {
    struct Case {
        int code, platform, commandSet;
        std::vector<std::string> actions;
        Bytes lastFrame;
    };
    const std::vector<std::string> plain{"Reading Part", "Searching", "Writing to sensor", ""};
    const std::vector<std::string> stored{"Reading Part", "Searching", "Writing to sensor",
                                          "Sending RAM to EEPROM", ""};
    const Case cases[] = {
        {kPlatform5Set1, 5, 1, stored, {0xA1, 0x00, 0xA1}},
        {kPlatform5Set2, 5, 2, stored, {0x99, 0xAD, 0x46}},
        {kPlatform8, 8, 2, plain, {0x01, 0x14, 0x5A, 0x6F}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        auto sensor = sensorOfCode(c.code, c.platform, c.platform == 8, c.commandSet);
        attach(sensor);
        renew();
        actions.clear();
        level->LetValue(20, 1, kvRAM, false, 0, 0, 0x5A);
        level->WriteToSensor(20, 1, kvRAM);
        EXPECT_EQ(actions, c.actions);
        EXPECT_EQ(sentChunks().back(), c.lastFrame);
        EXPECT_EQ(sensor->memory(kvsim::Space::RAM)[20], 0x5A);
    }
}

// A clear-to-receive 300 ms late is in time only for the slow timing of platform 5.
TEST_F(LinkRules, Platform5ReadsWithTheSlowTimingFromTheStart) {
    struct Case {
        int code, platform;
        bool inTime;
    };
    const Case cases[] = {{kPlatform5Set1, 5, true}, {kPlatform6, 6, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.platform);
        attach(sensorOfCode(c.code, c.platform, false, 1));
        line->addFault("late-reply=300");
        renew();
        Access::setImage(*level, 65, kvRAM, static_cast<std::uint8_t>(c.code << 3));
        log.clear();
        level->ReadFromSensor(0, 4, kvRAM);
        EXPECT_EQ(countLog("No CTR") == 0, c.inTime);
        EXPECT_TRUE(level->AdressGotValueS(3, kvRAM)) << "the slow timing gets there in the end";
    }
}

TEST_F(LinkRules, ANewPositionIsSwitchedBeforeTheSensorIsAddressed) {
    auto sensor = sensorOfCode(kPlatform6, 6, false, 1);
    attach({kvsim::Station{.sensor = sensor, .at = kvsim::Position{2, 4}}});
    gConnection.ComIDx = 4;
    gConnection.ComIDy = 2;
    level->ReadFromSensor(10, 2, kvRAM);
    auto sent = sentChunks();
    ASSERT_GE(sent.size(), 5u);
    EXPECT_EQ(sent[0], (Bytes{0x55, 0x55, 0x55, 0x55, 0x55, 0x00, 0x00, 0x02, 0x04, 0x06}));
    EXPECT_EQ(sent[1], Bytes{0xFE});
    EXPECT_EQ(sent[2], (Bytes{0x81, 0x41, 0xC2})) << "the part byte";
    EXPECT_EQ(sent[3], Bytes{0xFE});
    EXPECT_EQ(sent[4], (Bytes{0x82, 0x0A, 0x8C}));
}

// Writes that need more than the caller's bytes (whole words, wrapped EEPROM addresses) and the
// way a write or read ends when something fails.
#include <algorithm>
#include <stdexcept>

#include "FakeSerialDevice.h"
#include "LinkFixture.h"
#include "link/ModbusFrames.h"
#include "model/Sensor.h"

using namespace kvcom3;
using namespace std::chrono_literals;

namespace {

class WriteSequence : public LinkFixture {
  protected:
    std::shared_ptr<kvsim::Sensor> use(const std::string& profile, std::uint8_t protocol) {
        gProtokoll = protocol;
        gConnection.ComID = 1;
        auto sensor = std::shared_ptr<kvsim::Sensor>(kvsim::Sensor::fromProfile(profile));
        sensor->world().noise = false;
        attach(sensor, 1, protocol == kvMB ? kvsim::Protocol::Modbus : kvsim::Protocol::Kvbus);
        level = std::make_unique<clsAdressLevel>();
        level->ComLogg.connect([this](std::string& text) { log.push_back(text); });
        level->Action.connect([this](std::string& text) { actions.push_back(text); });
        level->Progress.connect([this](std::int16_t& p) { progress.push_back(p); });
        level->Part();
        level->EEPROMsize();
        log.clear();
        actions.clear();
        progress.clear();
        line->transcript().clear();
        return sensor;
    }
    // The log lines that show what travelled, in order.
    std::vector<std::string> transfersLogged() const {
        std::vector<std::string> found;
        std::copy_if(log.begin(), log.end(), std::back_inserter(found), [](const std::string& s) {
            return s.starts_with("Reading ") || s.starts_with("Writing ") || s == "UnlockEEPROM" ||
                   s == "LockEEPROM";
        });
        return found;
    }
    // How often the host sent the frame.
    long sent(const Bytes& frame) const {
        const Bytes all = line->transcript().bytes(kvsim::Direction::ToDevice);
        long n = 0;
        for (auto at = all.begin();
             (at = std::search(at, all.end(), frame.begin(), frame.end())) != all.end();
             at += static_cast<long>(frame.size())) {
            ++n;
        }
        return n;
    }
    int transfers() const { return line->transfers(kvsim::Domain::Sensor); }

    std::vector<std::int16_t> progress;
};

void setSensorByte(kvsim::Sensor& sensor, std::uint8_t memType, std::int32_t adr,
                   std::uint8_t value) {
    if (memType == kvEEPROM) {
        if (sensor.platform() == 6) sensor.write(kvsim::Space::RAM, 230, 1);  // its unlock request
        sensor.unlockEeprom();
        sensor.write(kvsim::Space::EEPROM, std::uint32_t(adr), value);
        sensor.lockEeprom();
        return;
    }
    std::uint16_t reg = 0;
    const auto r = static_cast<std::uint16_t>(adr / 2);
    sensor.holdingRegister(r, reg);
    reg = adr % 2 != 0 ? static_cast<std::uint16_t>((reg & 0xFF00) | value)
                       : static_cast<std::uint16_t>((reg & 0x00FF) | (value << 8));
    sensor.writeHoldingRegister(r, reg);
}

std::uint8_t sensorByte(kvsim::Sensor& sensor, std::uint8_t memType, std::int32_t adr) {
    if (memType == kvEEPROM) return sensor.read(kvsim::Space::EEPROM, std::uint32_t(adr));
    std::uint16_t reg = 0;
    sensor.holdingRegister(static_cast<std::uint16_t>(adr / 2), reg);
    return static_cast<std::uint8_t>(adr % 2 != 0 ? reg & 0xFF : reg >> 8);
}

}  // namespace

TEST_F(WriteSequence, AHalfWordTheCallerNeverSetIsReadBeforeTheWholeWordIsWritten) {
    struct Case {
        const char* profile;
        std::uint8_t protocol;
        std::uint8_t memType;
        std::int32_t adr;
        int bitFlipAt;  // transfer after identification whose EEPROM write flips a bit; 0: none
        std::vector<std::string> logged;
    };
    const std::string ram230 = "Writing 1 bytes to adress 230 in RAM";
    const std::string read100 = "Reading 2 bytes from adress 100 in EEPROM";
    const std::string write100 = "Writing 2 bytes to adress 100 in EEPROM";
    const std::string unlock = "UnlockEEPROM";
    const std::string lock = "LockEEPROM";
    const Case cases[] = {
        {"p6-co2", kvKV, kvEEPROM, 101, 0, {read100, unlock, ram230, write100, read100, lock}},
        {"p61-co2", kvKV, kvEEPROM, 101, 0, {read100, unlock, write100, read100, lock}},
        {"p61-co2", kvMB, kvEEPROM, 101, 0, {read100, unlock, write100, read100, lock}},
        {"p8-co2-temp-rh", kvMB, kvMBHR, 33, 0, {"Writing 1 bytes to adress 16.5 to IR"}},
        // The repair after a failed verify writes the whole word too.
        {"p6-co2",
         kvKV,
         kvEEPROM,
         100,
         4,
         {read100, unlock, ram230, write100, read100, write100, unlock, ram230, write100, read100,
          lock}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.profile) + " " + std::to_string(c.adr));
        auto sensor = use(c.profile, c.protocol);
        const std::int32_t other = c.adr ^ 1;
        const std::uint8_t kept = 0xC3;
        setSensorByte(*sensor, c.memType, other, kept);
        const auto value = static_cast<std::uint8_t>(sensorByte(*sensor, c.memType, c.adr) ^ 0x5A);
        if (c.bitFlipAt > 0)
            line->addFault("eeprom-bitflip@" + std::to_string(transfers() + c.bitFlipAt));
        EXPECT_EQ(
            errorOf([&] { level->LetValue(c.adr, 1, c.memType, true, 0, 0, value); }).number(), 0);
        EXPECT_EQ(transfersLogged(), c.logged);
        EXPECT_EQ(sensorByte(*sensor, c.memType, c.adr), value);
        EXPECT_EQ(sensorByte(*sensor, c.memType, other), kept);
        EXPECT_EQ(level->Value(c.adr, 1, c.memType), value) << "the read kept the caller's byte";
    }
}

TEST_F(WriteSequence, EepromAddressesBeyondTheSizeWrapLikeAReadOfThem) {
    struct Case {
        const char* profile;
        std::int32_t beyond, wrapped;
    };
    const Case cases[] = {{"p8-co2-temp-rh", 4000, 1952}, {"p6-co2", 512 + 300, 300}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.profile);
        auto sensor = use(c.profile, kvKV);
        const auto stored = sensor->read(kvsim::Space::EEPROM, std::uint32_t(c.wrapped));
        EXPECT_EQ(level->Value(c.beyond, 1, kvEEPROM), stored);
        level->LetValue(c.beyond, 2, kvEEPROM, true, 0, 0, 0x1234);
        EXPECT_EQ(sensor->read(kvsim::Space::EEPROM, std::uint32_t(c.wrapped) + 1), 0x34);
        EXPECT_EQ(level->Value(c.wrapped, 2, kvEEPROM, true), 0x1234);
    }
}

TEST_F(WriteSequence, AFailedEepromWriteLocksOnlyAnAcknowledgedUnlockWithThreeAttempts) {
    struct Case {
        std::uint8_t protocol;
        int silentFrom;  // transfer after identification from which the sensor stays silent
        Bytes lock;
        long locksSent;
        long communicationErrors;
    };
    const Bytes kvbusLock{0xA9, 0xAB, 0x54};
    Bytes modbusLock{0x01, 0x47, 0x00, 0x01, 0xAB};
    modbus::seal(modbusLock);
    const Case cases[] = {
        {kvKV, 1, kvbusLock, 0, 2}, {kvKV, 2, kvbusLock, 3, 3}, {kvMB, 2, modbusLock, 3, 3}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.protocol) + " silent from " + std::to_string(c.silentFrom));
        auto sensor = use("p8-co2-temp-rh", c.protocol);
        line->addFault("no-ack@" + std::to_string(transfers() + c.silentFrom) + "+");
        KvError e = errorOf([&] { level->LetValue(300, 2, kvEEPROM, true, 0, 0, 0xBEEF); });
        EXPECT_EQ(e.number(), 1000);
        EXPECT_EQ(sent(c.lock), c.locksSent);
        EXPECT_EQ(countLog("Communication error"), c.communicationErrors);
        EXPECT_EQ(actions.back(), "");
        EXPECT_EQ(log.back(), "Communication error");
        EXPECT_EQ(progress.back(), 0);
    }
}

TEST_F(WriteSequence, AnyExceptionInATransferClosesThePortAndClearsTheCancel) {
    struct Case {
        std::uint8_t protocol;
        bool write;
    };
    const Case cases[] = {{kvKV, false}, {kvMB, false}, {kvKV, true}, {kvMB, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.protocol) + (c.write ? " write" : " read"));
        gProtokoll = c.protocol;
        auto fake = std::make_shared<FakeSerialDevice>();
        bindPort(kPort, fake);
        fake->onWrite = [](std::span<const std::uint8_t>) {
            gCancel = true;
            throw std::length_error("no room for the reply");
        };
        level = std::make_unique<clsAdressLevel>();
        level->ComLogg.connect([this](std::string& text) { log.push_back(text); });
        level->Action.connect([this](std::string& text) { actions.push_back(text); });
        progress.clear();
        level->Progress.connect([this](std::int16_t& p) { progress.push_back(p); });
        Access::setImage(*level, 65, kvRAM, 20 << 3);
        Access::setImage(*level, 100, kvRAM, 7);
        if (c.write) {
            EXPECT_THROW(level->WriteToSensor(100, 1, kvRAM, kvWriteToSensor), std::length_error);
        } else {
            EXPECT_THROW(level->ReadFromSensor(100, 1, kvRAM, kvReadFromSensor), std::length_error);
        }
        EXPECT_GT(fake->opens, 0);
        EXPECT_FALSE(fake->isOpen());
        EXPECT_FALSE(gCancel);
        EXPECT_EQ(log.back(), "no room for the reply");
        EXPECT_EQ(actions.back(), "");
        EXPECT_EQ(progress.back(), c.write ? 0 : 100);
    }
}

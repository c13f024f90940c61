#include <algorithm>

#include "LinkFixture.h"
#include "model/Sensor.h"

using namespace kvcom3;

namespace {

class AddressLevel : public LinkFixture {
  protected:
    std::shared_ptr<kvsim::Sensor> use(const std::string& profile) {
        auto sensor = std::shared_ptr<kvsim::Sensor>(kvsim::Sensor::fromProfile(profile));
        sensor->world().noise = false;
        attach(sensor);
        return sensor;
    }
    // The part byte read, so that later traffic and events belong to the call under test.
    void identify() {
        level->Part();
        line->transcript().clear();
        log.clear();
        actions.clear();
    }
    long readsLogged() const {
        return std::count_if(log.begin(), log.end(),
                             [](const std::string& s) { return s.rfind("Reading ", 0) == 0; });
    }
    int transfers() const { return line->transfers(kvsim::Domain::Sensor); }
};

}  // namespace

TEST_F(AddressLevel, ValueReadsOnlyTheBytesTheImageLacks) {
    auto sensor = use("p8-co2-temp-rh");
    identify();
    level->Value(100, 1);
    log.clear();
    std::int32_t v = level->Value(100, 2);
    EXPECT_EQ(readsLogged(), 1);
    EXPECT_EQ(log[1], "Reading 1 bytes from adress 101 in RAM") << "after the position check's OK";
    EXPECT_EQ(v, sensor->read(kvsim::Space::RAM, 100) * 256 + sensor->read(kvsim::Space::RAM, 101));
    log.clear();
    level->Value(100, 2);
    EXPECT_EQ(readsLogged(), 0) << "served from the image";
    level->Value(100, 2, kvRAM, true);
    EXPECT_EQ(readsLogged(), 1) << "forced";
}

TEST_F(AddressLevel, ByteOrdersMasksAndWidths) {
    use("p8-co2-temp-rh");
    const std::uint8_t bytes[] = {0x12, 0x34, 0x56, 0xF8};
    for (int i = 0; i < 4; ++i) Access::setImage(*level, 500 + i, kvRAM, bytes[i]);
    EXPECT_EQ(level->Value(500, 2), 0x1234);
    EXPECT_EQ(level->Value(500, 2, kvRAM, false, 0, kvLSByteAtLowAdress), 0x3412);
    EXPECT_EQ(level->Value(500, 4, kvRAM, false, 0, kvLSByteAtLowAdress),
              static_cast<std::int32_t>(0xF8563412u))
        << "top bit set: the signed value";
    EXPECT_EQ(level->Value(500, 1, kvRAM, false, 0xF0), 1);
    EXPECT_EQ(level->Value(500, 2, kvRAM, false, 0, 7), 0) << "an unknown order adds nothing";
    EXPECT_EQ(errorOf([&] { level->Value(500, 0); }).number(), 6);

    Access::setImage(*level, 10, kvRAM, 0xF1);
    level->LetValue(10, 1, kvRAM, false, 0x0C, 0, 2);
    EXPECT_EQ(level->Value(10, 1), 0xF9);
    KvError e = errorOf([&] { level->LetValue(10, 1, kvRAM, false, 0x0C, 0, 4); });
    EXPECT_EQ(e.number(), 1109);
    EXPECT_EQ(e.description(), "Value is to big for the AdrMask");
    EXPECT_EQ(level->Value(10, 1), 0xF9) << "a refused value changes nothing";

    level->LetValue(600, 2, kvRAM, false, 0, kvLSByteAtLowAdress, 0x1234);
    EXPECT_EQ(level->Value(600, 1), 0x34);
    EXPECT_FALSE(level->AdressGotValueS(600, kvRAM)) << "a let does not reach the sensor";
    EXPECT_TRUE(line->transcript().entries().empty());
}

TEST_F(AddressLevel, WholeRamOfPlatform8InBlocksOfSix) {
    use("p8-co2-temp-rh");
    identify();
    std::vector<std::int16_t> progress;
    level->Progress.connect([&](std::int16_t& p) { progress.push_back(p); });
    int before = transfers();
    level->ReadFromSensor(0, 0, kvRAM, kvReadFromSensor);
    EXPECT_EQ(transfers() - before, 342);
    EXPECT_EQ(readsLogged(), 342);
    EXPECT_EQ(progress.back(), 100);
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
    // The production-network check ends with an empty action too.
    EXPECT_EQ(actions, (std::vector<std::string>{"", "Reading from sensor", ""}));
    EXPECT_TRUE(level->AdressGotValueS(2047, kvRAM));
}

TEST_F(AddressLevel, AutomaticReadsSkipKnownBytes) {
    use("p8-co2-temp-rh");
    identify();
    level->Value(20, 1);
    level->Value(23, 1);
    log.clear();
    level->ReadFromSensor(18, 8, kvRAM, kvAutoReadFromSensor);
    std::vector<std::string> reads;
    std::copy_if(log.begin(), log.end(), std::back_inserter(reads),
                 [](const std::string& s) { return s.rfind("Reading ", 0) == 0; });
    EXPECT_EQ(reads, (std::vector<std::string>{"Reading 2 bytes from adress 18 in RAM",
                                               "Reading 2 bytes from adress 21 in RAM",
                                               "Reading 2 bytes from adress 24 in RAM"}));
}

TEST_F(AddressLevel, AnEmptyImageFetchesThePartByteOnceUnlessForced) {
    use("p8-co2-temp-rh");
    auto reads = [&] {
        std::vector<std::string> found;
        std::copy_if(log.begin(), log.end(), std::back_inserter(found),
                     [](const std::string& s) { return s.rfind("Reading ", 0) == 0; });
        log.clear();
        return found;
    };
    level->ReadFromSensor(60, 10, kvRAM, kvAutoReadFromSensor);
    EXPECT_EQ(reads(), (std::vector<std::string>{"Reading 1 bytes from adress 65 in RAM",
                                                 "Reading 5 bytes from adress 60 in RAM",
                                                 "Reading 4 bytes from adress 66 in RAM"}));
    level->Clear();
    level->Part();
    EXPECT_EQ(reads(), (std::vector<std::string>{"Reading 1 bytes from adress 65 in RAM"}));
    level->Clear();
    level->ReadFromSensor(60, 10, kvRAM, kvReadFromSensor);
    EXPECT_EQ(reads(), (std::vector<std::string>{"Reading 1 bytes from adress 65 in RAM",
                                                 "Reading 6 bytes from adress 60 in RAM",
                                                 "Reading 4 bytes from adress 66 in RAM"}))
        << "a forced read takes every byte of its range";
}

TEST_F(AddressLevel, EepromOfPlatform5IsRefusedAfterThePartByte) {
    use("p5-co2");
    KvError e = errorOf([&] { level->ReadFromSensor(0, 4, kvEEPROM); });
    EXPECT_EQ(e.number(), 1103);
    EXPECT_EQ(e.description(), "Cant access EEPROM on this sensor");
    EXPECT_TRUE(level->AdressGotValueP(65, kvRAM));
    EXPECT_EQ(actions.back(), "");
    EXPECT_EQ(log.back(), "Cant access EEPROM on this sensor");
}

TEST_F(AddressLevel, ChangedRamBytesAreCutAtTheSixteenByteBoundary) {
    auto sensor = use("p8-co2-temp-rh");
    identify();
    level->ReadFromSensor(14, 6, kvRAM);
    for (int a = 14; a < 20; ++a) level->LetValue(a, 1, kvRAM, false, 0, 0, a);
    log.clear();
    level->WriteToSensor(14, 6, kvRAM);
    std::vector<std::string> writes;
    std::copy_if(log.begin(), log.end(), std::back_inserter(writes),
                 [](const std::string& s) { return s.rfind("Writing ", 0) == 0; });
    EXPECT_EQ(writes, (std::vector<std::string>{"Writing 2 bytes to adress 14 in RAM",
                                                "Writing 4 bytes to adress 16 in RAM"}));
    for (int a = 14; a < 20; ++a) EXPECT_EQ(sensor->read(kvsim::Space::RAM, unsigned(a)), a);
}

TEST_F(AddressLevel, AnAutomaticWriteOfAnUnchangedImageSendsNothing) {
    use("p8-co2-temp-rh");
    identify();
    level->ReadFromSensor(100, 10, kvRAM);
    line->transcript().clear();
    actions.clear();
    std::vector<std::int16_t> progress;
    level->Progress.connect([&](std::int16_t& p) { progress.push_back(p); });
    level->WriteToSensor(100, 10, kvRAM);
    EXPECT_TRUE(line->transcript().entries().empty());
    EXPECT_EQ(actions, (std::vector<std::string>{"Searching", ""}));
    EXPECT_EQ(progress.size(), 11u);
    EXPECT_EQ(progress.back(), 0);
}

TEST_F(AddressLevel, EepromWriteOnPlatform8UnlocksWritesVerifiesAndLocks) {
    auto sensor = use("p8-co2-temp-rh");
    identify();
    level->EEPROMsize();
    actions.clear();
    level->LetValue(300, 2, kvEEPROM, true, 0, 0, 0xBEEF);
    EXPECT_EQ(actions, (std::vector<std::string>{"Searching", "Unlocking EEPROM",
                                                 "Writing to sensor", "Locking EEPROM", ""}));
    EXPECT_EQ(sensor->read(kvsim::Space::EEPROM, 300), 0xBE);
    EXPECT_EQ(sensor->read(kvsim::Space::EEPROM, 301), 0xEF);
    EXPECT_TRUE(sensor->eepromLocked());
}

TEST_F(AddressLevel, EepromWriteOnPlatform6EndsWithEepromToRam) {
    auto sensor = use("p6-co2");
    identify();
    level->LetValue(100, 2, kvEEPROM, true, 0, 0, 0x0102);
    // The unlock first sets RAM 230, itself a write with its own actions.
    EXPECT_EQ(actions, (std::vector<std::string>{"Searching", "Unlocking EEPROM", "Searching",
                                                 "Writing to sensor", "", "Writing to sensor",
                                                 "Locking EEPROM", "Sending EEPROM to RAM", ""}));
    EXPECT_EQ(sensor->read(kvsim::Space::EEPROM, 101), 0x02);
    EXPECT_TRUE(sensor->eepromLocked());
}

TEST_F(AddressLevel, ABitFlippedInAnEepromWriteIsRepairedOnce) {
    auto sensor = use("p8-co2-temp-rh");
    identify();
    level->EEPROMsize();
    int t = transfers();
    line->addFault("eeprom-bitflip@" + std::to_string(t + 2));  // unlock, then the write
    level->LetValue(400, 4, kvEEPROM, true, 0, 0, 0x11223344);
    EXPECT_EQ(level->Value(400, 4, kvEEPROM, true), 0x11223344);
    EXPECT_EQ(sensor->read(kvsim::Space::EEPROM, 400), 0x11);
    EXPECT_TRUE(sensor->eepromLocked());
}

TEST_F(AddressLevel, TwoFlipsInARowEndIn1206WithTheEepromLockedAgain) {
    auto sensor = use("p8-co2-temp-rh");
    identify();
    level->EEPROMsize();
    int t = transfers();
    // Unlock, write (flipped), verify, single-byte repair (flipped), unlock, write (flipped).
    line->addFault("eeprom-bitflip@" + std::to_string(t + 2) + "-" + std::to_string(t + 6));
    KvError e = errorOf([&] { level->LetValue(400, 4, kvEEPROM, true, 0, 0, 0x55667788); });
    EXPECT_EQ(e.number(), 1206);
    EXPECT_EQ(e.description(), "Error writing to EEPROM");
    EXPECT_TRUE(sensor->eepromLocked()) << "a failed write does not leave the EEPROM open";
    EXPECT_EQ(actions.back(), "");
    EXPECT_EQ(log.back(), "Error writing to EEPROM");
}

TEST_F(AddressLevel, IdentificationOfEachPlatform) {
    struct Case {
        const char* profile;
        int platform;
        std::int32_t eeprom, ram;
        int processor;
    };
    const Case cases[] = {{"p8-co2-temp-rh", 8, 2048, 2048, 0}, {"p7-pv0", 7, -1, 1024, 0},
                          {"p7-pv1", 7, -1, 1024, 1},           {"p6-co2", 6, 512, 0, 0},
                          {"p61-co2", 61, 512, 0, 0},           {"p5-co2", 5, 0, 0, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.profile);
        auto sensor = use(c.profile);
        level = std::make_unique<clsAdressLevel>();
        EXPECT_EQ(level->Platform(), c.platform);
        std::int32_t eeprom =
            c.eeprom < 0 ? static_cast<std::int32_t>(sensor->size(kvsim::Space::EEPROM)) : c.eeprom;
        EXPECT_EQ(level->EEPROMsize(), eeprom);
        EXPECT_EQ(level->MemSize(kvRAM), c.ram);
        EXPECT_EQ(level->ProcessorVersion(), c.processor);
        EXPECT_EQ(level->IsFlashProc(), c.platform == 8);
        EXPECT_EQ(errorOf([&] { level->MemSize(kvFLASH); }).number(), 1203);
    }
}

TEST_F(AddressLevel, MasksFileLocksAndWarningsLiveInTheImage) {
    use("p8-co2-temp-rh");
    EXPECT_EQ(level->Mask(5), 0);
    level->LetMask(5, kvEEPROM, 0x0F);
    level->LetFileLock(6, kvRAM, 1);
    level->LetFileWarning(7, kvRAM, 2);
    EXPECT_EQ(level->Mask(5), 0x0F);
    EXPECT_EQ(level->FileLock(6, kvRAM), 1);
    level->MaskAll();
    EXPECT_EQ(level->Mask(6, kvRAM), 255);
    level->ClearAdressMasks();
    level->ClearFileLocks();
    level->ClearFileWarnings();
    EXPECT_EQ(level->Mask(5) + level->FileLock(6, kvRAM) + level->FileWarning(7, kvRAM), 0);
    EXPECT_FALSE(level->AdressGotValueP(5));
    level->Clear();
    EXPECT_EQ(Access::image(*level).size(), 0u);
    EXPECT_TRUE(line->transcript().entries().empty());
}

#include <gtest/gtest.h>

#include <limits>
#include <stdexcept>

#include "model/ProfileSensor.h"
#include "test_model_support.h"

namespace kvsim::testing {
namespace {

TEST(SensorMemory, EepromDecodesOnlyItsOwnAddressLines) {
    auto s = quietSensor("p8-co2-temp-rh");
    EXPECT_EQ(s->read(Space::EEPROM, 65513), s->read(Space::EEPROM, 2025));
    EXPECT_EQ(s->read(Space::EEPROM, 65520), s->read(Space::EEPROM, 2032)) << "base block at -16";
    EXPECT_EQ(s->read(Space::EEPROM, 2048 + 5), s->read(Space::EEPROM, 5));
}

TEST(SensorMemory, RamAndFlashEndAtTheirSize) {
    auto s = quietSensor("p7-pv0");
    EXPECT_EQ(s->read(Space::RAM, 1024), 0xFF);
    s->write(Space::RAM, 1024, 7);
    EXPECT_EQ(s->read(Space::RAM, 1024), 0xFF);
    s->write(Space::RAM, 1023, 7);
    EXPECT_EQ(s->read(Space::RAM, 1023), 7);
    EXPECT_EQ(s->size(Space::FLASH), 0u);
    EXPECT_EQ(s->read(Space::FLASH, 0), 0xFF);

    auto p8 = quietSensor("p8-co2-temp-rh");
    EXPECT_EQ(p8->read(Space::FLASH, 0), 'K');
    p8->write(Space::FLASH, 0, 0);
    EXPECT_EQ(p8->read(Space::FLASH, 0), 'K') << "program memory is not written";
}

TEST(EepromLock, LockedEepromIgnoresWrites) {
    auto s = quietSensor("p8-co2-temp-rh");
    EXPECT_TRUE(s->eepromLocked());
    const std::uint8_t before = s->read(Space::EEPROM, 100);
    s->write(Space::EEPROM, 100, static_cast<std::uint8_t>(before + 1));
    EXPECT_EQ(s->read(Space::EEPROM, 100), before);

    ASSERT_TRUE(s->unlockEeprom());
    EXPECT_FALSE(s->eepromLocked());
    s->write(Space::EEPROM, 100, static_cast<std::uint8_t>(before + 1));
    EXPECT_EQ(s->read(Space::EEPROM, 100), before + 1);

    ASSERT_TRUE(s->lockEeprom());
    s->write(Space::EEPROM, 100, before);
    EXPECT_EQ(s->read(Space::EEPROM, 100), before + 1);
}

TEST(EepromLock, Platform6UnlocksOnlyAfterTheRamRequest) {
    auto s = quietSensor("p6-co2");
    EXPECT_FALSE(s->unlockEeprom());
    EXPECT_TRUE(s->eepromLocked());
    s->write(Space::RAM, 230, 1);
    EXPECT_TRUE(s->unlockEeprom());
    s->write(Space::EEPROM, 170, 0);
    EXPECT_EQ(s->read(Space::EEPROM, 170), 0);

    auto p61 = quietSensor("p61-co2");
    EXPECT_TRUE(p61->unlockEeprom()) << "the RAM request belongs to platform 6 only";
}

TEST(EepromLock, RestartLocksAgain) {
    auto s = quietSensor("p7-pv1");
    s->unlockEeprom();
    s->restart();
    EXPECT_TRUE(s->eepromLocked());
}

TEST(SpecialCommands, EepromToRamLoadsTheWorkingCopies) {
    auto s = quietSensor("p8-co2-temp-rh");
    const auto lampOff = fromEnd(*s, 34);
    EXPECT_EQ(wordAt(*s, Space::RAM, 60), wordAt(*s, Space::EEPROM, lampOff));
    writeEepromWord(*s, lampOff, 1000);
    EXPECT_NE(wordAt(*s, Space::RAM, 60), 1000u) << "RAM keeps the old copy until told";
    EXPECT_TRUE(s->eepromToRam());
    EXPECT_EQ(wordAt(*s, Space::RAM, 60), 1000u);
}

TEST(SpecialCommands, RamToEepromStoresOnlyWhileUnlocked) {
    auto s = quietSensor("p8-co2-temp-rh");
    s->write(Space::RAM, 336, 42);
    EXPECT_FALSE(s->ramToEeprom());
    EXPECT_NE(s->read(Space::EEPROM, 16), 42);
    s->unlockEeprom();
    EXPECT_TRUE(s->ramToEeprom());
    EXPECT_EQ(s->read(Space::EEPROM, 16), 42);
}

TEST(SpecialCommands, Platform5SavesRamParametersAndRestoresThemOnRestart) {
    auto s = quietSensor("p5-co2");
    s->write(Space::RAM, 258, 0x0C);
    s->write(Space::RAM, 259, 0x00);
    EXPECT_TRUE(s->ramToEeprom()) << "platform 5 has no unlock step";
    s->write(Space::RAM, 258, 0x0B);
    s->restart();
    EXPECT_EQ(wordAt(*s, Space::RAM, 258), 0x0C00u);
}

TEST(SpecialCommands, CommandSet1RefusesTheNewerCommands) {
    auto s = quietSensor("p6-co2");
    EXPECT_EQ(s->commandSet(), 1);
    EXPECT_FALSE(s->idToEeprom());
    EXPECT_FALSE(s->twaReset());
}

TEST(SpecialCommands, IdToEepromSavesIdentityAndAbcSamplesWhateverTheLock) {
    auto s = quietSensor("p8-co2-temp-rh");
    s->write(Space::RAM, 337, 9);
    s->write(Space::RAM, 338, 0x01);
    s->write(Space::RAM, 339, 0x90);
    EXPECT_TRUE(s->idToEeprom());
    EXPECT_EQ(s->read(Space::EEPROM, 17), 9);
    EXPECT_EQ(wordAt(*s, Space::EEPROM, 18), 0x0190u);
}

TEST(SpecialCommands, TwaResetRefillsLoggerBuffers) {
    auto s = quietSensor("p8-co2-temp-rh");
    const auto twa = baseAddress(*s, 5);
    const auto buffer = wordAt(*s, Space::EEPROM, twa + 4);
    writeEepromWord(*s, buffer + 10, 1);
    EXPECT_TRUE(s->twaReset());
    EXPECT_EQ(wordAt(*s, Space::EEPROM, buffer + 10), wordAt(*s, Space::EEPROM, twa + 2));
}

TEST(SpecialCommands, PowerOffFreezesReadingsAndPowerOnRestarts) {
    auto s = quietSensor("p8-co2-temp-rh");
    auto& sensor = dynamic_cast<ProfileSensor&>(*s);
    const int before = channel(*s, 5);
    EXPECT_TRUE(s->power(false));
    EXPECT_FALSE(sensor.poweredOn());
    s->world().co2ppm = 1500;
    s->advance(10);
    EXPECT_EQ(channel(*s, 5), before);
    s->unlockEeprom();
    EXPECT_TRUE(s->power(true));
    EXPECT_TRUE(s->eepromLocked());
    EXPECT_NE(channel(*s, 5), before);
    EXPECT_TRUE(s->transparent(true));
    EXPECT_TRUE(sensor.transparentOn());
}

TEST(SensorClock, AdvanceRejectsTimeRunningBackwards) {
    auto s = quietSensor("p8-co2-temp-rh");
    EXPECT_THROW(s->advance(-1), std::invalid_argument);
    EXPECT_THROW(s->advance(std::numeric_limits<double>::quiet_NaN()), std::invalid_argument);
    s->advance(61);
    EXPECT_EQ(wordAt(*s, Space::RAM, 44), 62u) << "seconds since power-up";
    EXPECT_EQ(s->read(Space::RAM, 334), 1) << "minutes";
}

TEST(ModbusRegisters, InputRegistersMirrorTheChannels) {
    auto s = quietSensor("p8-co2-temp-rh");
    std::uint16_t v = 0;
    ASSERT_TRUE(s->inputRegister(6, v));
    EXPECT_EQ(v, static_cast<std::uint16_t>(channel(*s, 5)));
    ASSERT_TRUE(s->inputRegister(7, v));
    EXPECT_EQ(v, static_cast<std::uint16_t>(channel(*s, 4)));
    ASSERT_TRUE(s->inputRegister(8, v));
    EXPECT_EQ(v, static_cast<std::uint16_t>(channel(*s, 6)));
    ASSERT_TRUE(s->inputRegister(21, v));
    EXPECT_EQ(v, wordAt(*s, Space::RAM, 268));
    EXPECT_FALSE(s->inputRegister(32, v));
    EXPECT_FALSE(s->holdingRegister(32, v));
    EXPECT_FALSE(s->writeHoldingRegister(40, 1));
}

TEST(ModbusRegisters, OutputOneFollowsCo2OverItsRange) {
    auto s = quietSensor("p8-co2-temp-rh");
    s->world().co2ppm = 4000;
    s->advance(1);
    std::uint16_t v = 0;
    s->inputRegister(21, v);
    EXPECT_EQ(v, 16300) << "beyond 2000 ppm the output stays at 100 %";
    s->world().co2ppm = 0;
    s->advance(1);
    s->inputRegister(21, v);
    EXPECT_LT(v, 1000);
}

TEST(ModbusRegisters, OutOfServiceValuesLiveInEeprom) {
    auto s = quietSensor("p8-co2-temp-rh");
    std::uint16_t v = 0;
    ASSERT_TRUE(s->holdingRegister(16, v));
    EXPECT_EQ(v, wordAt(*s, Space::EEPROM, 110)) << "oosPar_5";
    ASSERT_TRUE(s->writeHoldingRegister(17, 2500));
    EXPECT_EQ(wordAt(*s, Space::EEPROM, 108), 2500u) << "oosPar_4";
    ASSERT_TRUE(s->writeHoldingRegister(3, 77));
    ASSERT_TRUE(s->holdingRegister(3, v));
    EXPECT_EQ(v, 77);
}

TEST(ModbusRegisters, MeasureStatusFlagsAMissingTemperatureSensorAndHeldValues) {
    auto s = quietSensor("p8-co2-notemp");
    std::uint16_t v = 0;
    s->inputRegister(10, v);
    EXPECT_EQ(v & 0x00F0, 0x0020) << "Temp 1 fault";
    s->write(Space::RAM, 376, 1 << 5);
    s->world().co2ppm = 1200;
    const int held = channel(*s, 5);
    s->advance(1);
    EXPECT_EQ(channel(*s, 5), held) << "value hold";
    s->inputRegister(10, v);
    EXPECT_EQ(v & 0x000F, 0x0004) << "CO2 overridden";
}

TEST(ModbusRegisters, Platform5ReportsItsChannelsWithoutTheOffset) {
    auto s = quietSensor("p5-co2");
    std::uint16_t v = 0;
    s->inputRegister(7, v);
    EXPECT_EQ(v, 2300) << "23.00 degrees C";
    s->inputRegister(6, v);
    EXPECT_EQ(v, wordAt(*s, Space::RAM, 22) - 5000);
}

}  // namespace
}  // namespace kvsim::testing

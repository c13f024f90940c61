#include <gtest/gtest.h>

#include <algorithm>

#include "CalFixture.h"

using namespace kvcal3;

namespace {

constexpr const char* kInput = "cvSpaceTempOffsetAdjustCorrectTemp";

// Channel 4 of the profile shows hundredths of a degree Celsius.
std::string hundredths(std::int32_t raw) {
    const std::int32_t magnitude = raw < 0 ? -raw : raw;
    std::string fraction = std::to_string(magnitude % 100);
    if (fraction.size() < 2) fraction.insert(0, "0");
    return (raw < 0 ? "-" : "") + std::to_string(magnitude / 100) + "." + fraction;
}

class SpaceTemperature : public CalFixture {
  protected:
    void SetUp() override {
        CalFixture::SetUp();
        connect("p8-co2-temp-rh");
        proc = procedure("cpSpaceTempOffsetAdjust");
        table = adr("eaTable0_0");
        for (int i = 0; i < 18; ++i) before.push_back(eepromWord(table + 2 * i));
    }
    std::int32_t shownRaw() {
        return kvcom3::signed16(static_cast<std::uint16_t>(cell("raChan_4", true)));
    }
    kvcom3::Variant& input() { return proc->InputVariables()->Item(kInput)->Value; }
    long actionCount(const std::string& text) const {
        return std::count(memActions.begin(), memActions.end(), text);
    }

    std::shared_ptr<kvCalProcedure> proc;
    std::int32_t table = 0;
    std::vector<std::int32_t> before;  // the 17 table words and the word after them
};

}  // namespace

TEST_F(SpaceTemperature, NoDifferenceReadsAndWritesNoTable) {
    input() = kvcom3::Variant(hundredths(shownRaw()));
    cell("eaCaseChannel_4");
    memActions.clear();
    proc->Run();
    EXPECT_EQ(actionCount("Reading from sensor"), 1) << "only the present reading";
    EXPECT_EQ(actionCount("Writing to sensor"), 0);
    EXPECT_EQ(input(), kvcom3::Variant(NotSetMarker));
    EXPECT_TRUE(user->Questions().empty()) << "a set input is not asked for";
}

TEST_F(SpaceTemperature, ShiftsEveryWordByTheDifferenceAndWritesOnce) {
    input() = kvcom3::Variant(hundredths(shownRaw() + 5));
    memActions.clear();
    proc->Run();
    for (int i = 0; i < 17; ++i) EXPECT_EQ(eepromWord(table + 2 * i), before[i] + 5) << i;
    EXPECT_EQ(eepromWord(table + 34), before[17]) << "the next word is not touched";
    EXPECT_EQ(actionCount("Unlocking EEPROM"), 1);
    EXPECT_EQ(actionCount("Writing to sensor"), 1);
    EXPECT_EQ(actionCount("Locking EEPROM"), 1);
    EXPECT_TRUE(sensor->eepromLocked());
    EXPECT_EQ(input(), kvcom3::Variant(NotSetMarker));
}

TEST_F(SpaceTemperature, AWordThatWouldOverflowChangesNothing) {
    setEepromWord(table + 2 * 16, 32767);
    input() = kvcom3::Variant(hundredths(shownRaw() + 1));
    memActions.clear();
    EXPECT_EQ(errorOf([&] { proc->Run(); }).number(), 6);
    EXPECT_EQ(eepromWord(table + 32), 32767);
    EXPECT_EQ(eepromWord(table), before[0]);
    auto level = mem->AdressLevel();
    EXPECT_EQ(level->Value(table, 2, kvcom3::kvEEPROM),
              static_cast<std::int32_t>(static_cast<std::uint16_t>(before[0])))
        << "the image keeps the sensor's words";
    EXPECT_EQ(actionCount("Writing to sensor"), 0);
    EXPECT_EQ(input(), kvcom3::Variant(NotSetMarker));
    // A later write of the whole EEPROM image has nothing half-shifted to send.
    level->WriteToSensor(table, 34, kvcom3::kvEEPROM, kvcom3::kvAutoWriteToSensor);
    EXPECT_EQ(eepromWord(table + 2), before[1]);
}

TEST_F(SpaceTemperature, AsksForTheTemperatureWhenNotSet) {
    const std::int32_t raw = shownRaw();
    user->QueueAnswer(hundredths(raw - 3) + " C");
    proc->Run();
    ASSERT_EQ(user->Questions().size(), 1u);
    EXPECT_EQ(user->Questions()[0].Prompt, "Please enter correct temperature");
    EXPECT_EQ(eepromWord(table), before[0] - 3);
    EXPECT_EQ(input(), kvcom3::Variant(NotSetMarker)) << "the next run asks again";
}

TEST_F(SpaceTemperature, AnEmptyOrCancelledAnswerIsACancel) {
    user->QueueAnswer(std::string());
    user->QueueAnswer(std::nullopt);
    for (int i = 0; i < 2; ++i) {
        const kvcom3::KvError e = errorOf([&] { proc->Run(); });
        EXPECT_EQ(e.number(), 32755);
        EXPECT_EQ(e.description(), "Cancel was selected ");
    }
    EXPECT_EQ(eepromWord(table), before[0]);
    EXPECT_EQ(input(), kvcom3::Variant(NotSetMarker));
}

TEST_F(SpaceTemperature, ASensorFailureResetsTheInput) {
    input() = kvcom3::Variant(23.0f);
    kvcom3::unbindPort(kPort);
    EXPECT_NE(errorOf([&] { proc->Run(); }).number(), 0);
    EXPECT_EQ(input(), kvcom3::Variant(NotSetMarker));
}

// The sensor reads the true 23.0 C wrong; after the adjustment it shows 23.0.
TEST_F(SpaceTemperature, EndToEndTheSensorShowsTheCorrectTemperature) {
    sensor->world().temperatureC = 23.0;
    sensor->advance(1.0);
    const std::int32_t wrong = shownRaw();
    ASSERT_GT(std::abs(wrong - 2300), 1) << "the profile's element reads off";

    proc->InputVariables()->Item(kInput)->Value = kvcom3::Variant(23.0f);
    memActions.clear();
    proc->Run();
    sensor->advance(1.0);
    EXPECT_NEAR(shownRaw() / 100.0, 23.0, 0.0101);

    EXPECT_TRUE(sensor->eepromLocked());
    auto at = [&](const char* text) {
        return std::find(memActions.begin(), memActions.end(), text) - memActions.begin();
    };
    EXPECT_LT(at("Unlocking EEPROM"), at("Writing to sensor"));
    EXPECT_LT(at("Writing to sensor"), at("Locking EEPROM"));
    EXPECT_LT(at("Locking EEPROM"), static_cast<long>(memActions.size()));
}

// Not temperature, but the same sensor: the reading display reads the raw CO2 signal anew.
TEST_F(SpaceTemperature, ReadingDisplayReadsTheRawCo2Signal) {
    auto zero = procedure("cpCO2ZeroCal");
    user->QueueReadingChoice(ReadingChoice::Next, 2);
    zero->ShowReadings();
    const auto& h = user->History();
    ASSERT_EQ(h.Count(), 2);
    EXPECT_EQ(h.Readings()[9], static_cast<float>(cell("raChan_14", true)));
    EXPECT_GT(h.Readings()[9], 0.0f);
}

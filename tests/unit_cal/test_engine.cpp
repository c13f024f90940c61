#include <gtest/gtest.h>

#include <memory>

#include "kvcal3/ScriptedInteraction.h"
#include "kvcal3/kvCalProcedure.h"
#include "kvcom3/KvError.h"

using namespace kvcal3;

namespace {

std::int32_t errorNumber(const std::function<void()>& call) {
    try {
        call();
    } catch (const kvcom3::KvError& e) {
        return e.number();
    }
    return 0;
}

// No sensor is given to the library here: anything that reached for one would fail with 91.
class Engine : public ::testing::Test {
  protected:
    void SetUp() override {
        user = std::make_shared<ScriptedInteraction>();
        setUserInteraction(user);
    }
    void TearDown() override { setUserInteraction(nullptr); }

    kvCalProcedure proc;
    std::shared_ptr<ScriptedInteraction> user;
};

}  // namespace

TEST_F(Engine, GetValReadsTheNumberAUserTyped) {
    EXPECT_EQ(proc.getVal("abc"), 0.0f);
    EXPECT_EQ(proc.getVal(""), 0.0f);
    EXPECT_EQ(proc.getVal("12,5%"), 12.5f);
    EXPECT_EQ(proc.getVal("400 ppm"), 400.0f);
    EXPECT_EQ(proc.getVal("21,5"), 21.5f);
    EXPECT_EQ(proc.getVal("-3.2 C"), -3.2f);
    EXPECT_EQ(proc.getVal("1.013,2"), 1.013f) << "a second separator ends the number";
    EXPECT_EQ(proc.getVal("1e5"), 15.0f) << "letters are dropped, an exponent too";
    EXPECT_EQ(errorNumber([&] { proc.getVal(std::string(60, '9')); }), 6) << "beyond a single";
}

TEST_F(Engine, SignConversionsOfSixteenBitWords) {
    EXPECT_EQ(proc.lngToSint(65535), -1);
    EXPECT_EQ(proc.lngToSint(32768), -32768);
    EXPECT_EQ(proc.lngToSint(32767), 32767);
    EXPECT_EQ(errorNumber([&] { proc.lngToSint(-5); }), 6) << "bit 15 set: -5 - 65536";
    EXPECT_EQ(errorNumber([&] { proc.lngToSint(70000); }), 6);
    EXPECT_EQ(errorNumber([&] { proc.lngToSint(-40000); }), 6);
    EXPECT_EQ(proc.SintToLng(-1), 65535);
    EXPECT_EQ(proc.SintToLng(-32768), 32768);
    EXPECT_EQ(proc.SintToLng(1234), 1234);
}

TEST_F(Engine, RunSelectsByTheExactKeyOnly) {
    for (const char* key : {"cpCO2Offset", "cpspacetempoffsetadjust", "CPRHCAL", ""}) {
        proc.Key = key;
        EXPECT_TRUE(proc.Run().isEmpty()) << key;
    }
    EXPECT_TRUE(user->Questions().empty());
    // A listed key does run its algorithm, which here finds no inputs.
    proc.Key = "cpRHcal";
    EXPECT_EQ(errorNumber([&] { proc.Run(); }), 5);
}

TEST_F(Engine, ReadingDisplayPromptsOfTheCo2Steps) {
    const std::pair<const char*, const char*> steps[] = {
        {"cpCO2ZeroCal", "Expose the sensor to zero gas and"},
        {"cpCO2SpanCal", "Expose the sensor to span gas and"},
        {"cpCO2BackGround", "Expose the sensor to fresh air and"},
    };
    for (const auto& [key, prompt] : steps) {
        proc.Key = key;
        user->QueueReadingChoice(ReadingChoice::Next, 0);
        proc.ShowReadings();
        EXPECT_EQ(user->ReadingPrompts().back(), prompt);
    }
    for (const char* key : {"cpCOZeroCal", "cpCO2OffsetCal", "cpco2zerocal"}) {
        proc.Key = key;
        proc.ShowReadings();
    }
    EXPECT_EQ(user->ReadingPrompts().size(), 3u) << "other keys show nothing";
}

TEST_F(Engine, CancelledReadingDisplayRaises32755) {
    proc.Key = "cpCO2SpanCal";
    user->QueueReadingChoice(ReadingChoice::Cancel, 0);
    try {
        proc.ShowReadings();
        FAIL();
    } catch (const kvcom3::KvError& e) {
        EXPECT_EQ(e.number(), 32755);
        EXPECT_EQ(e.description(), "Cancel was selected ");
    }
    // Without an installed user nobody can answer: the display counts as cancelled.
    setUserInteraction(nullptr);
    EXPECT_EQ(errorNumber([&] { proc.ShowReadings(); }), 32755);
}

TEST_F(Engine, ReadingDisplayWithoutSensorEndsWithItsError) {
    proc.Key = "cpCO2ZeroCal";
    user->QueueReadingChoice(ReadingChoice::Next, 1);
    EXPECT_EQ(errorNumber([&] { proc.ShowReadings(); }), 91);
}

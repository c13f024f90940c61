// Cancel from the event pump at seeded random points of long reads, EEPROM writes and
// calibrations: the operation ends with 32755 within one attempt's time, an EEPROM the library
// unlocked is locked again, and the next operation runs as if nothing had happened.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "facade/LibraryState.h"
#include "host/InProcessDevice.h"
#include "kvcom3/ISensMem.h"
#include "kvcom3/ManualClock.h"
#include "kvcom3/Ports.h"
#include "kvcom3/clsArrayLevel.h"
#include "kvcom3/clsObjectLevel.h"
#include "kvcom3/kvArrayNode.h"
#include "kvcom3/kvObjectNode.h"
#include "reliability/CancelPoints.h"
#include "reliability/SoakBench.h"
#include "unit_cal/CalFixture.h"

namespace {

constexpr int kPort = 5;
constexpr int kPoints = 12;
// The longest single attempt: a KVBUS command (pause, slow clear-to-receive, frame pause, reply).
constexpr double kOneAttemptSeconds = 0.02 + 0.8 + 0.03 + 3.0;
constexpr std::int32_t kCancelled = 32755;

class CancelLink : public ::testing::TestWithParam<kvsim::Protocol> {
  protected:
    void SetUp() override {
        kvcom3::setClock(std::make_shared<kvcom3::ManualClock>());
        kvcom3::gCancel = false;
        kvcom3::gLeavePortOpen = false;
        kvcom3::gProtokoll = GetParam() == kvsim::Protocol::Modbus ? 1 : 0;
        sensor = kvrel::soakSensor();
        auto line = kvsim::makeLine({kvsim::Station{.sensor = sensor, .protocol = GetParam()}});
        kvcom3::bindPort(kPort, std::make_shared<kvsim::InProcessDevice>(line));
        mem = std::make_shared<kvcom3::ISensMem>();
        mem->Connect(kPort);
        level = mem->AdressLevel();
    }
    void TearDown() override {
        kvcom3::setEventPump(nullptr);
        kvcom3::unbindPort(kPort);
        kvcom3::setClock(nullptr);
        kvcom3::gConnection = kvcom3::Connection{};
        kvcom3::gCancel = false;
        kvcom3::gProtokoll = 0;
    }

    // A cancel that comes after the operation's last transfer made its check is not lost: it
    // stays for the next transfer, which ends with it (calibrations rely on this to stop after a
    // wait). Such late points are counted; the others must end the operation itself.
    void expectCancelled(const kvrel::CancelOutcome& outcome, long point) {
        ASSERT_TRUE(outcome.cancelled) << "pump turn " << point;
        if (outcome.number == 0) {
            ++late;
            EXPECT_TRUE(kvcom3::gCancel) << "pump turn " << point;
            EXPECT_EQ(errorOf([&] { level->Value(65, 1, kvcom3::kvRAM, true); }), kCancelled);
        } else {
            EXPECT_EQ(outcome.number, kCancelled) << "pump turn " << point;
            EXPECT_LE(outcome.secondsAfterCancel, kOneAttemptSeconds) << "pump turn " << point;
        }
        EXPECT_FALSE(kvcom3::gCancel) << "a cancel ends one operation only";
    }
    static std::int32_t errorOf(const std::function<void()>& call) {
        try {
            call();
        } catch (const kvcom3::KvError& e) {
            return e.number();
        }
        return 0;
    }

    std::shared_ptr<kvtest::FakeSensor> sensor;
    std::shared_ptr<kvcom3::ISensMem> mem;
    std::shared_ptr<kvcom3::clsAdressLevel> level;
    int late = 0;
};

TEST_P(CancelLink, ALongReadEndsWithinOneAttemptAndTheNextReadWorks) {
    auto readAll = [&] { level->ReadFromSensor(0, 0, kvcom3::kvEEPROM, kvcom3::kvReadFromSensor); };
    const long pumps = kvrel::countPumps(readAll);
    ASSERT_GT(pumps, 200) << "a whole EEPROM is a long read";
    for (long point : kvrel::cancelPoints(pumps, kPoints, 101)) {
        expectCancelled(kvrel::runCancelledAt(
                            point, [&] { mem->Cancel(); }, readAll),
                        point);
        EXPECT_EQ(level->Value(65, 1, kvcom3::kvRAM, true), 19 << 3);
        EXPECT_EQ(level->Value(1000, 1, kvcom3::kvEEPROM, true), (1000 ^ 0x5A) & 0xFF);
    }
    EXPECT_LT(late, kPoints / 3);
}

TEST_P(CancelLink, AnEepromWriteEndsLockedAndTheNextWriteCompletesIt) {
    const std::int32_t start = 600;
    const std::int32_t count = 120;
    int round = 0;
    auto fill = [&] {
        for (std::int32_t i = 0; i < count; ++i) {
            level->LetValue(start + i, 1, kvcom3::kvEEPROM, false, 0, 0, (i * 5 + round) & 0xFF);
        }
    };
    auto writeAll = [&] {
        level->WriteToSensor(start, count, kvcom3::kvEEPROM, kvcom3::kvWriteToSensor);
    };
    fill();
    const long pumps = kvrel::countPumps(writeAll);
    ASSERT_GT(pumps, 50);
    for (long point : kvrel::cancelPoints(pumps, kPoints, 202)) {
        ++round;
        fill();
        expectCancelled(kvrel::runCancelledAt(
                            point, [&] { mem->Cancel(); }, writeAll),
                        point);
        EXPECT_TRUE(sensor->eepromLocked()) << "pump turn " << point;
        level->WriteToSensor(start, count, kvcom3::kvEEPROM, kvcom3::kvAutoWriteToSensor);
        for (std::int32_t i = 0; i < count; ++i) {
            ASSERT_EQ(sensor->read(kvsim::Space::EEPROM, static_cast<std::uint32_t>(start + i)),
                      (i * 5 + round) & 0xFF)
                << "address " << start + i << " after pump turn " << point;
        }
        EXPECT_TRUE(sensor->eepromLocked());
    }
    EXPECT_LT(late, kPoints / 3);
}

INSTANTIATE_TEST_SUITE_P(Protocols, CancelLink,
                         ::testing::Values(kvsim::Protocol::Kvbus, kvsim::Protocol::Modbus),
                         [](const auto& info) {
                             return info.param == kvsim::Protocol::Modbus ? "Modbus" : "Kvbus";
                         });

// Calibrations on the virtual CO2/temperature/RH sensor, each on a fresh sensor per point.
class CancelCalibration : public CalFixture {
  protected:
    void TearDown() override {
        kvcom3::setEventPump(nullptr);
        CalFixture::TearDown();
    }

    // A fresh sensor with its map and tree built, and the procedure's inputs, ready to run.
    std::shared_ptr<kvcal3::kvCalProcedure> prepare(const std::string& key) {
        connect("p8-co2-temp-rh");
        mem->ObjectLevel()->CommonNode(kvcom3::LampOnTime)->Value();
        auto proc = procedure(key);
        auto set = [&](const char* name, const kvcom3::Variant& value) {
            proc->InputVariables()->Item(name)->Value = value;
        };
        if (key == "cpSpaceTempOffsetAdjust") {
            set("cvSpaceTempOffsetAdjustCorrectTemp", kvcom3::Variant(24.5f));
        } else if (key == "cpRHcal") {
            set("cvSpaceRHCalZeroOffset", kvcom3::Variant(0.375f));
            set("cvSpaceRHCalSlope", kvcom3::Variant(41.25f));
        } else {
            sensor->world().co2ppm = 0;
            sensor->advance(1.0);
        }
        return proc;
    }
    static long cellCount(const kvcom3::kvArrayNodes& nodes) {
        long count = 0;
        for (const auto& node : nodes) count += 1 + cellCount(*node->Nodes());
        return count;
    }
    double lampPeriodSeconds() {
        auto objects = mem->ObjectLevel();
        return (objects->CommonNode(kvcom3::LampOnTime)->Value().toDouble() +
                objects->CommonNode(kvcom3::LampOffTime)->Value().toDouble()) /
               1000;
    }

    // Cancels each procedure at seeded points; `waitSeconds` is the longest pause the procedure
    // makes between two transfers, which a cancel must sit out before a transfer notices it.
    void cancelAtRandom(const std::string& key, std::uint32_t seed) {
        auto dry = prepare(key);
        const double waitSeconds = key == "cpCO2ZeroCal" ? lampPeriodSeconds() : 0;
        const long pumps = kvrel::countPumps([&] { dry->Run(); });
        ASSERT_GT(pumps, 10);
        for (long point : kvrel::cancelPoints(pumps, kPoints, seed)) {
            auto proc = prepare(key);
            const auto outcome = kvrel::runCancelledAt(
                point, [&] { mem->Cancel(); }, [&] { proc->Run(); });
            ASSERT_TRUE(outcome.cancelled) << key << " pump turn " << point;
            EXPECT_EQ(outcome.number, kCancelled) << key << " pump turn " << point;
            EXPECT_LE(outcome.secondsAfterCancel, waitSeconds + kOneAttemptSeconds)
                << key << " pump turn " << point;
            EXPECT_TRUE(sensor->eepromLocked()) << key << " pump turn " << point;
            // The next run on the same sensor goes through.
            auto again = procedure(key);
            if (key == "cpSpaceTempOffsetAdjust") {
                again->InputVariables()->Item("cvSpaceTempOffsetAdjustCorrectTemp")->Value =
                    kvcom3::Variant(24.5f);
            } else if (key == "cpRHcal") {
                again->InputVariables()->Item("cvSpaceRHCalZeroOffset")->Value =
                    kvcom3::Variant(0.375f);
                again->InputVariables()->Item("cvSpaceRHCalSlope")->Value = kvcom3::Variant(41.25f);
            }
            EXPECT_EQ(errorOf([&] { again->Run(); }).number(), 0) << key << " after " << point;
            EXPECT_TRUE(sensor->eepromLocked());
        }
    }
};

TEST_F(CancelCalibration, TemperatureAdjustment) {
    cancelAtRandom("cpSpaceTempOffsetAdjust", 303);
}

TEST_F(CancelCalibration, RhCalibration) {
    cancelAtRandom("cpRHcal", 404);
}

TEST_F(CancelCalibration, Co2ZeroCalibrationWhileItMeasures) {
    cancelAtRandom("cpCO2ZeroCal", 505);
}

// A cancel while the memory map is being generated leaves the map partly built until it is
// cleared, as described for any failure of generation: cells not yet built stay unknown. A new
// connection (or ClearAll) builds it afresh.
TEST_F(CancelCalibration, ACancelDuringMapGenerationLeavesThePartMapUntilCleared) {
    connect("p8-co2-temp-rh");
    const long pumps = kvrel::countPumps([&] { mem->ArrayLevel()->Nodes(); });
    const long complete = cellCount(*mem->ArrayLevel()->Nodes());
    connect("p8-co2-temp-rh");
    const auto outcome = kvrel::runCancelledAt(
        pumps / 2, [&] { mem->Cancel(); }, [&] { mem->ArrayLevel()->Nodes(); });
    ASSERT_EQ(outcome.number, kCancelled);
    EXPECT_LT(cellCount(*mem->ArrayLevel()->Nodes()), complete) << "no second generation";
    mem->ClearAll();
    EXPECT_EQ(cellCount(*mem->ArrayLevel()->Nodes()), complete);
}

}  // namespace

// A transfer fails at each write of a calibration in turn. The sensor's EEPROM then holds, byte
// for byte, either what it held before or what the calibration writes, and which of the two
// follows from where the failure struck: the blocks sent before it are in, the rest are not.
// Each test states what that means for its procedure. Then the one try to put the old bytes back
// that the programs make must leave the EEPROM as it was before, byte for byte.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iostream>
#include <set>
#include <string>
#include <vector>

#include "kvcom3/Journal.h"
#include "kvcom3/clsAdressLevel.h"
#include "kvcom3/clsObjectLevel.h"
#include "kvcom3/kvObjectNode.h"
#include "unit_cal/CalFixture.h"
#include "unit_cal/CoElementScript.h"

namespace {

using Prepare = std::function<void(kvcal3::kvCalProcedure&)>;
// Sets the sensor up and gives back the operation to run on it.
using Stage = std::function<std::function<void()>()>;

// Where a failure at one write left the sensor.
enum class State { AsBefore, Complete, Part };

struct Block {
    std::int32_t adr;
    std::int32_t count;
    bool eeprom;
};

class HalfWritten : public CalFixture {
  protected:
    void SetUp() override {
        CalFixture::SetUp();
        journal_ = std::filesystem::temp_directory_path() /
                   ("kv-half-written-" + std::to_string(::getpid()));
        kvcom3::enableJournal("test", journal_);
        heaterLog_ = journal_.string() + "-heater-log";
        ::setenv("KVCAL3_LOG_DIR", heaterLog_.c_str(), 1);
    }
    void TearDown() override {
        ::unsetenv("KVCAL3_LOG_DIR");
        kvcom3::disableJournal();
        std::filesystem::remove_all(journal_);
        std::filesystem::remove_all(heaterLog_);
        CalFixture::TearDown();
    }

    // Runs the procedure once clean, then once per write with every attempt of that write
    // failing, each time on a fresh sensor. One state per write, in order.
    std::vector<State> failEachWrite(const std::string& profile, const std::string& key,
                                     const Prepare& prepare) {
        return failEachWriteOf(profile, key, [this, key, prepare]() -> std::function<void()> {
            auto proc = procedure(key);
            prepare(*proc);
            return [proc] { proc->Run(); };
        });
    }

    std::vector<State> failEachWriteOf(const std::string& profile, const std::string& key,
                                       const Stage& stage) {
        std::vector<Block> blocks;
        const auto before = run(profile, key, stage, 0, blocks);
        const auto after = eeprom();
        EXPECT_FALSE(failed_) << key << " clean run: " << message_;
        std::set<std::int32_t> changed;
        for (std::size_t a = 0; a < after.size(); ++a) {
            if (after[a] != before[a]) changed.insert(static_cast<std::int32_t>(a));
        }
        EXPECT_FALSE(changed.empty()) << key << " changes nothing";

        std::vector<State> states;
        for (std::size_t k = 1; k <= blocks.size(); ++k) {
            std::vector<Block> ignored;
            const auto start = run(profile, key, stage, static_cast<int>(k), ignored);
            EXPECT_TRUE(failed_) << key << " write " << k;
            EXPECT_TRUE(sensor->eepromLocked()) << key << " write " << k;
            const auto now = eeprom();
            // Bytes of the blocks sent before the failed one are new; all others are as before.
            std::set<std::int32_t> sent;
            for (std::size_t b = 0; b + 1 < k; ++b) {
                if (!blocks[b].eeprom) continue;
                for (std::int32_t i = 0; i < blocks[b].count; ++i) sent.insert(blocks[b].adr + i);
            }
            std::set<std::int32_t> fresh;
            for (std::size_t a = 0; a < now.size(); ++a) {
                const auto adr = static_cast<std::int32_t>(a);
                const bool expectNew = changed.count(adr) && sent.count(adr);
                EXPECT_EQ(now[a], expectNew ? after[a] : before[a])
                    << key << ": EEPROM " << a << " after a failure at write " << k;
                if (now[a] != before[a]) fresh.insert(adr);
            }
            states.push_back(fresh.empty()      ? State::AsBefore
                             : fresh == changed ? State::Complete
                                                : State::Part);
            const auto back = kvcom3::rollBackLastOperation(*mem->AdressLevel());
            EXPECT_EQ(back.result, kvcom3::JournalRollBack::Result::Restored)
                << key << " write " << k << ": " << back.message();
            EXPECT_EQ(eeprom(), start) << key << ": put back after a failure at write " << k;
        }
        std::string shown;
        for (State s : states)
            shown += s == State::AsBefore ? " before" : s == State::Part ? " part" : " new";
        std::cout << key << ": " << blocks.size() << " writes; a failure at each leaves" << shown
                  << std::endl;
        return states;
    }

    std::vector<std::uint8_t> eeprom() const {
        std::vector<std::uint8_t> bytes(sensor->size(kvsim::Space::EEPROM));
        for (std::size_t a = 0; a < bytes.size(); ++a) {
            bytes[a] = sensor->read(kvsim::Space::EEPROM, static_cast<std::uint32_t>(a));
        }
        return bytes;
    }

  private:
    // One run on a fresh sensor; with `failAt` > 0 every attempt of that write fails (and only
    // those, so that the lock after it goes through). Returns the EEPROM before the run.
    std::vector<std::uint8_t> run(const std::string& profile, const std::string& key,
                                  const Stage& stage, int failAt, std::vector<Block>& blocks) {
        connect(profile);
        const auto act = stage();
        const auto before = eeprom();
        kvcom3::setJournalOperation(key);
        int writes = 0;
        // Disconnected before returning: the put-back that follows logs through the same sensor.
        const auto logger = mem->ComLogg.connect([&](std::string& text) {
            int count = 0;
            int adr = 0;
            char memory[16] = {};
            if (std::sscanf(text.c_str(), "Writing %d bytes to adress %d in %15s", &count, &adr,
                            memory) != 3) {
                return;
            }
            blocks.push_back({adr, count, std::string(memory) == "EEPROM"});
            if (++writes != failAt) return;
            const int next = line->transfers(kvsim::Domain::Sensor) + 1;
            line->addFault("no-ctr@" + std::to_string(next) + "-" + std::to_string(next + 49));
        });
        const auto error = errorOf(act);
        mem->ComLogg.disconnect(logger);
        failed_ = error.number() != 0;
        message_ = error.description();
        line->clearFaults();
        return before;
    }

    bool failed_ = false;
    std::string message_;
    std::filesystem::path journal_;
    std::filesystem::path heaterLog_;
};

void input(kvcal3::kvCalProcedure& proc, const char* key, const kvcom3::Variant& value) {
    proc.InputVariables()->Item(key)->Value = value;
}

int count(const std::vector<State>& states, State s) {
    return static_cast<int>(std::count(states.begin(), states.end(), s));
}

}  // namespace

// One factor, one block: a failure leaves the sensor as it was.
TEST_F(HalfWritten, Co2ZeroFactorIsAllOrNothing) {
    const auto states = failEachWrite("p8-co2-temp-rh", "cpCO2ZeroCal", [](auto& proc) {
        input(proc, "cvCO2ZeroCalOld", kvcom3::Variant(40960));
    });
    EXPECT_EQ(states, std::vector<State>{State::AsBefore});
}

TEST_F(HalfWritten, Co2OffsetFactorIsAllOrNothing) {
    const auto states = failEachWrite("p8-co2-temp-rh", "cpCO2OffsetCal", [&](auto& proc) {
        sensor->world().co2ppm = 1000;
        sensor->advance(1.0);
        input(proc, "cvCO2OffsetCalGas", kvcom3::Variant(1000));
    });
    EXPECT_EQ(states, std::vector<State>{State::AsBefore});
}

TEST_F(HalfWritten, Co2BackgroundFactorIsAllOrNothing) {
    const auto states = failEachWrite("p8-co2-temp-rh", "cpCO2BackGround", [&](auto&) {
        sensor->world().temperatureC = -1.5;
        sensor->world().co2ppm = 400;
        sensor->advance(1.0);
    });
    EXPECT_EQ(count(states, State::Part), 0);
    EXPECT_EQ(states.front(), State::AsBefore);
}

// The span calibration writes the span factor and then moves the background target to keep its
// concentration: a failure between the two leaves the new span with the old target.
TEST_F(HalfWritten, Co2SpanWritesItsFactorsOneAfterTheOther) {
    const auto states = failEachWrite("p8-co2-temp-rh", "cpCO2SpanCal", [&](auto& proc) {
        sensor->world().temperatureC = 30;
        sensor->world().co2ppm = 2000;
        sensor->advance(1.0);
        input(proc, "cvCO2SpanCalGas", kvcom3::Variant(2000));
    });
    ASSERT_FALSE(states.empty());
    EXPECT_EQ(states.front(), State::AsBefore);
}

// A table goes out block by block in one write: a failure leaves the blocks before it new and the
// rest old. The calibration reports the error; running it again completes the table.
TEST_F(HalfWritten, RhTableIsWrittenUpToTheFailedBlock) {
    const auto states = failEachWrite("p8-co2-temp-rh", "cpRHcal", [](auto& proc) {
        input(proc, "cvSpaceRHCalZeroOffset", kvcom3::Variant(0.375f));
        input(proc, "cvSpaceRHCalSlope", kvcom3::Variant(41.25f));
    });
    ASSERT_GT(states.size(), 2u);
    EXPECT_EQ(states.front(), State::AsBefore);
    EXPECT_GT(count(states, State::Part), static_cast<int>(states.size()) / 2);
}

TEST_F(HalfWritten, TemperatureTableIsWrittenUpToTheFailedBlock) {
    const auto states = failEachWrite("p8-co2-temp-rh", "cpSpaceTempOffsetAdjust", [](auto& proc) {
        input(proc, "cvSpaceTempOffsetAdjustCorrectTemp", kvcom3::Variant(24.5f));
    });
    ASSERT_GT(states.size(), 2u);
    EXPECT_EQ(states.front(), State::AsBefore);
    EXPECT_GT(count(states, State::Part), static_cast<int>(states.size()) / 2);
}

TEST_F(HalfWritten, CoZeroDividerIsAllOrNothing) {
    const auto states = failEachWrite("p8-co-probe", "cpCOZeroCal", [&](auto&) {
        setEepromWord(adr("eawPar_2"), 4000);
        // The image knows the divider from the connect; the journal takes old values from it.
        cell("eawPar_2", true);
        sensor->world().coPpm = 0;
        sensor->advance(1.0);
    });
    EXPECT_EQ(states, std::vector<State>{State::AsBefore});
}

// The heater calibration writes the drive at the top of each cycle. An element that ends its
// first cycle a little below the target, inside the window, ends the calibration there.
TEST_F(HalfWritten, CoHeaterCalibrationDriveIsAllOrNothing) {
    const auto states = failEachWrite("p8-co-probe", "cpCOHeaterCal", [&](auto& proc) {
        cotest::scriptSignal(sensor, clock, [](int s) { return 29950 + s; });
        input(proc, "cvHeaterCalOHR", kvcom3::Variant(33.87));
        input(proc, "cvHeaterCalRIWA", kvcom3::Variant(cotest::wetAirFor(30000)));
    });
    EXPECT_EQ(states, std::vector<State>{State::AsBefore});
}

TEST_F(HalfWritten, CoHeaterStartDriveIsAllOrNothing) {
    const auto states = failEachWrite("p8-co-probe", "cpCOHeaterStart", [](auto& proc) {
        input(proc, "cvHeaterStartOHR", kvcom3::Variant(35.0));
    });
    EXPECT_EQ(states, std::vector<State>{State::AsBefore});
}

// The humidity-compensated calibration writes its divider, its humidity factor and its table one
// after the other; a failure keeps what went out before it.
TEST_F(HalfWritten, CoHumidityCompensatedCalibrationWritesItsCellsInTurn) {
    const auto states = failEachWrite("p8-co-probe", "cpCOAHZeroSpanCal", [](auto& proc) {
        const std::vector<std::pair<const char*, double>> values{
            {"cvCOAHZeroSpanCalSpanGas", 50},    {"cvCOAHZeroSpanCalOLDspangas", 15287},
            {"cvCOAHZeroSpanCalAHspangas", 9.2}, {"cvCOAHZeroSpanCalOLDdry", 26569},
            {"cvCOAHZeroSpanCalAHdry", 2.1},     {"cvCOAHZeroSpanCalOldnorm", 25736},
            {"cvCOAHZeroSpanCalAHnorm", 9.2},    {"cvCOAHZeroSpanCalOldwet", 24843},
            {"cvCOAHZeroSpanCalAHwet", 17.4},    {"cvCOAHZeroSpanCalOldzero", 25736},
            {"cvCOAHZeroSpanCalAHzero", 9.2},
        };
        for (const auto& [key, value] : values) input(proc, key, kvcom3::Variant(value));
    });
    ASSERT_GT(states.size(), 2u);
    EXPECT_EQ(states.front(), State::AsBefore);
}

// A write of 20 bytes goes out in blocks: a failure leaves the blocks before it new.
TEST_F(HalfWritten, MultiBlockWriteIsWrittenUpToTheFailedBlock) {
    const auto states =
        failEachWriteOf("p8-co2-temp-rh", "poke", [this]() -> std::function<void()> {
            return [this] {
                auto level = mem->AdressLevel();
                for (std::int32_t i = 0; i < 20; ++i)
                    level->LetValue(100 + i, 1, kvcom3::kvEEPROM, false, 0,
                                    kvcom3::kvLSByteAtHighAdress, 0xA0 + i);
                level->WriteToSensor(100, 20, kvcom3::kvEEPROM, kvcom3::kvAutoWriteToSensor);
            };
        });
    ASSERT_GT(states.size(), 2u);
    EXPECT_EQ(states.front(), State::AsBefore);
}

TEST_F(HalfWritten, FigaroZeroIsAllOrNothing) {
    const auto states = failEachWrite("p8-figaro-co", "cpCOZeroCalFigaro", [&](auto&) {
        sensor->world().coPpm = 3;
        sensor->advance(1.0);
    });
    EXPECT_EQ(states, std::vector<State>{State::AsBefore});
}

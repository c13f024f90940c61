#include <gtest/gtest.h>

#include <cmath>

#include "test_model_support.h"

using namespace kvsim;
using namespace kvsim::testing;

namespace {

constexpr int kCoRaw = 13;
constexpr std::uint32_t kHeaterDrive = 6;  // wPar_3

// The element resistance behind a raw count, inverting the probe's divider circuit.
double resistanceOf(int count) {
    const double volts = count * 4.125 / 65536 + 0.375;
    return 620000 / (volts / ((1000.0 / 101000 * 5) * (330000.0 / 36000 + 1)) - 1);
}

}  // namespace

TEST(HeatedCoElement, MoreHeaterDriveLowersTheResistanceGently) {
    auto s = quietSensor("p8-co-probe");
    writeEepromWord(*s, kHeaterDrive, 30000);
    s->advance(1);
    const int factory = rawChannel(*s, kCoRaw);
    const double rFactory = resistanceOf(factory);
    int previous = -1;
    for (int drive : {0, 10000, 20000, 30000, 40000, 50000, 65535}) {
        writeEepromWord(*s, kHeaterDrive, drive);
        s->advance(1);
        const int count = rawChannel(*s, kCoRaw);
        EXPECT_GT(count, previous) << "a hotter element conducts better, drive " << drive;
        previous = count;
        EXPECT_NEAR(resistanceOf(count) / rFactory, std::exp(-(drive - 30000) / 4.0e6), 1e-4)
            << drive;
    }
    writeEepromWord(*s, kHeaterDrive, 20000);
    s->advance(1);
    EXPECT_NEAR(factory - rawChannel(*s, kCoRaw), 60, 15)
        << "one coarse heater step moves the signal less than the calibration window";
}

TEST(HeatedCoElement, HumidityAndCoRaiseTheResistanceAtAnyDrive) {
    auto s = quietSensor("p8-co-probe");
    for (int drive : {10000, 50000}) {
        writeEepromWord(*s, kHeaterDrive, drive);
        s->world().rhPercent = 20;
        s->world().coPpm = 0;
        s->advance(1);
        const int dry = rawChannel(*s, kCoRaw);
        s->world().rhPercent = 85;
        s->advance(1);
        const int wet = rawChannel(*s, kCoRaw);
        s->world().coPpm = 100;
        s->advance(1);
        const int gas = rawChannel(*s, kCoRaw);
        EXPECT_GT(resistanceOf(wet) - resistanceOf(dry), 12000) << drive;
        EXPECT_NEAR(resistanceOf(gas) - resistanceOf(wet), 30000, 500) << drive;
    }
}

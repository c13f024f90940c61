#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "test_model_support.h"

// The readings must answer the calibrations the way the calibration library computes them; the
// arithmetic of those procedures is written out here from their descriptions.
namespace kvsim::testing {
namespace {

// Table value to count along the 17 points (the calibration library's GetCount).
double countOf(const Sensor& s, int table, double unit) {
    for (int k = 0; k < 16; ++k) {
        const double a = tablePoint(s, table, k);
        const double b = tablePoint(s, table, k + 1);
        if (a != b && std::min(a, b) <= unit && unit <= std::max(a, b))
            return std::round((unit - a) / (b - a) * 4096 + 4096 * k);
    }
    return 0;
}

int signedByte(std::uint8_t b) {
    return b >= 128 ? b - 256 : b;
}

std::uint32_t zeroCell(const Sensor&) {
    return 14;
}  // wPar_7
std::uint32_t spanCell(const Sensor& s) {
    return fromEnd(s, 264 - 2);
}  // wPar_9

void zeroCalibrate(Sensor& s) {
    const double n = rawChannel(s, 14);
    writeEepromWord(s, zeroCell(s), static_cast<int>(std::lrint(125829120 / n)));
}

void spanCalibrate(Sensor& s, double gasPpm) {
    const double c = countOf(s, 2, gasPpm);
    const double n = rawChannel(s, 14);
    const double dt = channel(s, 15);
    const double ts = signedByte(s.read(Space::EEPROM, fromEnd(s, 143)));
    const double z = wordAt(s, Space::EEPROM, zeroCell(s));
    const double d = (61440 - c) * 2048 / (61440 - z * n / 2048);
    const double b = (ts * dt / 32 + 2048) / 2048;
    writeEepromWord(s, spanCell(s), static_cast<int>(std::lrint(d / b)));
}

TEST(TemperatureReading, FollowsTheWorldThroughTable0) {
    auto s = quietSensor("p8-co2-temp-rh");
    s->world().temperatureC = 18.0;
    s->advance(1);
    EXPECT_NEAR(channel(*s, 4), 1860, 1) << "the element reads 0.6 degrees high";
    s->world().temperatureC = 30.0;
    s->advance(1);
    EXPECT_NEAR(channel(*s, 4), 3060, 1);
}

TEST(TemperatureReading, ShiftingTable0ShiftsTheReading) {
    auto s = quietSensor("p8-co2-temp-rh");
    const int wanted = 2300;
    const int d = wanted - channel(*s, 4);
    ASSERT_NE(d, 0);
    s->unlockEeprom();
    for (int i = 0; i < 17; ++i) {
        const auto a = tableAddress(*s, 0, i);
        const auto w = static_cast<std::uint16_t>(tablePoint(*s, 0, i) + d);
        s->write(Space::EEPROM, a, static_cast<std::uint8_t>(w >> 8));
        s->write(Space::EEPROM, a + 1, static_cast<std::uint8_t>(w & 0xFF));
    }
    s->lockEeprom();
    s->advance(1);
    EXPECT_EQ(channel(*s, 4), wanted);
    s->world().temperatureC = 26.5;
    s->advance(1);
    EXPECT_NEAR(channel(*s, 4), 2650, 1) << "the adjustment holds at other temperatures";
}

TEST(TemperatureReading, ChannelStaysEmptyWithoutATemperatureSensor) {
    auto s = quietSensor("p8-co2-notemp");
    EXPECT_EQ(channel(*s, 4), 0);
}

TEST(Co2Reading, UncalibratedSensorReadsOff) {
    auto s = quietSensor("p8-co2-temp-rh");
    s->world().co2ppm = 0;
    s->advance(1);
    EXPECT_GT(std::abs(channel(*s, 5)), 20);
}

TEST(Co2Reading, ZeroAndSpanCalibrationMakeItReadTheTruth) {
    auto s = quietSensor("p8-co2-temp-rh");
    s->world().co2ppm = 0;
    s->advance(1);
    zeroCalibrate(*s);
    s->advance(1);
    EXPECT_NEAR(channel(*s, 5), 0, 1);

    s->world().co2ppm = 1000;
    s->advance(1);
    spanCalibrate(*s, 1000);
    s->advance(1);
    EXPECT_NEAR(channel(*s, 5), 1000, 2);

    for (double ppm : {400.0, 1800.0}) {
        s->world().co2ppm = ppm;
        s->advance(1);
        EXPECT_NEAR(channel(*s, 5), ppm, 2) << ppm;
    }
}

TEST(Co2Reading, RawSignalFallsWithConcentrationAndFollowsTheCountFormula) {
    auto s = quietSensor("p7-pv0");
    s->world().co2ppm = 0;
    s->advance(1);
    const int zeroGas = rawChannel(*s, 14);
    EXPECT_NEAR(zeroGas, 61440.0 * 2048 / 3072, 2) << "raw zero signal of the hardware";
    s->world().co2ppm = 2000;
    s->advance(1);
    const double n = rawChannel(*s, 14);
    EXPECT_LT(n, zeroGas);
    const double z = wordAt(*s, Space::EEPROM, 14);
    const double sp = wordAt(*s, Space::EEPROM, spanCell(*s));
    const double dt = channel(*s, 15);
    const double ts = signedByte(s->read(Space::EEPROM, fromEnd(*s, 143)));
    const double count = 61440 - (61440 - n * z / 2048) * (1 + dt * ts / 65536) * sp / 2048;
    const int k = static_cast<int>(std::ceil(count / 4096)) - 1;
    const double a = tablePoint(*s, 2, k);
    const double b = tablePoint(*s, 2, k + 1);
    EXPECT_NEAR(channel(*s, 5), a + (count - 4096 * k) / 4096 * (b - a), 1);
}

TEST(Co2Reading, Platform5CalibratesInRam) {
    auto s = quietSensor("p5-co2");
    s->world().co2ppm = 0;
    s->advance(1);
    const double n = wordAt(*s, Space::RAM, 70);
    const auto z = static_cast<std::uint16_t>(std::lrint(125829120 / n));
    s->write(Space::RAM, 258, static_cast<std::uint8_t>(z >> 8));
    s->write(Space::RAM, 259, static_cast<std::uint8_t>(z & 0xFF));
    s->advance(1);
    EXPECT_NEAR(static_cast<int>(wordAt(*s, Space::RAM, 22)) - 5000, 0, 1);
    EXPECT_EQ(s->read(Space::RAM, 362) - 127, 24) << "detector at 23 + 1 degrees C";
}

TEST(RhReading, RhCalibrationWithTheProbeDataReadsTheTruth) {
    auto s = quietSensor("p8-co2-temp-rh");
    s->world().rhPercent = 60;
    s->advance(1);
    EXPECT_GT(std::abs(channel(*s, 6) - 6000), 50) << "factory table of a nominal probe";
    for (int i = 0; i < 17; ++i) {
        const double u = i * 0.257813 + 0.375;
        double v = std::nearbyint((u - 0.826) / (31.5 / 1000) * 10) * 10;
        v = std::clamp(v, 0.0, 10000.0);
        writeEepromWord(*s, tableAddress(*s, 3, i), static_cast<int>(v));
    }
    for (double rh : {20.0, 60.0, 85.0}) {
        s->world().rhPercent = rh;
        s->advance(1);
        EXPECT_NEAR(channel(*s, 6), rh * 100, 10) << rh;
    }
}

TEST(CoReading, HeatedProbeZeroCalibrationReadsZeroInCleanAir) {
    auto s = quietSensor("p8-co-probe");
    writeEepromWord(*s, 4, 4000);  // a wrong divider in wPar_2
    s->world().coPpm = 0;
    s->advance(1);
    EXPECT_GT(std::abs(channel(*s, 7)), 20);
    const double a = wordAt(*s, Space::RAM, 276);
    const double b = wordAt(*s, Space::EEPROM, 60);
    const double c = countOf(*s, 4, b * a / 16384);
    writeEepromWord(*s, 4, static_cast<int>(std::lrint(c * 2048 / rawChannel(*s, 13))));
    s->advance(1);
    EXPECT_NEAR(channel(*s, 7), 0, 2);
    s->world().coPpm = 100;
    s->advance(1);
    EXPECT_NEAR(channel(*s, 7), 100, 10) << "the factory table follows the element";
}

TEST(CoReading, FigaroZeroCalibrationCopiesTheLiveSignal) {
    auto s = quietSensor("p8-figaro-co");
    s->world().coPpm = 0;
    s->advance(1);
    EXPECT_NE(channel(*s, 7), 0);
    writeEepromWord(*s, 6, rawChannel(*s, 13));  // wPar_3
    s->advance(1);
    EXPECT_EQ(channel(*s, 7), 0);
    s->world().coPpm = 50;
    s->advance(1);
    EXPECT_NEAR(channel(*s, 7), 50, 1);
    s->world().gasExposure = 100;
    s->advance(1);
    EXPECT_NEAR(channel(*s, 7), 70, 1) << "cross-sensitivity to other gases";
}

TEST(Noise, IsSeededAndCanBeSwitchedOff) {
    auto a = Sensor::fromProfile("p8-co2-temp-rh");
    auto b = Sensor::fromProfile("p8-co2-temp-rh");
    auto quiet = quietSensor("p8-co2-temp-rh");
    const int still = rawChannel(*quiet, 14);
    std::vector<int> noisy;
    for (int i = 0; i < 20; ++i) {
        a->advance(1);
        b->advance(1);
        quiet->advance(1);
        EXPECT_EQ(rawChannel(*a, 14), rawChannel(*b, 14)) << "same seed, same noise";
        EXPECT_NEAR(channel(*a, 5), channel(*quiet, 5), 10) << "a little noise";
        EXPECT_EQ(rawChannel(*quiet, 14), still);
        noisy.push_back(rawChannel(*a, 14));
    }
    EXPECT_NE(*std::min_element(noisy.begin(), noisy.end()),
              *std::max_element(noisy.begin(), noisy.end()));
}

}  // namespace
}  // namespace kvsim::testing

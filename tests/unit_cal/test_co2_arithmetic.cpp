#include <gtest/gtest.h>

#include "Co2Fixture.h"
#include "DefinitionFile.h"
#include "kvcom3/Clock.h"
#include "procedures/Co2Arithmetic.h"

using namespace kvcal3;

namespace {

class Co2Arithmetic : public Co2Fixture {
  protected:
    void SetUp() override {
        Co2Fixture::SetUp();
        proc = procedure("cpCO2ZeroCal");
    }
    // Puts a CO2 table into the memory image (point k at count 4096 k).
    void table(const std::vector<int>& ppm) {
        for (std::int16_t k = 0; k < 17; ++k) {
            node(kvcom3::CO2Table, k)->LetValue(false, kvcom3::Variant(ppm.at(k)));
        }
    }
    static std::vector<int> falling() {
        std::vector<int> ppm;
        for (int k = 0; k < 17; ++k) ppm.push_back(1600 - 100 * k);
        return ppm;
    }

    // The raw CO2 signal stays at `raw`, whatever the gas.
    void holdCo2Signal(std::uint16_t raw) {
        sensor->write(kvsim::Space::RAM, 377,
                      static_cast<std::uint8_t>(sensor->read(kvsim::Space::RAM, 377) | 0x40));
        sensor->write(kvsim::Space::RAM, 12 + 2 * 14, static_cast<std::uint8_t>(raw >> 8));
        sensor->write(kvsim::Space::RAM, 12 + 2 * 14 + 1, static_cast<std::uint8_t>(raw));
    }

    std::shared_ptr<kvCalProcedure> proc;
};

}  // namespace

TEST_F(Co2Arithmetic, ConcentrationToCountThroughTheCo2Table) {
    table(falling());
    EXPECT_EQ(proc->GetCO2Count(150), 59392);
    EXPECT_EQ(proc->GetCO2Count(1600), 0);
    EXPECT_EQ(proc->GetCO2Count(0), 65536);
    EXPECT_EQ(proc->GetCO2Count(1537.5), 2560);
    EXPECT_EQ(proc->GetCO2Count(2000), 65535) << "in no segment";
    EXPECT_EQ(proc->GetCO2Count(-1), 65535);
}

TEST_F(Co2Arithmetic, FlatSegmentsAreSkipped) {
    auto ppm = falling();
    ppm[1] = ppm[0];
    table(ppm);
    EXPECT_EQ(proc->GetCO2Count(150), 59392);
    EXPECT_EQ(proc->GetCO2Count(1600), 4096) << "the flat level is the next segment's end";
    ppm = falling();
    ppm[15] = ppm[16];
    table(ppm);
    EXPECT_EQ(proc->GetCO2Count(1000), 4096 * 6) << "a flat segment after the match is not met";
}

TEST_F(Co2Arithmetic, GasTablesBothWays) {
    table(falling());
    EXPECT_EQ(proc->GetUnit(59392, 2), 150);
    EXPECT_EQ(proc->GetUnit(0, 2), 1600);
    EXPECT_EQ(proc->GetUnit(-4096, 2), 1700) << "below 0 the first segment goes on";
    EXPECT_EQ(proc->GetUnit(65537, 2), 0);
    float unit = 150;
    EXPECT_EQ(proc->GetCount(unit, 2), 59392);
    unit = 5000;
    EXPECT_EQ(proc->GetCount(unit, 2), 0) << "in no segment";

    auto ppm = falling();
    ppm[16] = -100;
    table(ppm);
    EXPECT_EQ(proc->GetUnit(65536, 2), 65536 - 100) << "signed value, returned as a raw word";
    unit = 65486;  // the raw word of -50
    EXPECT_EQ(proc->GetCount(unit, 2), 4096 * 15 + 3072);
    EXPECT_EQ(unit, -50);
}

TEST_F(Co2Arithmetic, CalcZeroHalvesItsWayToTheTarget) {
    int passes = 0;
    kvcom3::setEventPump([&] { ++passes; });
    float N = 40960, DT = 0, Ts = 0, target = 61440, span = 2048, zero = 0;
    proc->CalcZero(N, DT, Ts, target, span, zero);
    EXPECT_EQ(zero, 3072);
    EXPECT_EQ(passes, 4) << "2048, 6144, 4096, 3072";

    passes = 0;
    N = 40000, DT = 250, Ts = -6, target = 30001, span = 2100, zero = 2500;
    proc->CalcZero(N, DT, Ts, target, span, zero);
    EXPECT_LE(passes, 52);
    const double predicted =
        61440 - (61440 - N * zero / 2048.0) * (DT * Ts / 65536 + 1) * span / 2048;
    EXPECT_NEAR(predicted, target, 0.05);
}

TEST(PressureFactor, ReferencePressureCountsAsAboutOne) {
    EXPECT_NEAR(pressureFactor(1012), 0.999386, 5e-7);
    EXPECT_NEAR(pressureFactor(900), 4.026e-4 * 900 + 5.78e-7 * 810000, 1e-12);
}

namespace {

constexpr float kUnset = NotSetMarker;

// One calibration run: the sensor and procedure, the gas (ppm) and pressure (hPa) given, the
// signal N ("Old": the zero, offset and span input, the measured signal of the background
// calibration) and what the run must end with: the factor written, or the error and nothing
// written. Every run sees span 2100, zero 3000, Ts -6 and a detector temperature of 250.
struct Co2Run {
    const char* profile;
    const char* key;
    float gas;
    float pressure;
    float old;
    std::int32_t written;
    std::int32_t error = 0;
    // The first two points of the CO2 table equal (8000, 8000, 4522, ...).
    bool flatStart = false;
};

}  // namespace

// The expected factors are worked out by hand from the measurement model
// count = 61440 - (61440 - N Z / 2048) (1 + DT Ts / 65536) S / 2048 and the pressure factor
// K(p) = 4.026e-4 p + 5.78e-7 p^2, through the sensor's CO2 table (platform 8: 8000, 5895, 4522,
// 3556, 2839, 2286, 1846, 1488, 1191, 941, 727, 542, 381, 239, 113, 0, -101 ppm) or the table
// generated from a definition file with f(x) = exp(-8e-5 x) and Tmax 8000 (platform 5: 7999,
// 7274, 6588, 5938, 5320, 4731, 4169, 3631, 3115, 2619, 2143, 1684, 1241, 813, 400, 0 ppm).
TEST_F(Co2Arithmetic, CalibrationsOverGasesPressuresAndPlatforms) {
    DefinitionDirectory definitions;
    DefCoefficients model;
    model.aMantissa = 1, model.aExponent = 0;
    model.bMantissa = -8, model.bExponent = -5;
    model.cMantissa = 0, model.cExponent = 0;
    model.eMantissa = 0, model.eExponent = 0;
    model.tmax = 8000;
    writeDefinitionFile(definitions.file("DEF00233.PDT"), model);

    const char* p8 = "p8-co2-temp-rh";
    const char* p5 = "p5-co2";
    const Co2Run runs[] = {
        // Z = 125829120 / N.
        {p8, "cpCO2ZeroCal", 0, 0, 37000, 3401},
        {p5, "cpCO2ZeroCal", 0, 0, 37000, 3401},
        // The target (raw 32768) reads 1244 ppm under span 2100, which is count 32037; that
        // count before the span is 32765, Z = 32765 x 2048 / 40000.
        {p8, "cpCO2BackGround", 0, 0, 40000, 1678},
        {p8, "cpCO2BackGround", 0, 0, 40000, 1678, 0, true},
        // 1000 ppm at 1012 hPa is 999.39 ppm, count 35907; at 900 hPa 830.52 ppm, count 38979;
        // 400 ppm at 1100 hPa is 456.90 ppm, count 47221.
        {p8, "cpCO2OffsetCal", 1000, kUnset, 40000, 1841},
        {p8, "cpCO2OffsetCal", 1000, kUnset, 40000, 1841, 0, true},
        {p8, "cpCO2OffsetCal", 1000, 900, 40000, 1998},
        {p8, "cpCO2OffsetCal", 400, 1100, 38000, 2546},
        // Outside the table: beyond its 8000 ppm, 8000 ppm at 1100 hPa (9138 ppm), below -101.
        {p8, "cpCO2OffsetCal", 20000, kUnset, 40000, 0, 1011},
        {p8, "cpCO2OffsetCal", 8000, 1100, 40000, 0, 1011},
        {p8, "cpCO2OffsetCal", -200, kUnset, 40000, 0, 1011},
        // Platform 5 counts through its generated table: 999.39 ppm is count 51464, 830.52 ppm
        // count 53080.
        {p5, "cpCO2OffsetCal", 1000, kUnset, 40000, 2636},
        {p5, "cpCO2OffsetCal", 1000, 900, 40000, 2719},
        {p5, "cpCO2OffsetCal", 20000, kUnset, 40000, 0, 1011},
        // S = (61440 - c) 2048 / (61440 - Z N / 2048) / ((Ts DT / 32 + 2048) / 2048): 2000 ppm
        // at 1012 hPa is count 23154, at 950 hPa (1808.23 ppm) count 25008.
        {p8, "cpCO2SpanCal", 2000, kUnset, 30000, 4587},
        {p8, "cpCO2SpanCal", 2000, 950, 30000, 4365},
        {p8, "cpCO2SpanCal", 20000, kUnset, 30000, 0, 1011},
        // Factors that do not fit: 0 (zero gas as span gas), below 0 (Z N / 2048 above 61440),
        // above 65535 (Z N / 2048 just below 61440).
        {p8, "cpCO2SpanCal", 0, kUnset, 30000, 0, 1011},
        {p8, "cpCO2SpanCal", 2000, kUnset, 45000, 0, 1011},
        {p8, "cpCO2SpanCal", 2000, kUnset, 41900, 0, 1011},
        // 1998.77 ppm is count 42247 of the generated table.
        {p5, "cpCO2SpanCal", 2000, kUnset, 30000, 2299},
        {p5, "cpCO2SpanCal", 20000, kUnset, 30000, 0, 1011},
    };
    for (const Co2Run& run : runs) {
        const std::string key = run.key;
        SCOPED_TRACE(std::string(run.profile) + " " + key + " gas " + std::to_string(run.gas) +
                     " pressure " + std::to_string(run.pressure) + " old " +
                     std::to_string(run.old) + (run.flatStart ? " flat start" : ""));
        // The catalogue stays the one built for the platform-8 sensor, whose procedures carry
        // every input the calibrations read.
        connect(run.profile);
        const bool platform5 = std::string(run.profile) == p5;
        const bool span = key == "cpCO2SpanCal";
        const std::string factor =
            platform5 ? (span ? "raSpan_1" : "raZero_1") : (span ? "eawPar_9" : "eawPar_7");
        const std::int32_t before = cell(factor, true);
        node(kvcom3::CO2Span)->LetValue(false, kvcom3::Variant(2100));
        node(kvcom3::CO2Zero)->LetValue(false, kvcom3::Variant(3000));
        node(kvcom3::CO2Ts)->LetValue(false, kvcom3::Variant(-6));
        if (run.flatStart) node(kvcom3::CO2Table, 1)->LetValue(false, kvcom3::Variant(8000));

        auto calibration = procedure(key);
        auto set = [&](const char* input, float value) {
            calibration->InputVariables()->Item(input)->Value = kvcom3::Variant(value);
        };
        if (key == "cpCO2ZeroCal") {
            set("cvCO2ZeroCalOld", run.old);
        } else if (key == "cpCO2BackGround") {
            mem->ArrayLevel()->GetNode("eaABC_Target_0")->LetValue(false, 32768);
            node(kvcom3::CO2FracCurr)->LetValue(false, kvcom3::Variant(8));
            holdCo2Signal(static_cast<std::uint16_t>(run.old));
        } else if (key == "cpCO2OffsetCal") {
            set("cvCO2OffsetCalGas", run.gas);
            set("cvCO2OffsetCalPressure", run.pressure);
            set("cvCO2OCOffsetCalOld", run.old);
            set("cvCO2OffsetCalDT", 250);
        } else {
            set("cvCO2SpanCalGas", run.gas);
            set("cvCO2SpanCalPressure", run.pressure);
            set("cvCO2SpanCalOld", run.old);
            set("cvCO2SpanCalDT", 250);
        }
        memActions.clear();
        const kvcom3::KvError error = errorOf([&] { calibration->Run(); });
        EXPECT_EQ(error.number(), run.error) << error.description();
        if (run.error != 0) {
            EXPECT_EQ(error.description(), "Input value is to high or to low ");
            EXPECT_EQ(std::count(memActions.begin(), memActions.end(), "Writing to sensor"), 0);
            EXPECT_EQ(cell(factor, true), before);
        } else {
            EXPECT_EQ(cell(factor, true), run.written);
        }
    }
}

#include <gtest/gtest.h>

#include "Co2Fixture.h"
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

TEST_F(Co2Arithmetic, FlatSegmentBeforeTheMatchGivesCountZero) {
    auto ppm = falling();
    ppm[1] = ppm[0];
    table(ppm);
    EXPECT_EQ(proc->GetCO2Count(150), 0);
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

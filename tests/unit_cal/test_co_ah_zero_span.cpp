#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <regex>

#include "CoFixture.h"

using namespace kvcal3;

namespace {

// Recorded raw counts and absolute humidities: span gas 50 ppm, then dry, normal and wet air
// and zero gas, of an element with 3300 ohm per ppm and 1000 ohm per g/m3.
struct Recording {
    double spanGas = 50;
    double oldSpan = 15287, ahSpan = 9.2;
    double oldDry = 26569, ahDry = 2.1;
    double oldNorm = 25736, ahNorm = 9.2;
    double oldWet = 24843, ahWet = 17.4;
    double oldZero = 25736, ahZero = 9.2;
};

// The circuit written out on its own: element resistance of a raw count and its inverse.
double ohmOf(double n) {
    return 226920005632.0 / ((n * 4.125 / 65536 + 0.375) * 727200 - 366000);
}
double ohmAtCount(double n) {
    const double gain = (1000.0 / 101000 * 5) * (330000.0 / 36000 + 1);
    return 620000 / ((n * 4.125 / 65536 + 0.375) / gain - 1);
}
double humidityCoefficient(const Recording& r) {
    return ((ohmOf(r.oldWet) - ohmOf(r.oldNorm)) / (r.ahWet - r.ahNorm) +
            (ohmOf(r.oldNorm) - ohmOf(r.oldDry)) / (r.ahNorm - r.ahDry)) /
           2000;
}
// The zero-gas humidity at which the divider comes out as `divider`.
double zeroHumidityFor(const Recording& r, double divider) {
    const double R0 = ohmAtCount(125829120 / divider);
    return (ohmOf(r.oldZero) - R0) / (humidityCoefficient(r) * 1000);
}

class CoAHCalibration : public CoFixture {
  protected:
    std::shared_ptr<kvCalProcedure> withInputs(const Recording& r) {
        auto proc = procedure("cpCOAHZeroSpanCal");
        const std::array<std::pair<const char*, double>, 11> values{{
            {"cvCOAHZeroSpanCalSpanGas", r.spanGas},
            {"cvCOAHZeroSpanCalOLDspangas", r.oldSpan},
            {"cvCOAHZeroSpanCalAHspangas", r.ahSpan},
            {"cvCOAHZeroSpanCalOLDdry", r.oldDry},
            {"cvCOAHZeroSpanCalAHdry", r.ahDry},
            {"cvCOAHZeroSpanCalOldnorm", r.oldNorm},
            {"cvCOAHZeroSpanCalAHnorm", r.ahNorm},
            {"cvCOAHZeroSpanCalOldwet", r.oldWet},
            {"cvCOAHZeroSpanCalAHwet", r.ahWet},
            {"cvCOAHZeroSpanCalOldzero", r.oldZero},
            {"cvCOAHZeroSpanCalAHzero", r.ahZero},
        }};
        for (const auto& [key, value] : values) input(proc, key) = kvcom3::Variant(value);
        return proc;
    }
    std::vector<std::int32_t> coCells() {
        std::vector<std::int32_t> words{sensorWord("eawPar_2"), sensorWord("eaRegPar1_4")};
        for (int i = 0; i < 17; ++i) words.push_back(sensorWord("eaTable4_" + std::to_string(i)));
        return words;
    }
    // Runs the calibration, which must fail with `number` and leave the sensor as it was.
    kvcom3::KvError failsWithoutWriting(const Recording& r, std::int32_t number) {
        const auto before = coCells();
        auto proc = withInputs(r);
        memActions.clear();
        const kvcom3::KvError e = errorOf([&] { proc->Run(); });
        EXPECT_EQ(e.number(), number) << e.description();
        EXPECT_FALSE(wrote());
        EXPECT_EQ(coCells(), before);
        EXPECT_EQ(input(proc, "cvCOAHZeroSpanCalAHwet"), kvcom3::Variant(r.ahWet))
            << "no input is reset";
        return e;
    }
};

}  // namespace

TEST_F(CoAHCalibration, WritesDividerFactorAndTableWithPointZeroAt15000) {
    setSensorWord("eaTable4_0", 1234);
    withInputs(Recording{})->Run();
    EXPECT_EQ(sensorWord("eawPar_2"), 4691);
    EXPECT_EQ(sensorWord("eaRegPar1_4"), 5406);
    EXPECT_EQ(sensorWord("eaTable4_0"), 15000);
    for (int i = 8; i <= 14; ++i) {
        const std::int32_t point = sensorWord("eaTable4_" + std::to_string(i));
        EXPECT_GE(point, 20) << i;
        EXPECT_LE(point, 800) << i;
        EXPECT_LT(point, sensorWord("eaTable4_" + std::to_string(i - 1))) << i;
    }
}

TEST_F(CoAHCalibration, InputsOutOfRangeWriteNothing) {
    Recording wet;
    wet.ahWet = 0.2;
    failsWithoutWriting(wet, 1011);
    Recording unset;
    unset.oldZero = NotSetMarker;
    failsWithoutWriting(unset, 1011);
    Recording gas;
    gas.spanGas = 100.5;
    failsWithoutWriting(gas, 1011);
    Recording equal;
    equal.ahWet = equal.ahNorm;
    failsWithoutWriting(equal, 11);
}

TEST_F(CoAHCalibration, DividerJustBelow1000WritesNothing) {
    // An element of 6000 ohm per g/m3 lets a humid zero gas reach the lower limit.
    Recording r;
    r.oldDry = 25357;
    r.oldNorm = 21465;
    r.oldWet = 18325;
    r.oldZero = 28000;
    r.ahZero = zeroHumidityFor(r, 999.9);
    ASSERT_LE(r.ahZero, 30);
    failsWithoutWriting(r, 1012);
    r.ahZero = zeroHumidityFor(r, 1000.1);
    EXPECT_NE(errorOf([&] { withInputs(r)->Run(); }).number(), 1012);
}

TEST_F(CoAHCalibration, HumidityFactorBelow400NamesItsValue) {
    Recording r;
    r.oldSpan = 24530;  // an element of about 200 ohm per ppm
    const kvcom3::KvError e = failsWithoutWriting(r, 1013);
    std::smatch m;
    const std::string text = e.description();
    ASSERT_TRUE(std::regex_match(
        text, m,
        std::regex(R"(AH comp factor is to high or to low , \(AHv = ([0-9.]+), Min = 400)")))
        << text;
    EXPECT_NEAR(std::stod(m[1]), 367.6, 0.1);
}

TEST_F(CoAHCalibration, TablePointOutOfRangeWritesNothing) {
    // The virtual probe's own element, 300 ohm per ppm, puts points 8 ... 14 far above 800.
    Recording r;
    r.oldSpan = 24151;
    failsWithoutWriting(r, 1014);
}

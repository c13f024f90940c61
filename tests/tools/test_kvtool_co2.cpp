#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "tools/KvtoolProcess.h"

// The CO2 calibrations through kvtool against the virtual sensor in a known gas: each must make
// the sensor show that gas afterwards.
namespace kvtool_test {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

class KvtoolCo2 : public ::testing::Test {
  protected:
    void start(const std::string& ppm, const std::string& temperature = "23.0") {
        sensor_ = std::make_unique<VirtualSensor>(
            std::vector<std::string>{"--profile", "p8-co2-temp-rh", "--co2", ppm, "--temperature",
                                     temperature, "--no-noise"});
    }
    RunResult tool(std::vector<std::string> command) const {
        command.insert(command.begin(), {"--device", sensor_->link()});
        return kvtool(command);
    }
    std::string get(const std::string& key) const {
        RunResult r = tool({"get", key});
        EXPECT_EQ(r.status, 0) << r.err;
        return r.out;
    }
    double number(const std::string& key) const { return std::strtod(get(key).c_str(), nullptr); }
    // Short lamp periods and a single sample keep the measured average quick.
    void quickMeasurement() const {
        EXPECT_EQ(tool({"set", "foLampOffTime", "400"}).status, 0);
        EXPECT_EQ(tool({"set", "foCO2CurrFracParam", "8"}).status, 0);
    }
    RunResult calibrate(const std::string& procedure, const std::vector<std::string>& inputs) {
        std::vector<std::string> command{"calibrate", procedure, "--no-input"};
        for (const std::string& input : inputs) {
            command.push_back("--input");
            command.push_back(input);
        }
        RunResult r = tool(command);
        EXPECT_EQ(r.status, 0) << r.err;
        return r;
    }

    std::unique_ptr<VirtualSensor> sensor_;
};

TEST_F(KvtoolCo2, ZeroCalibrationInZeroGasReadsZero) {
    start("0");
    ASSERT_GT(std::abs(number("foCO2Value")), 10) << "uncalibrated";
    const std::string old = std::to_string(std::lrint(number("foCO2Old")));
    RunResult run = calibrate("cpCO2ZeroCal", {"cvCO2ZeroCalOld=" + old});
    EXPECT_THAT(run.out, HasSubstr("eawPar_7: 3000 -> 3072\n"));
    EXPECT_NEAR(number("foCO2Value"), 0, 2);
}

// The background calibration leaves the span's temperature correction out, so it lands exactly
// only where the detector reads 0 (at 23 degrees it lands about 3 % of the way off).
TEST_F(KvtoolCo2, BackgroundCalibrationInFreshAirReadsTheTarget) {
    start("400", "-1.5");
    ASSERT_EQ(tool({"set", "foCO2ABCTarget", "400"}).status, 0);
    quickMeasurement();
    ASSERT_GT(std::abs(number("foCO2Value") - 400), 10) << "uncalibrated";
    RunResult run = calibrate("cpCO2BackGround", {});
    EXPECT_THAT(run.out, HasSubstr("eawPar_7: 3000 -> "));
    EXPECT_NEAR(number("foCO2Value"), 400, 2);
}

TEST_F(KvtoolCo2, OffsetCalibrationInAKnownGasReadsIt) {
    start("1000");
    ASSERT_GT(std::abs(number("foCO2Value") - 1000), 10) << "uncalibrated";
    const std::string old = std::to_string(std::lrint(number("foCO2Old")));
    calibrate("cpCO2OffsetCal", {"cvCO2OffsetCalGas=1000", "cvCO2OCOffsetCalOld=" + old});
    EXPECT_NEAR(number("foCO2Value"), 1000, 5);
}

TEST_F(KvtoolCo2, SpanCalibrationInSpanGasReadsItAndKeepsTheZero) {
    start("2000");
    const std::string zero = get("eawPar_7");
    const std::string old = std::to_string(std::lrint(number("foCO2Old")));
    RunResult run = calibrate("cpCO2SpanCal", {"cvCO2SpanCalGas=2000", "cvCO2SpanCalOld=" + old});
    EXPECT_THAT(run.out, HasSubstr("eawPar_9: 2048 -> "));
    EXPECT_THAT(run.out, Not(HasSubstr("eawPar_7")));
    EXPECT_EQ(get("eawPar_7"), zero);
    EXPECT_NEAR(number("foCO2Value"), 2000, 5);
}

// Concentrations beyond the table's 8000 ppm have no count; the calibrations end without a write
// instead of turning the lookup's marker into a factor.
TEST_F(KvtoolCo2, GasOutsideTheTableFailsWithNothingWritten) {
    start("1000");
    const std::string zero = get("eawPar_7");
    const std::string span = get("eawPar_9");
    struct Run {
        const char* procedure;
        const char* gas;
        const char* old;
    };
    for (const Run& r :
         {Run{"cpCO2OffsetCal", "cvCO2OffsetCalGas=20000", "cvCO2OCOffsetCalOld=40000"},
          Run{"cpCO2SpanCal", "cvCO2SpanCalGas=20000", "cvCO2SpanCalOld=40000"}}) {
        RunResult run =
            tool({"calibrate", r.procedure, "--no-input", "--input", r.gas, "--input", r.old});
        EXPECT_EQ(run.status, 1) << r.procedure << run.out;
        EXPECT_THAT(run.err, HasSubstr("error 1011: Input value is to high or to low"))
            << r.procedure;
    }
    EXPECT_EQ(get("eawPar_7"), zero);
    EXPECT_EQ(get("eawPar_9"), span);
}

}  // namespace
}  // namespace kvtool_test

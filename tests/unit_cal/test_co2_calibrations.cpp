#include <gtest/gtest.h>

#include <chrono>

#include "Co2Fixture.h"
#include "kvcom3/Clock.h"

using namespace kvcal3;

namespace {

class Co2Calibration : public Co2Fixture {
  protected:
    void SetUp() override {
        Co2Fixture::SetUp();
        remember("raChan_14");
        remember("raChan_15");
        remember("eaTable2_0");
    }
    void TearDown() override {
        kvcom3::setEventPump(nullptr);
        Co2Fixture::TearDown();
    }
    bool wrote() const {
        return std::find(memActions.begin(), memActions.end(), "Writing to sensor") !=
               memActions.end();
    }
    double lampPeriodS() {
        return (node(kvcom3::LampOnTime)->Value().toDouble() +
                node(kvcom3::LampOffTime)->Value().toDouble()) /
               1000;
    }
    static bool notSet(const kvcom3::Variant& v) { return v == kvcom3::Variant(NotSetMarker); }
};

}  // namespace

TEST_F(Co2Calibration, ZeroWithAGivenSignalWritesItsFactor) {
    auto proc = procedure("cpCO2ZeroCal");
    input(proc, "cvCO2ZeroCalOld") = kvcom3::Variant(40960);
    memActions.clear();
    proc->Run();
    EXPECT_EQ(sensorWord("eawPar_7"), 3072);
    EXPECT_EQ(readsOf("raChan_14"), 0) << "nothing measured";
    EXPECT_EQ(input(proc, "cvCO2ZeroCalOld"), kvcom3::Variant(40960)) << "the input stays";
}

TEST_F(Co2Calibration, ZeroAveragesSamplesOneLampPeriodApart) {
    expose(0);
    node(kvcom3::CO2FracCurr)->LetValue(false, kvcom3::Variant(5));
    const double period = lampPeriodS();
    ASSERT_GT(period, 1);
    std::vector<double> readAt;
    mem->ComLogg.connect([&](std::string& text) {
        if (text.rfind("Reading ", 0) == 0 &&
            text.find("adress " + std::to_string(adrOf["raChan_14"]) + " ") != std::string::npos) {
            readAt.push_back(std::chrono::duration<double>(clock->now()).count());
        }
    });
    const double start = std::chrono::duration<double>(clock->now()).count();
    auto proc = procedure("cpCO2ZeroCal");
    proc->Run();
    ASSERT_EQ(readAt.size(), 4u) << "9 - 5 samples";
    double previous = start;
    for (double t : readAt) {
        EXPECT_GE(t - previous, period);
        EXPECT_LT(t - previous, period + 1);
        previous = t;
    }
    const double n = cell("raChan_14", true);
    EXPECT_EQ(sensorWord("eawPar_7"), std::lrint(125829120 / n));
    EXPECT_NEAR(shownCo2(), 0, 1) << "zero gas now reads zero";
}

TEST_F(Co2Calibration, NoSamplesToAverageEndsTheCalibration) {
    node(kvcom3::CO2FracCurr)->LetValue(false, kvcom3::Variant(9));
    const std::int32_t before = sensorWord("eawPar_7");
    memActions.clear();
    EXPECT_EQ(errorOf([&] { procedure("cpCO2ZeroCal")->Run(); }).number(), 11);
    EXPECT_EQ(sensorWord("eawPar_7"), before);
    EXPECT_FALSE(wrote());
}

TEST_F(Co2Calibration, BackgroundMakesFreshAirReadTheTarget) {
    // At a detector temperature of 0 the span needs no temperature correction, which the
    // background calibration leaves out.
    sensor->world().temperatureC = -1.5;
    node(kvcom3::CO2ABCtarget)->LetValue(false, kvcom3::Variant(400));
    expose(400);
    ASSERT_EQ(cell("raChan_15", true), 0);
    ASSERT_GT(std::abs(shownCo2() - 400), 5) << "the uncalibrated sensor is off";
    memActions.clear();
    procedure("cpCO2BackGround")->Run();
    EXPECT_NEAR(shownCo2(), 400, 1);
}

TEST_F(Co2Calibration, OffsetWithGasGivenAsksNothingAndDefaultsThePressure) {
    expose(1000);
    auto proc = procedure("cpCO2OffsetCal");
    input(proc, "cvCO2OffsetCalGas") = kvcom3::Variant(1000);
    proc->Run();
    EXPECT_TRUE(user->Questions().empty());
    EXPECT_EQ(input(proc, "cvCO2OffsetCalPressure").toSingle(), 1012);
    EXPECT_TRUE(notSet(input(proc, "cvCO2OffsetCalGas")));
    EXPECT_TRUE(notSet(input(proc, "cvCO2OCOffsetCalOld")));
    EXPECT_TRUE(notSet(input(proc, "cvCO2OffsetCalDT")));
    EXPECT_NEAR(shownCo2(), 1000, 2);
}

TEST_F(Co2Calibration, OffsetAsksForTheGasAgainUntilItHoldsADigit) {
    auto proc = procedure("cpCO2OffsetCal");
    input(proc, "cvCO2OCOffsetCalOld") = kvcom3::Variant(40000);
    user->QueueAnswer("");
    const std::int32_t before = sensorWord("eawPar_7");
    memActions.clear();
    const auto error = errorOf([&] { proc->Run(); });
    EXPECT_EQ(error.number(), 32755);
    ASSERT_EQ(user->Questions().size(), 1u);
    EXPECT_EQ(user->Questions()[0].Prompt, "Please enter gas concentration");
    EXPECT_EQ(sensorWord("eawPar_7"), before);
    EXPECT_FALSE(wrote());
    EXPECT_TRUE(notSet(input(proc, "cvCO2OCOffsetCalOld"))) << "reset also after a failure";

    expose(600);
    for (const char* answer : {"ppm", ".", "600 ppm"}) user->QueueAnswer(answer);
    proc->Run();
    EXPECT_EQ(user->Questions().size(), 4u) << "asked again after an answer without a digit";
    EXPECT_NEAR(shownCo2(), 600, 2);
}

TEST_F(Co2Calibration, SpanWithoutGasWritesNothing) {
    auto proc = procedure("cpCO2SpanCal");
    input(proc, "cvCO2SpanCalPressure") = kvcom3::Variant(1000);
    memActions.clear();
    const auto error = errorOf([&] { proc->Run(); });
    EXPECT_EQ(error.number(), 1005);
    EXPECT_EQ(error.description(), "Span gas not set ");
    EXPECT_FALSE(wrote());
    EXPECT_TRUE(notSet(input(proc, "cvCO2SpanCalPressure")));
}

TEST_F(Co2Calibration, SpanReadsTheDetectorTemperatureAndKeepsTheZero) {
    expose(0);
    procedure("cpCO2ZeroCal")->Run();
    const std::int32_t zero = sensorWord("eawPar_7");
    const double target = node(kvcom3::CO2ABCtarget)->Value().toDouble();

    // The image holds an older detector temperature than the sensor has now.
    node(kvcom3::CO2DetectorTemp)->Value(true);
    sensor->world().temperatureC = 30;
    expose(2000);
    const double detectorNow = cell("raChan_15", true);
    node(kvcom3::CO2DetectorTemp)->LetValue(false, kvcom3::Variant(0));

    auto proc = procedure("cpCO2SpanCal");
    input(proc, "cvCO2SpanCalGas") = kvcom3::Variant(2000);
    std::vector<kvcom3::Variant> dtSeen;
    std::vector<kvcom3::Variant> pressureSeen;
    kvcom3::setEventPump([&] {
        dtSeen.push_back(input(proc, "cvCO2SpanCalDT"));
        pressureSeen.push_back(input(proc, "cvCO2SpanCalPressure"));
    });
    proc->Run();
    ASSERT_FALSE(dtSeen.empty()) << "the signal was measured";
    EXPECT_EQ(dtSeen.back().toDouble(), detectorNow) << "seen while the run lasts";
    EXPECT_EQ(pressureSeen.back().toSingle(), 1012);
    for (const char* key :
         {"cvCO2SpanCalGas", "cvCO2SpanCalPressure", "cvCO2SpanCalOld", "cvCO2SpanCalDT"}) {
        EXPECT_TRUE(notSet(input(proc, key))) << key;
    }
    EXPECT_EQ(sensorWord("eawPar_7"), zero);
    EXPECT_NEAR(node(kvcom3::CO2ABCtarget)->Value(true).toDouble(), target, 1)
        << "the target keeps its concentration under the new span";
    EXPECT_NEAR(shownCo2(), 2000, 3);
    expose(0);
    EXPECT_NEAR(shownCo2(), 0, 1);
}

TEST_F(Co2Calibration, SensorFailureWhileCountingWritesNothing) {
    auto proc = procedure("cpCO2OffsetCal");
    input(proc, "cvCO2OffsetCalGas") = kvcom3::Variant(1000);
    input(proc, "cvCO2OffsetCalPressure") = kvcom3::Variant(1012);
    input(proc, "cvCO2OCOffsetCalOld") = kvcom3::Variant(40000);
    input(proc, "cvCO2OffsetCalDT") = kvcom3::Variant(250);
    node(kvcom3::CO2Span)->Value();
    node(kvcom3::CO2Ts)->Value();
    const std::int32_t before = sensorWord("eawPar_7");
    // Every attempt of the next read, the first point of the CO2 table, goes unanswered.
    const int next = line->transfers(kvsim::Domain::Sensor) + 1;
    line->addFault("no-ctr@" + std::to_string(next) + "-" + std::to_string(next + 60));
    memActions.clear();
    comLog.clear();
    const auto error = errorOf([&] { proc->Run(); });
    EXPECT_NE(error.number(), 0);
    EXPECT_GE(readsOf("eaTable2_0"), 1);
    line->clearFaults();
    EXPECT_EQ(sensorWord("eawPar_7"), before);
    EXPECT_FALSE(wrote());
    EXPECT_TRUE(notSet(input(proc, "cvCO2OffsetCalGas")));
}

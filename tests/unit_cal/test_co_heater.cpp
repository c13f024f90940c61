#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <ctime>
#include <functional>
#include <sstream>

#include "CoElementScript.h"
#include "CoFixture.h"

using namespace kvcal3;
using cotest::wetAirFor;

namespace {

// The probe's circuit, written out here on its own: the heater drive of an operating heater
// resistance, and the element count of a wet-air resistance with its sensing term shifted.
double heaterOf(double R) {
    const double q = R / (R + 3.3);
    const double Rp = 1 / (1 / 56000.0 + 1 / 2700.0 + 1 / 39000.0);
    return (q - Rp / 2700) / ((39000.0 / 47200.0) * Rp / (65536.0 * 56000));
}
double countOf(double W, double shift = 0) {
    return ((226920005632.0 / W + shift + 366000) * 5000 / 3.636e9 - 0.375) * 65535 / 4.125;
}

constexpr double kHeaterOhm = 33.87;

class CoHeater : public CoFixture {
  protected:
    std::shared_ptr<kvCalProcedure> heaterCal(double ohm, double wetAir) {
        auto proc = procedure("cpCOHeaterCal");
        input(proc, "cvHeaterCalOHR") = kvcom3::Variant(ohm);
        input(proc, "cvHeaterCalRIWA") = kvcom3::Variant(wetAir);
        return proc;
    }
    // The drive the calibration starts from is already in the sensor.
    std::int32_t startAtOwnDrive() {
        setSensorWord("eawPar_3", static_cast<std::int32_t>(std::lrint(heaterOf(kHeaterOhm))));
        sensor->advance(1);
        return liveSignal();
    }
    void freezeSignal() { cotest::freezeSignal(*sensor); }
    void scriptSignal(std::function<int(int)> signal) {
        cotest::scriptSignal(sensor, clock, std::move(signal));
    }
    std::vector<std::string> readingLines() {
        std::vector<std::string> lines;
        const auto files = logFiles();
        if (files.size() != 1) return lines;
        std::istringstream text(bytesOf(files.front()));
        std::string line;
        for (int i = 0; std::getline(text, line); ++i) {
            if (i >= 4) lines.push_back(line);
        }
        return lines;
    }
    double seconds() const { return std::chrono::duration<double>(clock->now()).count(); }
};

std::string rounded(double v) {
    return std::to_string(std::lrint(v));
}

std::string today() {
    const std::time_t now = std::time(nullptr);
    std::tm day{};
    localtime_r(&now, &day);
    char text[16];
    std::strftime(text, sizeof text, "%Y-%m-%d", &day);
    return text;
}

}  // namespace

TEST_F(CoHeater, StartWritesTheDriveOfTheHeaterResistance) {
    auto proc = procedure("cpCOHeaterStart");
    input(proc, "cvHeaterStartOHR") = kvcom3::Variant(35.0);
    proc->Run();
    EXPECT_EQ(sensorWord("eawPar_3"), std::lrint(heaterOf(35)));
    EXPECT_EQ(input(proc, "cvHeaterStartOHR"), kvcom3::Variant(35.0)) << "the inputs stay";
    EXPECT_TRUE(notSet(input(proc, "cvHeaterStartRIWA")));
}

TEST_F(CoHeater, ResistancesThatGiveNoDriveOrCountAreRefusedAndReset) {
    struct Case {
        const char* key;
        double ohm;
        double wetAir;
    };
    const double sensible = wetAirFor(26000);
    for (const Case& c :
         {Case{"cpCOHeaterStart", NotSetMarker, 0}, Case{"cpCOHeaterStart", 20, 0},
          Case{"cpCOHeaterStart", 50, 0}, Case{"cpCOHeaterStart", 44.3, 0},
          Case{"cpCOHeaterCal", 0, sensible}, Case{"cpCOHeaterCal", 20, sensible},
          Case{"cpCOHeaterCal", kHeaterOhm, NotSetMarker}, Case{"cpCOHeaterCal", kHeaterOhm, 0},
          Case{"cpCOHeaterCal", kHeaterOhm, 50000},
          Case{"cpCOHeaterCal", NotSetMarker, sensible}}) {
        auto proc = procedure(c.key);
        const std::string prefix =
            c.key == std::string("cpCOHeaterStart") ? "cvHeaterStart" : "cvHeaterCal";
        input(proc, prefix + "OHR") = kvcom3::Variant(c.ohm);
        input(proc, prefix + "RIWA") = kvcom3::Variant(c.wetAir);
        memActions.clear();
        const kvcom3::KvError e = errorOf([&] { proc->Run(); });
        EXPECT_EQ(e.number(), 1011) << c.key << " " << c.ohm << " " << c.wetAir;
        EXPECT_FALSE(wrote());
        EXPECT_TRUE(notSet(input(proc, prefix + "OHR")));
        EXPECT_TRUE(notSet(input(proc, prefix + "RIWA")));
    }
    EXPECT_TRUE(logFiles().empty());
}

TEST_F(CoHeater, FirstReadingInTheWindowStillTakesACoarseStepFirst) {
    const std::int32_t first = startAtOwnDrive();
    const double wetAir = wetAirFor(first - 25);
    auto proc = heaterCal(kHeaterOhm, wetAir);
    const double start = seconds();
    proc->Run();
    const double H0 = heaterOf(kHeaterOhm);
    EXPECT_EQ(sensorWord("eawPar_3"), std::lrint(H0 - 10000)) << "success needs the fine phase";
    const auto lines = readingLines();
    ASSERT_EQ(lines.size(), 12u) << "two cycles of six readings";
    EXPECT_EQ(lines.front().substr(0, lines.front().find('\t')), std::to_string(first));
    EXPECT_GT(first, countOf(wetAir, -4000));
    EXPECT_LT(first, countOf(wetAir, 4000));
    EXPECT_GE(seconds() - start, 12) << "a second after each reading";
    EXPECT_LT(seconds() - start, 14);
    EXPECT_EQ(input(proc, "cvHeaterCalRIWA"), kvcom3::Variant(wetAir)) << "success keeps inputs";
}

TEST_F(CoHeater, LogHoldsTheHeaderAndEveryReadingOfTheRun) {
    const std::int32_t first = startAtOwnDrive();
    const double wetAir = wetAirFor(first - 25);
    const std::filesystem::path file = logDir / ("COHeaterCal " + today() + ".txt");
    std::ofstream(file, std::ios::binary) << "an earlier run\r\n";
    heaterCal(kHeaterOhm, wetAir)->Run();
    const std::int32_t second = liveSignal();
    const double H0 = heaterOf(kHeaterOhm);
    const std::string window =
        "\t" + rounded(countOf(wetAir, 4000)) + "\t" + rounded(countOf(wetAir, -4000)) + "\r\n";
    std::string expected =
        "\r\n----------------------\r\n" + mem->SerialNr(false) + "\r\n----------------------\r\n";
    for (int i = 0; i < 6; ++i) expected += std::to_string(first) + "\t" + rounded(H0) + window;
    for (int i = 0; i < 6; ++i)
        expected += std::to_string(second) + "\t" + rounded(H0 - 10000) + window;
    ASSERT_EQ(logFiles(), std::vector<std::filesystem::path>{file});
    EXPECT_EQ(bytesOf(file), expected);
    EXPECT_EQ(mem->SerialNr(false), "16820815");
}

TEST_F(CoHeater, ASignalThatNeverMovesEndsAfterTwentyCycles) {
    startAtOwnDrive();
    freezeSignal();
    auto proc = heaterCal(kHeaterOhm, wetAirFor(liveSignal() - 25));
    const double start = seconds();
    const kvcom3::KvError e = errorOf([&] { proc->Run(); });
    EXPECT_EQ(e.number(), 1016);
    EXPECT_EQ(e.description(), "Cant calibrate heater ");
    EXPECT_EQ(readingLines().size(), 120u) << "twenty coarse cycles";
    EXPECT_GE(seconds() - start, 120);
    EXPECT_EQ(sensorWord("eawPar_3"), 0) << "every coarse step lowered the drive, down to 0";
    EXPECT_TRUE(notSet(input(proc, "cvHeaterCalOHR")));
    EXPECT_TRUE(notSet(input(proc, "cvHeaterCalRIWA")));
}

TEST_F(CoHeater, AWetAirResistanceTheElementCannotReachFails) {
    const std::int32_t first = startAtOwnDrive();
    auto proc = heaterCal(kHeaterOhm, wetAirFor(first + 2000));
    // The fine steps soon move the signal by less than a count; a signal that stays put sends
    // the loop back to coarse steps until the cycles run out.
    EXPECT_EQ(errorOf([&] { proc->Run(); }).number(), 1016);
    EXPECT_TRUE(notSet(input(proc, "cvHeaterCalOHR")));
}

TEST_F(CoHeater, ASignalThatStaysBelowTheWindowIsADividerTooLow) {
    scriptSignal([](int s) { return 20000 + s; });  // creeping up, far below the target
    auto proc = heaterCal(kHeaterOhm, wetAirFor(30000));
    const kvcom3::KvError e = errorOf([&] { proc->Run(); });
    EXPECT_EQ(e.number(), 1008) << e.description();
    EXPECT_EQ(e.description(), "COdivider to low ");
    const double H0 = heaterOf(kHeaterOhm);
    EXPECT_NEAR(sensorWord("eawPar_3"), H0 + 10000, 10) << "the fine steps raised the drive";
    EXPECT_EQ(readingLines().size(), 6u + 10 * 21) << "one coarse cycle, ten fine ones";
    EXPECT_TRUE(notSet(input(proc, "cvHeaterCalRIWA")));
}

TEST_F(CoHeater, ASignalAboveTheWindowInTheFinePhaseIsADividerTooHigh) {
    // Below the target at the end of the first cycle (six seconds), which starts the fine
    // phase; above the window from then on.
    scriptSignal([](int s) { return s < 10 ? 29000 + s : 40000 + s; });
    auto proc = heaterCal(kHeaterOhm, wetAirFor(30000));
    const kvcom3::KvError e = errorOf([&] { proc->Run(); });
    EXPECT_EQ(e.number(), 1007) << e.description();
    EXPECT_EQ(e.description(), "COdivider to high ");
}

TEST_F(CoHeater, TooLowASignalAtFullDriveOrFarBelowTheStart) {
    struct Case {
        double ohm;
        // False: the sensor's own signal, below the target. True: a signal above the target
        // but for the end of the third cycle, so two coarse steps take the drive 20000 down
        // before the fine phase starts.
        bool dropping;
        double drive;
    };
    const double H0 = heaterOf(kHeaterOhm);
    ASSERT_GT(heaterOf(44.0), 60535);
    ASSERT_GT(heaterOf(44.3), 65535);
    for (const Case& c : {Case{44.0, false, 65535}, Case{44.3, false, 65535},
                          Case{kHeaterOhm, true, H0 - 20000 + 5000 - 2500 - 1250}}) {
        SCOPED_TRACE(c.ohm);
        connect(profile());
        const double wetAir = c.dropping ? wetAirFor(30000) : wetAirFor(liveSignal() + 2000);
        if (c.dropping) {
            scriptSignal([](int s) { return s >= 15 && s <= 30 ? 20000 + s : 40000 + s; });
        }
        auto proc = heaterCal(c.ohm, wetAir);
        const kvcom3::KvError e = errorOf([&] { proc->Run(); });
        kvcom3::setEventPump(nullptr);
        EXPECT_EQ(e.number(), 1017) << e.description();
        EXPECT_EQ(e.description(), "To low signal ");
        EXPECT_EQ(sensorWord("eawPar_3"), std::lrint(c.drive)) << "the drive of the last cycle";
        EXPECT_TRUE(notSet(input(proc, "cvHeaterCalOHR")));
    }
}

TEST_F(CoHeater, ALogThatCannotBeCreatedEndsTheRunNamingTheFile) {
    std::ofstream(logDir / "taken") << "a file, not a directory";
    const std::filesystem::path dir = logDir / "taken" / "log";
    ::setenv("KVCAL3_LOG_DIR", dir.c_str(), 1);
    const std::int32_t drive = sensorWord("eawPar_3");
    auto proc = heaterCal(kHeaterOhm, wetAirFor(liveSignal()));
    memActions.clear();
    const kvcom3::KvError e = errorOf([&] { proc->Run(); });
    EXPECT_EQ(e.number(), 75);
    EXPECT_NE(e.description().find("Path/File access error"), std::string::npos);
    EXPECT_NE(e.description().find(dir.string()), std::string::npos) << e.description();
    EXPECT_FALSE(wrote());
    EXPECT_EQ(sensorWord("eawPar_3"), drive);
    EXPECT_TRUE(notSet(input(proc, "cvHeaterCalOHR")));
    EXPECT_TRUE(notSet(input(proc, "cvHeaterCalRIWA")));
}

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "tools/KvtoolProcess.h"

// The CO probe procedures through kvtool against the virtual sensor with a heated CO element.
namespace kvtool_test {
namespace {

using ::testing::HasSubstr;

// The probe's circuit as this test computes it on its own.
double heaterOf(double R) {
    const double q = R / (R + 3.3);
    const double Rp = 1 / (1 / 56000.0 + 1 / 2700.0 + 1 / 39000.0);
    return (q - Rp / 2700) / ((39000.0 / 47200.0) * Rp / (65536.0 * 56000));
}
double wetAirFor(double count) {
    return 226920005632.0 / ((count * 4.125 / 65535 + 0.375) * 3.636e9 / 5000 - 366000);
}
double ohmOf(double n) {
    return 226920005632.0 / ((n * 4.125 / 65536 + 0.375) * 727200 - 366000);
}
double countOfOhm(double r) {
    return ((620000 / r + 1) * (1000.0 / 101000 * 5) * (330000.0 / 36000 + 1) - 0.375) / 4.125 *
           65536;
}

class KvtoolCo : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/kvtool-co-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        logDir_ = pattern;
        sensor_ =
            std::make_unique<VirtualSensor>(std::vector<std::string>{"--profile", "p8-co-probe"});
    }
    void TearDown() override {
        sensor_.reset();
        std::error_code ignored;
        std::filesystem::remove_all(logDir_, ignored);
    }
    RunResult tool(std::vector<std::string> command,
                   std::chrono::seconds timeout = std::chrono::seconds(30)) const {
        command.insert(command.begin(), {KVTOOL_PATH, "--device", sensor_->link()});
        return run(command, timeout, {"KVCAL3_LOG_DIR=" + logDir_.string()});
    }
    RunResult calibrate(const std::string& procedure, const std::vector<std::string>& inputs,
                        std::chrono::seconds timeout = std::chrono::seconds(30)) {
        std::vector<std::string> command{"calibrate", procedure, "--no-input"};
        for (const std::string& input : inputs) {
            command.push_back("--input");
            command.push_back(input);
        }
        RunResult r = tool(command, timeout);
        EXPECT_EQ(r.status, 0) << r.err << sensor_->output();
        return r;
    }
    // The cells the run changed, with their new values.
    static std::map<std::string, long> changed(const std::string& out) {
        std::map<std::string, long> cells;
        const std::regex line(R"((\w+): -?\d+ -> (-?\d+))");
        for (std::sregex_iterator it(out.begin(), out.end(), line), end; it != end; ++it)
            cells[(*it)[1]] = std::stol((*it)[2]);
        return cells;
    }
    static std::string text(double value) {
        std::ostringstream out;
        out.precision(17);
        out << value;
        return out.str();
    }

    std::filesystem::path logDir_;
    std::unique_ptr<VirtualSensor> sensor_;
};

TEST_F(KvtoolCo, HeaterStartWritesTheDriveOfTheHeaterResistance) {
    RunResult r = calibrate("cpCOHeaterStart", {"cvHeaterStartOHR=35", "cvHeaterStartRIWA=210000"});
    EXPECT_THAT(r.out,
                HasSubstr("eawPar_3: 30000 -> " + std::to_string(std::lrint(heaterOf(35))) + "\n"));
}

TEST_F(KvtoolCo, HeaterCalibrationConvergesAndLeavesItsLog) {
    RunResult now = tool({"get", "raChan_13"});
    ASSERT_EQ(now.status, 0) << now.err;
    // A wet-air resistance a little above the element's present one: the heater has to come
    // down one coarse step.
    const double wetAir = wetAirFor(std::strtod(now.out.c_str(), nullptr) - 25);
    const double ohm = 33.87;
    RunResult r = calibrate("cpCOHeaterCal",
                            {"cvHeaterCalOHR=" + text(ohm), "cvHeaterCalRIWA=" + text(wetAir)},
                            std::chrono::seconds(90));
    EXPECT_THAT(r.out, HasSubstr("cpCOHeaterCal done\n"));
    const auto cells = changed(r.out);
    ASSERT_EQ(cells.count("eawPar_3"), 1u) << r.out;
    const long H0 = std::lrint(heaterOf(ohm));
    EXPECT_TRUE(cells.at("eawPar_3") == H0 ||
                cells.at("eawPar_3") == std::lrint(heaterOf(ohm) - 10000))
        << cells.at("eawPar_3");

    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(logDir_))
        files.push_back(entry.path());
    ASSERT_EQ(files.size(), 1u);
    EXPECT_TRUE(std::regex_match(files[0].filename().string(),
                                 std::regex(R"(COHeaterCal \d{4}-\d\d-\d\d\.txt)")))
        << files[0];
    std::ifstream in(files[0], std::ios::binary);
    const std::string log{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const std::string header =
        "\r\n----------------------\r\n16820815\r\n----------------------\r\n";
    ASSERT_EQ(log.substr(0, header.size()), header);
    const std::regex reading(R"(\d+\t\d+\t\d+\t\d+\r\n)");
    const std::string readings = log.substr(header.size());
    const auto count = std::distance(
        std::sregex_iterator(readings.begin(), readings.end(), reading), std::sregex_iterator());
    EXPECT_TRUE(count == 6 || count == 12) << "done within two coarse cycles\n" << log;
    EXPECT_TRUE(std::regex_match(readings, std::regex(R"((\d+\t\d+\t\d+\t\d+\r\n)+)"))) << log;
}

TEST_F(KvtoolCo, HumidityCompensatedCalibrationWritesWhatTheRecordingGives) {
    // Counts recorded in span gas (50 ppm), dry, normal and wet air and zero gas, with the
    // absolute humidities of each.
    const double SG = 50;
    const std::array<double, 5> old{15287, 26569, 25736, 24843, 25780};
    const std::array<double, 5> ah{9.3, 2.1, 9.2, 17.4, 8.9};
    enum { span, dry, norm, wet, zero };
    const double k = ((ohmOf(old[wet]) - ohmOf(old[norm])) / (ah[wet] - ah[norm]) +
                      (ohmOf(old[norm]) - ohmOf(old[dry])) / (ah[norm] - ah[dry])) /
                     2000;
    const double R0 = ohmOf(old[zero]) - ah[zero] * k * 1000;
    const double D = 125829120 / countOfOhm(R0);
    const double s = (ohmOf(old[span]) - (ah[span] * k * 1000 + R0)) / (SG * 1000);
    const double AHv = s * 163.8 / k * 10;
    const double r = s * 100000 / (R0 * 10);

    RunResult run = calibrate(
        "cpCOAHZeroSpanCal",
        {"cvCOAHZeroSpanCalSpanGas=50", "cvCOAHZeroSpanCalOLDspangas=" + text(old[span]),
         "cvCOAHZeroSpanCalAHspangas=" + text(ah[span]),
         "cvCOAHZeroSpanCalOLDdry=" + text(old[dry]), "cvCOAHZeroSpanCalAHdry=" + text(ah[dry]),
         "cvCOAHZeroSpanCalOldnorm=" + text(old[norm]), "cvCOAHZeroSpanCalAHnorm=" + text(ah[norm]),
         "cvCOAHZeroSpanCalOldwet=" + text(old[wet]), "cvCOAHZeroSpanCalAHwet=" + text(ah[wet]),
         "cvCOAHZeroSpanCalOldzero=" + text(old[zero]),
         "cvCOAHZeroSpanCalAHzero=" + text(ah[zero])});
    auto cells = changed(run.out);
    // What the sensor holds from the factory, where the calibration leaves a cell unchanged.
    std::map<std::string, long> factory{{"eawPar_2", 4690}, {"eaRegPar1_4", 491}};
    const std::array<long, 17> table{15000, 12500, 10075, 4300, 2564, 1727, 1235, 910,  680,
                                     509,   376,   270,   184,  112,  52,   0,    65491};
    for (int i = 0; i < 17; ++i) factory["eaTable4_" + std::to_string(i)] = table[i];
    const auto after = [&](const std::string& key) {
        return cells.count(key) ? cells.at(key) : factory.at(key);
    };

    EXPECT_EQ(after("eawPar_2"), std::lrint(D));
    EXPECT_EQ(after("eaRegPar1_4"), std::lrint(AHv));
    for (int i = 0; i < 17; ++i) {
        const double cnt = 4096.0 * i;
        const double V = cnt * 2048 / D * 4.125 / 65536 + 0.375;
        const double U = 101000 * (36000 * V) / 5000;
        const double R = 226920000000.0 / (U - 366000);
        double ppm = (R - R0) / (s * 100);
        if (ppm > 1000) ppm = std::pow((R - R0) / (R0 * r), 2) * 10;
        if (ppm > 15000) ppm = 15000;
        if (ppm < 0) ppm += 65535;
        if (i == 0) ppm = 15000;
        EXPECT_EQ(after("eaTable4_" + std::to_string(i)), std::lrint(ppm)) << i;
    }
}

}  // namespace
}  // namespace kvtool_test

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "records/RecordStore.h"
#include "records/Store.h"
#include "station/StationProgram.h"
#include "util/KvsimProcess.h"

namespace station_test {
namespace {

using station::PositionReport;
using ::testing::HasSubstr;

constexpr const char* kSensor = "p8-co2-temp-rh";
// A sensor without its temperature probe reads 0 °C and fails the recipe's check.
constexpr const char* kFaulted = "p8-co2-notemp";

std::vector<std::string> placed(const std::vector<std::pair<const char*, int>>& sensors) {
    std::vector<std::string> args{"--no-noise"};
    for (const auto& [profile, position] : sensors) {
        args.push_back("--sensor");
        args.push_back(std::string(profile) + "@1:" + std::to_string(position));
    }
    return args;
}

// Two lines of three positions: on line A position 3 is empty; on line B the sensor at
// position 2 fails the temperature check.
class StationRun : public ::testing::TestWithParam<std::string> {
  protected:
    void SetUp() override {
        folder_ = std::filesystem::temp_directory_path() /
                  ("kvstation-run-" + std::to_string(getpid()) + "-" + GetParam());
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
        db_ = freshDatabase(GetParam(), folder_.string());
        if (db_.empty()) GTEST_SKIP() << "KV_TEST_POSTGRES_URI names no PostgreSQL server";
        lineA_ = std::make_unique<kvtest::KvsimProcess>(placed({{kSensor, 1}, {kSensor, 2}}));
        lineB_ = std::make_unique<kvtest::KvsimProcess>(
            placed({{kSensor, 1}, {kFaulted, 2}, {kSensor, 3}}));
        recipe_ = (folder_ / "station.toml").string();
        std::ofstream(recipe_) << "[expect]\nplatform = 8\n"
                               << "[[line]]\nname = \"A\"\nport = 1\ndevice = \"" << lineA_->path()
                               << "\"\npositions = [\"1-3\"]\n"
                               << "[[line]]\nname = \"B\"\nport = 2\ndevice = \"" << lineB_->path()
                               << "\"\npositions = [1, 2, 3]\n"
                               << "[[step]]\nread = \"foChannelValue4\"\n"
                               << "[[step]]\ncheck = \"foChannelValue4\"\nmin = 10\nmax = 50\n";
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    std::vector<PositionReport> records(const station::ReportFilter& filter = {}) {
        auto db = station::openStore(db_);
        return station::RecordStore(*db).report(filter);
    }

    std::filesystem::path folder_;
    std::string db_;
    std::string recipe_;
    std::unique_ptr<kvtest::KvsimProcess> lineA_, lineB_;
};

TEST_P(StationRun, EveryPositionOfBothLinesIsRecorded) {
    const auto result =
        kvstation({"run", recipe_, "--db", db_, "--operator", "anna", "--station", "bench 7"});
    EXPECT_EQ(result.status, 1) << result.out << result.err;
    EXPECT_THAT(result.out, HasSubstr(": 4 passed, 2 failed, 0 interrupted"));

    std::map<std::string, PositionReport> byPlace;
    for (const PositionReport& r : records())
        byPlace[r.position.line + std::to_string(r.position.position)] = r;
    ASSERT_EQ(byPlace.size(), 6u);
    const std::string runId = byPlace["A1"].run.id;
    for (const auto& [place, r] : byPlace) {
        SCOPED_TRACE(place);
        EXPECT_EQ(r.run.id, runId);
        EXPECT_EQ(r.run.station, "bench 7");
        EXPECT_EQ(r.run.operatorName, "anna");
        EXPECT_FALSE(r.run.finished.empty());
        EXPECT_EQ(r.position.board, 1);
        EXPECT_LE(r.position.started, r.position.finished);
        const bool empty = place == "A3";
        const bool faulted = place == "B2";
        EXPECT_EQ(r.position.status, empty || faulted ? "failed" : "passed");
        if (empty) {
            EXPECT_TRUE(r.position.serial.empty());
            EXPECT_EQ(r.position.errorNumber, 1000);
            EXPECT_EQ(r.position.errorText, "Communication error");
            EXPECT_TRUE(r.steps.empty());
            continue;
        }
        EXPECT_EQ(r.position.platform, 8);
        EXPECT_EQ(r.position.part, faulted ? 160 : 152);
        EXPECT_THAT(r.position.serial, ::testing::StartsWith(faulted ? "160" : "152"));
        EXPECT_FALSE(r.position.errorNumber.has_value());
        ASSERT_EQ(r.steps.size(), 2u);
        EXPECT_EQ(r.steps[0].kind, "read");
        EXPECT_EQ(r.steps[0].target, "foChannelValue4");
        EXPECT_THAT(r.steps[0].after, HasSubstr("°C"));
        EXPECT_EQ(r.steps[1].kind, "check");
        EXPECT_EQ(r.steps[1].after, r.steps[0].after);
        EXPECT_EQ(r.steps[1].passed, !faulted);
    }

    const std::string faultedSerial = byPlace["B2"].position.serial;
    station::ReportFilter failed;
    failed.failedOnly = true;
    EXPECT_EQ(records(failed).size(), 2u);
    station::ReportFilter one;
    one.serial = faultedSerial;
    EXPECT_EQ(records(one).size(), 1u);
    station::ReportFilter later;
    later.since = "2999-01-01";
    EXPECT_TRUE(records(later).empty());

    const auto history = kvstation({"report", "--db", db_, "--serial", faultedSerial});
    EXPECT_EQ(history.status, 0) << history.err;
    EXPECT_THAT(history.out, HasSubstr("line B  board 1 position 2  serial " + faultedSerial +
                                       "  part 160  failed"));
    EXPECT_THAT(history.out, HasSubstr("2 check foChannelValue4 (10 to 50): 0 °C  failed"));
    const auto csv = kvstation({"report", "--db", db_, "--failed", "--format", "csv"});
    EXPECT_EQ(csv.status, 0) << csv.err;
    EXPECT_EQ(std::count(csv.out.begin(), csv.out.end(), '\n'), 1 + 1 + 2) << csv.out;
}

INSTANTIATE_TEST_SUITE_P(Database, StationRun, ::testing::Values("sqlite", "postgresql"),
                         [](const auto& info) { return info.param; });

}  // namespace
}  // namespace station_test

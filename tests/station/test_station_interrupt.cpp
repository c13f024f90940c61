#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <string>

#include "kvcom3/Enums.h"
#include "kvcom3/ISensMem.h"
#include "kvcom3/Ports.h"
#include "kvcom3/ValueTarget.h"
#include "records/RecordStore.h"
#include "records/Store.h"
#include "station/StationProgram.h"
#include "util/KvsimProcess.h"

namespace station_test {
namespace {

using ::testing::HasSubstr;

constexpr int kOriginal = 15000;
constexpr int kWritten = 400;

int lampOffTime(const std::string& device) {
    kvcom3::bindPort(7, device);
    kvcom3::ISensMem sensor;
    sensor.LetProtokoll(kvcom3::kvKV);
    sensor.Connect(7, -1, 1, 1);
    const auto value = kvcom3::readTarget(kvcom3::findTarget(sensor, "foLampOffTime"), true);
    sensor.ClosePort(7);
    return static_cast<int>(value.value.toDouble());
}

// Ctrl-C to the station while the first position reads, just before it writes EEPROM: the
// worker stops, that position is recorded as interrupted and the next one never starts, and
// the sensor holds either its old value or the whole new one.
TEST(StationInterrupt, StopsEveryWorkerAndRecordsTheStartedPosition) {
    const std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                         ("kvstation-interrupt-" + std::to_string(getpid()));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    kvtest::KvsimProcess line({"--no-noise", "--line-rate", "--sensor", "p8-co2-temp-rh@1:1",
                               "--sensor", "p8-co2-temp-rh@1:2"});
    const std::string recipe = (folder / "station.toml").string();
    std::ofstream(recipe) << "[[line]]\nname = \"A\"\ndevice = \"" << line.path()
                          << "\"\npositions = [1, 2]\n"
                          << "[[step]]\nread = \"foChannelValue4\"\n"
                          << "[[step]]\nset = \"foLampOffTime\"\nvalue = " << kWritten << "\n"
                          << "[[step]]\nwait = 60\n";
    const std::string db = (folder / "station.db").string();

    const auto result = kvtest::runSignalledWhen(
        {KVSTATION_PATH, "run", recipe, "--db", db, "--json"},
        [](const kvtest::RunResult& r) {
            return r.out.find("\"kind\":\"read\"") != std::string::npos;
        },
        SIGINT, std::chrono::minutes(2));
    EXPECT_EQ(result.status, 4) << result.out << result.err;
    EXPECT_THAT(result.out, HasSubstr("\"interrupted\":1"));

    auto store = station::openStore(db);
    const auto records = station::RecordStore(*store).report({});
    ASSERT_EQ(records.size(), 1u) << "position 2 must not start";
    const auto& r = records.front();
    EXPECT_FALSE(r.run.finished.empty());
    EXPECT_EQ(r.position.position, 1);
    EXPECT_EQ(r.position.status, "interrupted");
    EXPECT_EQ(r.position.errorNumber, 32755);
    EXPECT_THAT(r.position.errorText, ::testing::Not(HasSubstr("could not be put back")));
    ASSERT_GE(r.steps.size(), 2u);
    EXPECT_EQ(r.steps.back().errorNumber, 32755);
    const bool written = r.steps[1].kind == "set" && !r.steps[1].errorNumber;
    EXPECT_EQ(lampOffTime(line.path()), written ? kWritten : kOriginal);
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace station_test

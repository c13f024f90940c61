#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "kvcom3/SensorBackup.h"
#include "tools/KvtoolProcess.h"

namespace kvtool_test {
namespace {

namespace fs = std::filesystem;

// A journal directory of one test, removed afterwards.
class Journal {
  public:
    Journal()
        : path_(fs::path(testJournalDirectory()) /
                ::testing::UnitTest::GetInstance()->current_test_info()->name()) {}
    ~Journal() { fs::remove_all(path_); }
    std::string env() const { return "KVSENSOR_JOURNAL_DIR=" + path_.string(); }

  private:
    fs::path path_;
};

struct Step {
    std::vector<std::string> args;
    int status;
    const char* out;                // regular expression for the whole of stdout
    const char* err;                // text stderr contains
    const char* journal = nullptr;  // another journal directory for this step
};

// One sensor, one journal, the commands in turn: what each prints, and that undo and the
// refusals leave the EEPROM as they say.
TEST(KvtoolJournal, HistoryAndUndoFollowTheWrites) {
    VirtualSensor sensor({"--profile", "p8-co2-temp-rh"});
    Journal journal;
    const char* const time = "20[0-9-]+T[0-9:.]+Z";
    const std::string history3 = std::string("3  ") + time +
                                 "  kvtool  set eaTable0_0  2 bytes  done\n1  " + time +
                                 "  kvtool  poke  3 bytes  done\n";
    const std::vector<Step> steps{
        {{"peek", "eeprom", "100", "3"}, 0, "0 0 0\n", ""},
        {{"poke", "eeprom", "100", "1", "2", "3"}, 0, "", ""},
        {{"set", "eaTable0_0", "100"}, 0, "100\n", ""},
        {{"history"}, 0, history3.c_str(), ""},
        {{"--json", "history"},
         0,
         "\\{\"id\":3,\"time\":\"[^\"]+\",\"program\":\"kvtool\",\"operation\":\"set "
         "eaTable0_0\",\"bytes\":2,\"state\":\"done\"\\}\n\\{\"id\":1,[^\n]*\n",
         ""},
        {{"undo"}, 0, "operation 3 undone: 2 bytes put back\n", ""},
        {{"get", "eaTable0_0"}, 0, "12000\n", ""},
        // Undo after undo goes further back, but 101 has changed since.
        {{"poke", "eeprom", "101", "99"}, 0, "", ""},
        {{"undo", "1"}, 1, "", "EEPROM 101 holds 99, operation 1 left 2"},
        {{"peek", "eeprom", "100", "3"}, 0, "1 99 3\n", ""},
        {{"undo", "1", "--force"}, 0, "operation 1 undone: 3 bytes put back\n", ""},
        {{"peek", "eeprom", "100", "3"}, 0, "0 0 0\n", ""},
        {{"undo", "99"}, 1, "", "error 5: Invalid procedure call or argument: no operation 99"},
        // Without the journal the write leaves no record; with a journal that cannot be
        // written it does not happen at all.
        {{"--no-journal", "poke", "eeprom", "100", "7"}, 0, "", ""},
        {{"--json", "history"}, 0, "\\{\"id\":9,[^\n]*\"operation\":\"undo 1\"[\\s\\S]*", ""},
        {{"poke", "eeprom", "100", "8"},
         1,
         "",
         "error 75: Path/File access error: /dev/null/j",
         "/dev/null/j"},
        {{"peek", "eeprom", "100", "1"}, 0, "7\n", ""},
    };
    for (const Step& step : steps) {
        std::vector<std::string> args{"--device", sensor.link()};
        args.insert(args.end(), step.args.begin(), step.args.end());
        std::string line;
        for (const auto& a : step.args) line += a + " ";
        SCOPED_TRACE(line);
        const std::string env =
            step.journal ? std::string("KVSENSOR_JOURNAL_DIR=") + step.journal : journal.env();
        const RunResult result = kvtool(args, {env});
        EXPECT_EQ(result.status, step.status) << result.err;
        EXPECT_TRUE(std::regex_match(result.out, std::regex(step.out))) << result.out;
        EXPECT_THAT(result.err, ::testing::HasSubstr(step.err));
    }
}

// kvtool killed in the middle of a 24-byte EEPROM write leaves an interrupted operation, and
// undo puts back exactly the bytes that were there.
TEST(KvtoolJournal, UndoAfterAKillRestoresEveryByte) {
    VirtualSensor sensor({"--profile", "p8-co2-temp-rh", "--line-rate"});
    Journal journal;
    const std::vector<std::string> line{"--device", sensor.link()};
    auto tool = [&](std::vector<std::string> command) {
        std::vector<std::string> args = line;
        args.insert(args.end(), command.begin(), command.end());
        return kvtool(args, {journal.env()});
    };
    std::vector<std::string> poke{"poke", "eeprom", "96"};
    for (int i = 0; i < 24; ++i) poke.push_back(std::to_string(200 + i));
    ASSERT_EQ(tool(poke).status, 0);
    const RunResult before = tool({"peek", "eeprom", "96", "24"});
    ASSERT_EQ(before.status, 0) << before.err;

    std::vector<std::string> argv{KVTOOL_PATH, "--log"};
    argv.insert(argv.end(), line.begin(), line.end());
    argv.insert(argv.end(), {"poke", "eeprom", "96"});
    for (int i = 0; i < 24; ++i) argv.push_back(std::to_string(i));
    // Killed when its third block is about to go out.
    const RunResult killed = runSignalledWhen(
        argv,
        [](const RunResult& sofar) {
            std::size_t blocks = 0;
            for (auto at = sofar.err.find(" bytes to adress "); at != std::string::npos;
                 at = sofar.err.find(" bytes to adress ", at + 1))
                ++blocks;
            return blocks >= 3;
        },
        SIGKILL, std::chrono::seconds(20), {journal.env()});
    EXPECT_EQ(killed.status, -1);
    const RunResult half = tool({"peek", "eeprom", "96", "24"});
    EXPECT_NE(half.out, before.out) << "the kill came too late or too early";

    const RunResult history = tool({"history"});
    EXPECT_THAT(history.out, ::testing::StartsWith("3  "));
    EXPECT_THAT(history.out, ::testing::HasSubstr("poke  24 bytes  interrupted\n"));
    const RunResult undo = tool({"undo"});
    EXPECT_EQ(undo.status, 0) << undo.err;
    const RunResult after = tool({"peek", "eeprom", "96", "24"});
    EXPECT_EQ(after.out, before.out);
}

// Backup, change, diff, restore: the sensor ends with the backup's bytes, and a backup of
// another kind of sensor or serial number is refused with nothing written.
TEST(KvtoolJournal, RestoreGivesBackTheBackupsBytes) {
    // Modbus reads the whole memory in blocks of 32 bytes, KVBUS in 6.
    // Without noise the readings of the sensor and of its clone can be compared too.
    VirtualSensor sensor({"--profile", "p8-co2-temp-rh", "--protocol", "modbus", "--no-noise"});
    Journal journal;
    const fs::path dir = fs::path(testJournalDirectory()) / "backups";
    fs::create_directories(dir);
    const std::string own = (dir / "own.kvbackup").string();
    const std::string otherPart = (dir / "part.kvbackup").string();
    const std::string otherSerial = (dir / "serial.kvbackup").string();
    auto tool = [&](std::vector<std::string> command) {
        command.insert(command.begin(),
                       {"--device", sensor.link(), "--protocol", "modbus", "--id", "1"});
        return kvtool(command, {journal.env()});
    };
    ASSERT_EQ(tool({"backup", own}).status, 0);
    {
        // The backup served by the virtual sensor is the same sensor to kvtool.
        VirtualSensor clone({"--image", own, "--protocol", "modbus", "--no-noise"});
        const auto onClone = [&](const std::string& command) {
            return kvtool(
                {"--device", clone.link(), "--protocol", "modbus", "--id", "1", command, own},
                {journal.env()});
        };
        for (const char* command : {"info", "tree"}) {
            const RunResult original = tool({command});
            EXPECT_EQ(original.status, 0) << original.err;
            EXPECT_EQ(
                kvtool({"--device", clone.link(), "--protocol", "modbus", "--id", "1", command},
                       {journal.env()})
                    .out,
                original.out)
                << command;
        }
        const RunResult same = onClone("diff");
        EXPECT_EQ(same.status, 0) << same.err;
        EXPECT_EQ(same.out, "");
    }
    kvcom3::SensorBackup copy = kvcom3::readSensorBackup(own);
    copy.sensor.part = 153;
    kvcom3::writeSensorBackup(otherPart, copy);
    copy.sensor.part = 152;
    copy.sensor.serial = 777;
    copy.eeprom[300] ^= 0xFF;
    kvcom3::writeSensorBackup(otherSerial, copy);

    const std::string diff =
        "eaoosPar_0 \\(oosPar_0\\) 100: file 00 00, sensor 01 02\n"
        "eaTable0_0 \\(Table0_0\\) 210: file 2e e0, sensor 00 64\n";
    const std::string changed300 = std::to_string(copy.eeprom[300]) + "\n";
    const std::vector<Step> steps{
        {{"--json", "backup", own},
         0,
         "\\{\"file\":\"[^\"]+\",\"eeprom\":2048,\"ram\":2048\\}\n",
         ""},
        {{"diff", own}, 0, "", ""},
        {{"poke", "eeprom", "100", "1", "2"}, 0, "", ""},
        {{"set", "eaTable0_0", "100"}, 0, "100\n", ""},
        {{"diff", own}, 0, diff.c_str(), ""},
        {{"restore", own, "--dry-run"}, 0, "4 bytes differ; nothing written \\(--dry-run\\)\n", ""},
        {{"restore", otherPart}, 1, "", "is of another kind of sensor (platform 8, part 153"},
        {{"restore", otherSerial}, 1, "", "--other-sensor copies it anyway"},
        {{"diff", own}, 0, diff.c_str(), ""},
        {{"restore", own}, 0, "4 bytes written\n", ""},
        {{"diff", own}, 0, "", ""},
        {{"restore", otherSerial, "--other-sensor"}, 0, "1 bytes written\n", ""},
        {{"peek", "eeprom", "300", "1"}, 0, changed300.c_str(), ""},
        {{"serial"}, 0, "15212345\n", ""},
        {{"restore", (dir / "missing").string()}, 1, "", "error 53: File not found"},
        // Without the journal, calibrate finds what changed by reading all EEPROM around the run.
        {{"--no-journal", "calibrate", "cpSpaceTempOffsetAdjust", "--input",
          "cvSpaceTempOffsetAdjustCorrectTemp=30.0", "--no-input"},
         0,
         "cpSpaceTempOffsetAdjust done\n(eaTable0_[0-9]+: [0-9]+ -> [0-9]+\n){17}",
         ""},
    };
    for (const Step& step : steps) {
        std::string line;
        for (const auto& a : step.args) line += a + " ";
        SCOPED_TRACE(line);
        const RunResult result = tool(step.args);
        EXPECT_EQ(result.status, step.status) << result.err;
        EXPECT_TRUE(std::regex_match(result.out, std::regex(step.out))) << result.out;
        EXPECT_THAT(result.err, ::testing::HasSubstr(step.err));
    }
}

// A poke of 20 bytes whose fourth block the sensor never acknowledges: kvtool puts the three
// blocks already written back at once, so the EEPROM is as before.
TEST(KvtoolJournal, AWriteThatFailsPartWayIsPutBack) {
    // Transfer 13 is the fourth block: part, size, serial, 4 reads of old values, unlock and two
    // of each write and verify come first. 50 attempts and the write gives up.
    VirtualSensor sensor({"--profile", "p8-co2-temp-rh", "--fault", "no-ack@13-62"});
    VirtualSensor reference({"--profile", "p8-co2-temp-rh"});
    Journal journal;
    std::vector<std::string> argv{KVTOOL_PATH, "--device", sensor.link(), "poke", "eeprom", "100"};
    for (int i = 1; i <= 20; ++i) argv.push_back(std::to_string(i));
    const RunResult poke = run(argv, std::chrono::seconds(90), {journal.env()});
    EXPECT_EQ(poke.status, 1);
    EXPECT_THAT(poke.err, ::testing::HasSubstr("are back as they were (operation 1, 12 bytes"));
    EXPECT_THAT(poke.err, ::testing::HasSubstr("error 1000: Communication error"));

    const RunResult now = kvtool({"--device", sensor.link(), "peek", "eeprom", "100", "20"});
    const RunResult before = kvtool({"--device", reference.link(), "peek", "eeprom", "100", "20"});
    EXPECT_EQ(now.out, before.out);
    const RunResult history = kvtool({"--device", sensor.link(), "history"}, {journal.env()});
    EXPECT_THAT(history.out, ::testing::HasSubstr("undo 1  12 bytes  done\n"));
    EXPECT_THAT(history.out, ::testing::HasSubstr("poke  20 bytes  interrupted\n"));
}

}  // namespace
}  // namespace kvtool_test

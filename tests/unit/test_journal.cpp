#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "LinkFixture.h"
#include "journal/JournalFile.h"
#include "kvcom3/Journal.h"
#include "kvcom3/SensorBackup.h"

namespace {

namespace fs = std::filesystem;
using kvcom3::JournalByte;
using kvcom3::JournalLine;

std::string slurp(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void spill(const fs::path& file, const std::string& text) {
    std::ofstream(file, std::ios::binary | std::ios::trunc) << text;
}

class TempDirectory {
  public:
    TempDirectory() {
        std::string pattern = (fs::temp_directory_path() / "kvjournal-XXXXXX").string();
        path_ = ::mkdtemp(pattern.data());
    }
    ~TempDirectory() { fs::remove_all(path_); }
    const fs::path& path() const { return path_; }

  private:
    fs::path path_;
};

JournalLine writeLine(std::int32_t address) {
    JournalLine line;
    line.record.time = "2026-12-09T19:45:08.123Z";
    line.record.program = "test\tprogram%";
    line.record.operationText = "set eaTable0_0\n";
    line.record.sensor = {8, 152, 12345, 2048};
    line.record.bytes = {{address, 0x0A, 0x07}, {address + 1, 0x00, 0xFF}};
    return line;
}

// A file of three writes, the second marked done, then damaged as each row says: what a reader
// still finds, and that an append after the damage is read again.
TEST(JournalFormat, TornAndDamagedLinesAreSkippedAndTheFileStaysAppendable) {
    struct Damage {
        const char* name;
        std::function<std::string(std::string)> apply;
        std::size_t intact;  // write records still read
        std::size_t damaged;
    };
    const std::vector<Damage> damages{
        {"none", [](std::string t) { return t; }, 3, 0},
        {"last line cut in the middle", [](std::string t) { return t.substr(0, t.size() - 20); }, 2,
         1},
        // The record is whole: the cut came just before its newline.
        {"last newline missing", [](std::string t) { return t.substr(0, t.size() - 1); }, 3, 0},
        {"a byte flipped in the first write",
         [](std::string t) {
             t[t.find("bytes=") + 6] ^= 1;
             return t;
         },
         2, 1},
        {"garbage appended", [](std::string t) { return t + "W\tid=x\n\x01\x02"; }, 3, 2},
    };
    for (const Damage& damage : damages) {
        SCOPED_TRACE(damage.name);
        TempDirectory dir;
        const fs::path file = dir.path() / "sub" / "152-12345.journal";
        for (std::int32_t adr : {100, 200, 300}) {
            JournalLine line = writeLine(adr);
            kvcom3::appendJournalLine(file, line);
            if (adr == 200) {
                JournalLine done;
                done.kind = JournalLine::Kind::Done;
                done.of = line.record.id;
                kvcom3::appendJournalLine(file, done);
            }
        }
        spill(file, damage.apply(slurp(file)));

        auto contents = kvcom3::readJournal(file);
        ASSERT_EQ(contents.records.size(), damage.intact);
        EXPECT_EQ(contents.damaged, damage.damaged);
        const auto& second = contents.records[damage.intact == 3 ? 1 : 0];
        EXPECT_EQ(second.program, "test\tprogram%");
        EXPECT_EQ(second.operationText, "set eaTable0_0\n");
        EXPECT_EQ(second.sensor, (kvcom3::JournalSensor{8, 152, 12345, 2048}));

        JournalLine after = writeLine(400);
        const auto id = kvcom3::appendJournalLine(file, after);
        contents = kvcom3::readJournal(file);
        ASSERT_EQ(contents.records.size(), damage.intact + 1);
        EXPECT_EQ(contents.records.back().id, id);
        EXPECT_EQ(contents.records.back().bytes[1].after, 0xFF);
        EXPECT_FALSE(contents.records.back().done);
        // Ids count on past every intact line (the done mark of the second write is id 3).
        EXPECT_GT(id, contents.records[contents.records.size() - 2].id);
        EXPECT_GE(id, 4);
    }
}

// The address level on a platform 8 sensor with a journal in a temporary directory.
class JournalWrites : public LinkFixture {
  protected:
    void SetUp() override {
        LinkFixture::SetUp();
        sensor = sensorOfCode(19, 8, true, 2);
        auto& eeprom = sensor->memory(kvsim::Space::EEPROM);
        eeprom[65513 & 2047] = 1;  // 2 kB
        eeprom[2022] = 0x39;       // serial number 12345, least significant byte first
        eeprom[2023] = 0x30;
        eeprom[2024] = 0x00;
        attach(sensor);
        kvcom3::enableJournal("unit", dir.path());
    }
    void TearDown() override {
        kvcom3::disableJournal();
        LinkFixture::TearDown();
    }

    void poke(std::int32_t adr, std::vector<std::uint8_t> bytes) {
        for (std::size_t i = 0; i < bytes.size(); ++i)
            level->LetValue(adr + static_cast<std::int32_t>(i), 1, kvcom3::kvEEPROM, false, 0,
                            kvcom3::kvLSByteAtHighAdress, bytes[i]);
        level->WriteToSensor(adr, static_cast<std::int32_t>(bytes.size()), kvcom3::kvEEPROM,
                             kvcom3::kvWriteToSensor);
    }

    TempDirectory dir;
    std::shared_ptr<kvtest::FakeSensor> sensor;
};

TEST_F(JournalWrites, RecordsTheOldBytesReadFirstAndMarksTheWriteDone) {
    kvcom3::setJournalOperation("poke");
    // 101 already holds its new value: only the bytes that change are kept.
    const std::uint8_t unchanged = 101 ^ 0xA5;
    poke(100, {1, unchanged, 3});
    poke(102, {4});
    kvcom3::setJournalOperation("set eaX");
    poke(100, {9});

    const fs::path file = dir.path() / "152-12345.journal";
    ASSERT_TRUE(fs::exists(file));
    const auto ops = kvcom3::journalOperations(kvcom3::readJournal(file));
    ASSERT_EQ(ops.size(), 2u);
    ASSERT_EQ(ops[0].records.size(), 2u);
    const auto& first = ops[0].records[0];
    EXPECT_EQ(first.program, "unit");
    EXPECT_EQ(first.operationText, "poke");
    EXPECT_EQ(first.sensor, (kvcom3::JournalSensor{8, 152, 12345, 2048}));
    ASSERT_EQ(first.bytes.size(), 2u);
    EXPECT_EQ(first.bytes[0].address, 100);
    EXPECT_EQ(first.bytes[0].before, 100 ^ 0xA5);
    EXPECT_EQ(first.bytes[0].after, 1);
    EXPECT_TRUE(ops[0].done);
    // The operation's changes: 102 from its original value to the last one written.
    const auto changes = ops[0].changes();
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_EQ(changes[1].address, 102);
    EXPECT_EQ(changes[1].before, 102 ^ 0xA5);
    EXPECT_EQ(changes[1].after, 4);
    EXPECT_EQ(ops[1].records[0].operationText, "set eaX");
    EXPECT_EQ(ops[1].records[0].bytes[0].before, 1);
}

// The journal reads the old values first, but the write still sends what it would without the
// journal: a byte whose value on the sensor the image did not know goes out even if unchanged.
TEST_F(JournalWrites, SendsTheBytesItWouldWithoutTheJournal) {
    const std::uint8_t unchanged = 101 ^ 0xA5;
    auto writes = [&](bool journal) {
        if (journal)
            kvcom3::enableJournal("unit", dir.path());
        else
            kvcom3::disableJournal();
        level = std::make_unique<kvcom3::clsAdressLevel>();
        level->ComLogg.connect([this](std::string& text) { log.push_back(text); });
        log.clear();
        for (std::int32_t i = 0; i < 3; ++i)
            level->LetValue(100 + i, 1, kvcom3::kvEEPROM, false, 0, kvcom3::kvLSByteAtHighAdress,
                            i == 1 ? unchanged : i + 1);
        level->WriteToSensor(100, 3, kvcom3::kvEEPROM, kvcom3::kvAutoWriteToSensor);
        std::vector<std::string> sent;
        std::copy_if(log.begin(), log.end(), std::back_inserter(sent),
                     [](const std::string& line) { return line.starts_with("Writing "); });
        return sent;
    };
    const auto without = writes(false);
    EXPECT_EQ(writes(true), without);
    EXPECT_EQ(without.size(), 1u);
}

TEST_F(JournalWrites, UnwritableJournalStopsTheWriteBeforeAnyWriteFrame) {
    const fs::path blocker = dir.path() / "file";
    spill(blocker, "");
    kvcom3::enableJournal("unit", blocker / "journal");
    const auto before = sensor->memory(kvsim::Space::EEPROM);

    const auto error = errorOf([&] { poke(100, {1, 2, 3}); });
    EXPECT_EQ(error.number(), 75);
    EXPECT_THAT(error.description(), ::testing::HasSubstr((blocker / "journal").string()));
    EXPECT_EQ(sensor->memory(kvsim::Space::EEPROM), before);
    EXPECT_THAT(sensor->commands, ::testing::Not(::testing::Contains("UnlockEEPROM")));
    // Only reads went out: the identity and the old values.
    EXPECT_THAT(log, ::testing::Contains(::testing::StartsWith("Reading ")));
    EXPECT_THAT(log, ::testing::Not(::testing::Contains(::testing::StartsWith("Writing "))));
}

// A backup reads back as written; a file cut short, changed or damaged anywhere is refused with
// 5 naming the file and the line, never read in part.
TEST(SensorBackupFile, ReadsBackWhatWasWrittenAndRefusesAnyDamage) {
    kvcom3::SensorBackup backup{{8, 152, 12345, 2048}, "2026-12-09T20:05:02Z", "unit", {}, {}};
    for (int i = 0; i < 2048; ++i) backup.eeprom.push_back(static_cast<std::uint8_t>(i * 31));
    backup.ram.assign(2048, 0x5A);
    const std::string text = kvcom3::formatSensorBackup(backup);
    const auto back = kvcom3::parseSensorBackup(text, "b");
    EXPECT_EQ(back.sensor, backup.sensor);
    EXPECT_EQ(back.eeprom, backup.eeprom);
    EXPECT_EQ(back.ram, backup.ram);
    EXPECT_EQ(back.time, backup.time);

    struct Damage {
        const char* name;
        std::string text;
    };
    std::string flipped = text;
    flipped[text.find("eeprom 0010") + 13] ^= 1;
    std::string bigger = text;
    bigger.replace(bigger.find("eeprom-size 2048"), 16, "eeprom-size 4096");
    const std::vector<Damage> damages{
        {"empty", ""},
        {"header only", text.substr(0, text.find('\n') + 1)},
        {"cut in a memory line", text.substr(0, text.find("eeprom 0400") + 20)},
        {"cut before the checksum", text.substr(0, text.find("crc32"))},
        {"no final newline", text.substr(0, text.size() - 1)},
        {"a byte changed", flipped},
        {"a size changed", bigger},
        {"text after the checksum", text + "ram 0800 00\n"},
        {"binary", std::string("\0\xff\x01", 3)},
    };
    for (const Damage& d : damages) {
        SCOPED_TRACE(d.name);
        try {
            kvcom3::parseSensorBackup(d.text, "b.kvbackup");
            ADD_FAILURE() << "accepted";
        } catch (const kvcom3::KvError& e) {
            EXPECT_EQ(e.number(), 5);
            EXPECT_THAT(e.description(), ::testing::HasSubstr("backup b.kvbackup line "));
        }
    }
}

}  // namespace

// Bad input of every kind a caller can hand the libraries: each ends in a clear error with the
// system's number, never a crash, a hang or a silent wrong result.
#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string>

#include "integration/PtyPair.h"
#include "kvcom3/clsArrayLevel.h"
#include "kvcom3/clsObjectLevel.h"
#include "kvcom3/kvArrayNode.h"
#include "kvcom3/kvObjectNode.h"
#include "unit_cal/CalFixture.h"

namespace {

// What the user sees: the error's number and its text.
struct Seen {
    std::int32_t number = 0;
    std::string text;
};

template <class Fn>
Seen seen(Fn&& call) {
    try {
        call();
    } catch (const kvcom3::KvError& e) {
        return {e.number(), e.description()};
    }
    return {0, "no error"};
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// A sensor on a port of the facade, and a second port for the devices under test.
class BadInput : public CalFixture {
  protected:
    static constexpr int kOther = 9;

    void SetUp() override {
        CalFixture::SetUp();
        connect("p8-co2-temp-rh");
    }
    void TearDown() override {
        kvcom3::unbindPort(kOther);
        CalFixture::TearDown();
    }
    // A first transfer from the port `port` bound to `path`.
    Seen firstTransferOn(const std::string& path) {
        kvcom3::bindPort(kOther, path);
        auto other = std::make_shared<kvcom3::ISensMem>();
        other->Connect(kOther);
        return seen([&] { other->PartNr(); });
    }
};

}  // namespace

TEST_F(BadInput, PortNumbersOutsideTheTable) {
    for (int port : {24, -1, 32767}) {
        auto other = std::make_shared<kvcom3::ISensMem>();
        other->Connect(static_cast<std::int16_t>(port));
        const Seen s = seen([&] { other->PartNr(); });
        EXPECT_EQ(s.number, 9) << port;
        EXPECT_TRUE(contains(s.text, "Subscript out of range")) << s.text;
        EXPECT_TRUE(contains(s.text, "ports are 0-23")) << s.text;
    }
}

TEST_F(BadInput, DevicesThatDoNotExistOrAreNoTerminals) {
    const Seen missing = firstTransferOn("/nonexistent/ttyKV0");
    EXPECT_EQ(missing.number, 53);
    EXPECT_EQ(missing.text, "File not found: /nonexistent/ttyKV0");

    const auto file =
        std::filesystem::temp_directory_path() / ("kv-not-a-tty-" + std::to_string(::getpid()));
    std::ofstream(file) << "plain text";
    const Seen plain = firstTransferOn(file.string());
    std::filesystem::remove(file);
    EXPECT_EQ(plain.number, 75);
    EXPECT_TRUE(contains(plain.text, "is not a serial port")) << plain.text;

    const Seen null = firstTransferOn("/dev/null");
    EXPECT_EQ(null.number, 75);
    EXPECT_TRUE(contains(null.text, "is not a serial port")) << null.text;

    const Seen directory = firstTransferOn("/tmp");
    EXPECT_EQ(directory.number, 75);
    EXPECT_TRUE(contains(directory.text, "/tmp")) << directory.text;

    const Seen empty = firstTransferOn("");
    EXPECT_NE(empty.number, 0);
    EXPECT_FALSE(empty.text.empty());
}

// A device its owner keeps to himself and to one group, opened by a user outside that group.
// Root passes every access check, so a root run makes the attempt in a child that has become
// nobody.
TEST_F(BadInput, PermissionDeniedNamesTheGroupThatGrantsAccess) {
    const group* g = ::getgrnam("dialout");
    if (g == nullptr) g = ::getgrnam("tty");
    if (g == nullptr) GTEST_SKIP() << "no dialout or tty group on this machine";
    const std::string groupName = g->gr_name;
    const auto device =
        std::filesystem::temp_directory_path() / ("kv-guarded-" + std::to_string(::getpid()));
    std::ofstream(device) << "";
    ASSERT_EQ(::chown(device.c_str(), ::geteuid(), g->gr_gid), 0);
    const bool root = ::geteuid() == 0;
    ASSERT_EQ(::chmod(device.c_str(), root ? 0660 : 0), 0);

    Seen denied;
    if (!root) {
        denied = firstTransferOn(device.string());
    } else {
        int report[2];
        ASSERT_EQ(::pipe(report), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(report[0]);
            if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0) {
                ::_exit(2);
            }
            const Seen s = firstTransferOn(device.string());
            const std::string line = std::to_string(s.number) + "|" + s.text;
            [[maybe_unused]] auto n = ::write(report[1], line.data(), line.size());
            ::_exit(0);
        }
        ::close(report[1]);
        std::string line;
        char buffer[512];
        for (ssize_t n; (n = ::read(report[0], buffer, sizeof buffer)) > 0;) line.append(buffer, n);
        ::close(report[0]);
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
            << "the child could not drop root";
        const auto bar = line.find('|');
        ASSERT_NE(bar, std::string::npos) << line;
        denied = {std::stoi(line.substr(0, bar)), line.substr(bar + 1)};
    }
    std::filesystem::remove(device);
    EXPECT_EQ(denied.number, 70);
    EXPECT_TRUE(contains(denied.text, "Permission denied")) << denied.text;
    EXPECT_TRUE(contains(denied.text, "members of the group " + groupName + " may open it"))
        << denied.text;
}

TEST_F(BadInput, APortAnotherProgramHoldsIsInUse) {
    PtyPair pty;
    kvcom3::bindPort(kOther, pty.slavePath());
    auto holder = kvcom3::makeTermiosDevice(pty.slavePath());
    holder->open(kvcom3::LineSettings{}, false);
    auto other = std::make_shared<kvcom3::ISensMem>();
    other->Connect(kOther);
    const Seen s = seen([&] { other->PartNr(); });
    EXPECT_EQ(s.number, 8005);
    EXPECT_TRUE(contains(s.text, "in use by another program")) << s.text;
    holder->close();
}

TEST_F(BadInput, SensorAddressesOutOfRange) {
    for (int id : {30, -2, 255}) {
        mem->Connect(kPort, static_cast<std::int16_t>(id));
        const Seen s = seen([&] { mem->PartNr(); });
        EXPECT_EQ(s.number, 1101) << id;
        EXPECT_EQ(s.text, "Elegal ID number");
    }
    kvcom3::gProtokoll = 1;
    for (int id : {256, -2, 32767}) {
        mem->Connect(kPort, static_cast<std::int16_t>(id));
        const Seen s = seen([&] { mem->PartNr(); });
        EXPECT_EQ(s.number, 6) << id;
        EXPECT_TRUE(contains(s.text, "Overflow")) << s.text;
    }
}

// A production-network position or board that does not fit its byte must not select another
// position: the sensor found there would be read and calibrated as the one asked for.
TEST_F(BadInput, ProductionNetworkPositionsThatDoNotFitTheirByte) {
    for (auto [position, board] : {std::pair{300, 1}, {-1, 1}, {3, -1}}) {
        mem->Connect(kPort, -1, static_cast<std::int16_t>(position),
                     static_cast<std::int16_t>(board));
        const auto sentBefore = line->transcript().chunks().size();
        const Seen s = seen([&] { mem->AdressLevel()->Value(65, 1, kvcom3::kvRAM, true); });
        EXPECT_EQ(s.number, 6) << position << " on " << board;
        EXPECT_TRUE(contains(s.text, "Overflow")) << s.text;
        EXPECT_EQ(line->transcript().chunks().size(), sentBefore) << "nothing was sent";
    }
}

TEST_F(BadInput, ValuesThatDoNotFitTheirMaskOrCell) {
    auto level = mem->AdressLevel();
    level->LetValue(10, 1, kvcom3::kvRAM, false, 0, 0, 0xF1);
    const Seen mask = seen([&] { level->LetValue(10, 1, kvcom3::kvRAM, false, 0x0C, 0, 4); });
    EXPECT_EQ(mask.number, 1109);
    EXPECT_EQ(mask.text, "Value is to big for the AdrMask");
    EXPECT_EQ(level->Value(10, 1), 0xF1) << "the byte is untouched";

    EXPECT_EQ(seen([&] { level->Value(10, 0); }).number, 6);
    EXPECT_EQ(seen([&] { level->Value(10, 1, 7); }).number, 1203);
    EXPECT_EQ(seen([&] { level->MemSize(kvcom3::kvFLASH); }).number, 1203);
    EXPECT_EQ(seen([&] { level->ReadFromSensor(0, 4, 7, kvcom3::kvAutoReadFromSensor); }).number,
              1203);
    ASSERT_EQ(level->Part(), sensor->partByte());
    kvcom3::gProtokoll = 1;
    level->LetValue(0, 2, kvcom3::kvMBIR, false, 0, 0, 1);
    EXPECT_EQ(seen([&] { level->WriteToSensor(0, 2, kvcom3::kvMBIR, 1); }).number, 1111);
}

TEST_F(BadInput, UnknownKeys) {
    const Seen cell = seen([&] { mem->ArrayLevel()->GetNode("eaNoSuchCell"); });
    EXPECT_EQ(cell.number, 1110);
    EXPECT_EQ(cell.text, "Object not found");
    EXPECT_EQ(mem->ObjectLevel()->GetNode("foNoSuchObject"), nullptr) << "nothing, as described";
    const Seen proc = seen([&] { calibration.GetProcedure("cpNoSuchProcedure"); });
    EXPECT_NE(proc.number, 0);
    EXPECT_FALSE(proc.text.empty());
    const Seen input = seen([&] { procedure("cpRHcal")->InputVariables()->Item("cvNoSuchInput"); });
    EXPECT_EQ(input.number, 5);
    const Seen empty = seen([&] { mem->ArrayLevel()->GetNode(""); });
    EXPECT_EQ(empty.number, 1110);
}

// Answers a user types where a number is asked for. The number parser is tolerant as described:
// it keeps the digits, separators and minus signs of the text and reads the number they begin
// with, 0 when there is none. So only an empty answer (or the box's cancel) and a number too
// large for the table end in an error; any other text is a temperature.
TEST_F(BadInput, AnswersThatAreNoNumbers) {
    struct Case {
        std::string answer;
        std::int32_t number;
        double reads;  // the temperature the sensor shows afterwards, when there is no error
    };
    const std::vector<Case> cases{
        {"", 32755, 0},
        {std::string(100000, '7'), 6, 0},
        {"warm", 0, 0.0},
        {"   ", 0, 0.0},
        {"1e1", 0, 11.0},
        {"23,5,1", 0, 23.5},
        {"-4.25 degrees", 0, -4.25},
    };
    for (const auto& c : cases) {
        auto proc = procedure("cpSpaceTempOffsetAdjust");
        user->QueueAnswer(c.answer);
        const Seen s = seen([&] { proc->Run(); });
        EXPECT_EQ(s.number, c.number) << "answer \"" << c.answer.substr(0, 20) << "\": " << s.text;
        if (s.number == 0) {
            sensor->advance(1.0);
            const auto raw = kvcom3::signed16(static_cast<std::uint16_t>(cell("raChan_4", true)));
            EXPECT_NEAR(raw / 100.0, c.reads, 0.0101) << "answer \"" << c.answer << "\"";
        }
        EXPECT_TRUE(sensor->eepromLocked());
    }
    auto proc = procedure("cpSpaceTempOffsetAdjust");
    user->QueueAnswer(std::nullopt);
    EXPECT_EQ(seen([&] { proc->Run(); }).number, 32755) << "a cancelled input box";
}

TEST_F(BadInput, EmptyAndHugeRanges) {
    auto level = mem->AdressLevel();
    std::int32_t size = -1;
    EXPECT_EQ(level->CRC({}, size), 65535);
    size = 10;
    EXPECT_EQ(seen([&] { level->CRC({1, 2, 3}, size); }).number, 9);

    const Seen negative =
        seen([&] { level->ReadFromSensor(0, -4, kvcom3::kvRAM, kvcom3::kvReadFromSensor); });
    EXPECT_EQ(negative.number, 5);
    const Seen huge = seen([&] {
        level->ReadFromSensor(0, std::numeric_limits<std::int32_t>::max(), kvcom3::kvRAM,
                              kvcom3::kvReadFromSensor);
    });
    EXPECT_EQ(huge.number, 6) << "a range beyond any sensor's address space";
    EXPECT_TRUE(contains(huge.text, "beyond the sensor's address space")) << huge.text;
    EXPECT_EQ(seen([&] { level->ReadFromSensor(-6, 4, kvcom3::kvRAM, 1); }).number, 6);
    EXPECT_EQ(seen([&] { level->ReadFromSensor(65534, 4, kvcom3::kvRAM, 1); }).number, 6);
    EXPECT_EQ(seen([&] {
                  level->WriteToSensor(0, std::numeric_limits<std::int32_t>::max(), kvcom3::kvRAM,
                                       1);
              }).number,
              6);
    EXPECT_EQ(seen([&] { level->Value(70000, 1, kvcom3::kvRAM, true); }).number, 6);
    EXPECT_EQ(level->Value(65, 1, kvcom3::kvRAM, true), sensor->partByte()) << "still usable";
}

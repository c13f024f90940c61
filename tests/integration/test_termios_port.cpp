#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <termios.h>

#include <dirent.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <optional>

#include "PtyPair.h"
#include "facade/LibraryState.h"
#include "kvcom3/KvError.h"
#include "kvcom3/Ports.h"
#include "link/ComPort.h"

using namespace kvcom3;
using namespace std::chrono_literals;

namespace {

constexpr int kPort = 7;

int openDescriptors() {
    int count = 0;
    if (DIR* d = ::opendir("/proc/self/fd")) {
        while (::readdir(d) != nullptr) ++count;
        ::closedir(d);
    }
    return count;
}

class TermiosPort : public ::testing::Test {
  protected:
    void SetUp() override {
        bindPort(kPort, pty.slavePath());
        gConnection = Connection{true, kPort, -1, 0, 0};
        gLeavePortOpen = false;
    }
    void TearDown() override {
        unbindPort(kPort);
        gConnection = Connection{};
        gLeavePortOpen = false;
    }

    termios lineSettings() const {
        termios tio{};
        EXPECT_EQ(::tcgetattr(pty.master(), &tio), 0);
        return tio;
    }

    KvError openError() {
        try {
            OpenCOMport();
        } catch (const KvError& e) {
            return e;
        }
        return KvError(0, "opened");
    }

    PtyPair pty;
};

}  // namespace

TEST_F(TermiosPort, ProtocolSettingsReachTheLineAndChangeWhileOpen) {
    currentPort().setSettings("9600,n,8,2");
    OpenCOMport();
    termios tio = lineSettings();
    EXPECT_EQ(::cfgetospeed(&tio), speed_t(B9600));
    EXPECT_EQ(::cfgetispeed(&tio), speed_t(B9600));
    EXPECT_EQ(tio.c_cflag & CSIZE, tcflag_t(CS8));
    EXPECT_FALSE(tio.c_cflag & PARENB);
    EXPECT_TRUE(tio.c_cflag & CSTOPB);
    EXPECT_FALSE(tio.c_lflag & (ICANON | ECHO)) << "raw line: no echo, no line editing";

    currentPort().setSettings("9600,n,8,1");
    EXPECT_FALSE(lineSettings().c_cflag & CSTOPB);
    CloseCOMport();
}

TEST_F(TermiosPort, LowLatencyRefusedByAPtyChangesNothing) {
    auto device = makeTermiosDevice(pty.slavePath());
    device->open(LineSettings::parse("9600,n,8,2"), false);
    const termios before = lineSettings();
    EXPECT_FALSE(device->requestLowLatency()) << "a pty has no latency setting";
    const termios after = lineSettings();
    EXPECT_EQ(std::memcmp(&before, &after, sizeof before), 0);
    EXPECT_TRUE(device->isOpen());
    pty.send({0x55});
    for (int i = 0; i < 100 && device->bytesWaiting() == 0; ++i) device->waitReadable(20ms);
    EXPECT_EQ(device->readAll(), std::vector<std::uint8_t>{0x55});
}

TEST_F(TermiosPort, EveryByteValueCrossesUnchangedBothWays) {
    OpenCOMport();
    std::vector<std::uint8_t> all(256);
    std::iota(all.begin(), all.end(), 0);
    currentPort().write(all);
    EXPECT_EQ(pty.receive(256), all);

    pty.send(all);
    ASSERT_TRUE(WaitForBytes(256, 2s));
    EXPECT_EQ(currentPort().bytesWaiting(), 256u);
    EXPECT_EQ(currentPort().readAll(), all);
    EXPECT_EQ(currentPort().bytesWaiting(), 0u) << "read all empties the buffer";
    EXPECT_TRUE(currentPort().readAll().empty());
    CloseCOMport();
}

TEST_F(TermiosPort, WaitTimesOutWhenNothingComes) {
    OpenCOMport();
    EXPECT_FALSE(WaitForBytes(1, 30ms));
    CloseCOMport();
}

TEST_F(TermiosPort, CloseReleasesTheDeviceUnlessLeftOpen) {
    int before = openDescriptors();
    for (int i = 0; i < 20; ++i) {
        OpenCOMport();
        CloseCOMport();
    }
    EXPECT_EQ(openDescriptors(), before) << "no descriptor leaks across open and close";

    gLeavePortOpen = true;
    OpenCOMport();
    CloseCOMport();
    EXPECT_TRUE(currentPort().isOpen());
    gLeavePortOpen = false;
    CloseCOMport();
    EXPECT_FALSE(currentPort().isOpen());
}

TEST_F(TermiosPort, MissingDeviceRaisesFileNotFoundNamingIt) {
    bindPort(kPort, std::string("/dev/kvcom3-no-such-port"));
    KvError e = openError();
    EXPECT_EQ(e.number(), 53);
    EXPECT_NE(e.description().find("/dev/kvcom3-no-such-port"), std::string::npos);
    EXPECT_FALSE(currentPort().isOpen());
}

TEST_F(TermiosPort, NonSerialFileIsRefusedAndNotLeftOpen) {
    int before = openDescriptors();
    bindPort(kPort, std::string("/dev/null"));
    KvError e = openError();
    EXPECT_EQ(e.number(), 75);
    EXPECT_NE(e.description().find("/dev/null"), std::string::npos);
    EXPECT_FALSE(currentPort().isOpen());
    EXPECT_EQ(openDescriptors(), before);
}

TEST_F(TermiosPort, PortHeldByAnotherProgramIsBusy) {
    int other = ::open(pty.slavePath().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(other, 0);
    ASSERT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0);
    KvError e = openError();
    EXPECT_EQ(e.number(), 8005);
    EXPECT_NE(e.description().find(pty.slavePath()), std::string::npos);
    EXPECT_FALSE(currentPort().isOpen());
    ::close(other);
    OpenCOMport();
    EXPECT_TRUE(currentPort().isOpen());
    CloseCOMport();
}

TEST_F(TermiosPort, UnpluggedDeviceEndsTheWaitWithAnError) {
    OpenCOMport();
    pty.closeMaster();
    try {
        WaitForBytes(1, 5s);
        ADD_FAILURE() << "a vanished device must not look like a silent sensor";
    } catch (const KvError& e) {
        EXPECT_EQ(e.number(), 75);
    }
    currentPort().close();
}

namespace {

std::string readFile(const std::string& path) {
    std::ifstream file(path);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

void writeFile(const std::string& path, const std::string& text) {
    std::ofstream(path) << text;
}

// A PID no process has any more: a child that has ended and been reaped.
pid_t endedProcess() {
    pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    ::waitpid(child, nullptr, 0);
    return child;
}

std::string pidText(pid_t pid) {
    char text[16];
    std::snprintf(text, sizeof text, "%10d\n", static_cast<int>(pid));
    return text;
}

}  // namespace

TEST_F(TermiosPort, LockFileOfOtherSerialPrograms) {
    const std::string lockDir = std::getenv("KVCOM3_LOCK_DIR");
    struct Case {
        const char* name;
        std::string lockDirectory;
        std::optional<pid_t> heldBy;  // a lock file present before the open, naming this PID
        int error;                    // 0: opens
        std::string inMessage;        // in the error or, when it opens, the log
    };
    const pid_t parent = ::getppid();
    const Case cases[] = {
        {"none before: created and removed", lockDir, std::nullopt, 0, ""},
        {"stale one taken over", lockDir, endedProcess(), 0, ""},
        {"live one refuses", lockDir, parent, 8005, "process " + std::to_string(parent)},
        {"no lock directory", lockDir + "/missing", std::nullopt, 0, "working without"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ::setenv("KVCOM3_LOCK_DIR", c.lockDirectory.c_str(), 1);
        std::string device = pty.slavePath().substr(5);
        std::replace(device.begin(), device.end(), '/', '_');
        const std::string lock = c.lockDirectory + "/LCK.." + device;
        if (c.heldBy) writeFile(lock, pidText(*c.heldBy));
        std::string log;
        try {
            OpenCOMport([&](const std::string& notice) { log += notice; });
            EXPECT_EQ(c.error, 0);
        } catch (const KvError& e) {
            EXPECT_EQ(e.number(), c.error);
            log = e.description();
        }
        EXPECT_NE(log.find(c.inMessage), std::string::npos) << log;
        if (c.error == 0 && c.lockDirectory == lockDir) {
            EXPECT_EQ(readFile(lock), pidText(::getpid()));
        }
        CloseCOMport();
        EXPECT_EQ(std::filesystem::exists(lock), c.error != 0) << "ours removed, another's kept";
        std::filesystem::remove(lock);
    }
    ::setenv("KVCOM3_LOCK_DIR", lockDir.c_str(), 1);
}

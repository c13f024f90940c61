// Which device a port comes back under, and when a failure means the device went away: files in
// a device tree of the test's own stand for the device nodes.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "kvcom3/DeviceReturn.h"
#include "kvcom3/Ports.h"

namespace {

namespace fs = std::filesystem;
using kvcom3::DeviceReturn;
using kvcom3::KvError;

constexpr int kPort = 7;

class DeviceReturnTest : public ::testing::Test {
  protected:
    DeviceReturnTest() {
        std::string pattern = (fs::temp_directory_path() / "kvcom3-return-XXXXXX").string();
        dev_ = ::mkdtemp(pattern.data());
        roots_.dev = dev_.string();
        fs::create_directories(dev_ / "serial" / "by-id");
    }
    ~DeviceReturnTest() override {
        kvcom3::unbindPort(kPort);
        fs::remove_all(dev_);
    }

    std::string plug(const std::string& name) {
        const fs::path node = dev_ / name;
        std::ofstream(node) << name;
        return node.string();
    }

    fs::path dev_;
    kvcom3::ScanRoots roots_;
};

TEST_F(DeviceReturnTest, ComesBackUnderItsByIdNameElseItsPath) {
    const std::string plain = plug("ttyS4");
    const std::string usb = plug("ttyUSB0");
    const std::string byId = (dev_ / "serial" / "by-id" / "usb-FTDI_A1").string();
    fs::create_symlink("../../ttyUSB0", byId);
    const struct { std::string bound, name; } cases[] = {{plain, plain}, {usb, byId}, {byId, byId}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bound);
        kvcom3::bindPort(kPort, c.bound);
        EXPECT_EQ(DeviceReturn(kPort, roots_).name(), c.name);
    }
}

TEST_F(DeviceReturnTest, GoneOnlyWhenTheNodeWentOrWasReplaced) {
    const std::string usb = plug("ttyUSB0");
    const std::string byId = (dev_ / "serial" / "by-id" / "usb-FTDI_A1").string();
    fs::create_symlink("../../ttyUSB0", byId);
    kvcom3::bindPort(kPort, usb);
    DeviceReturn device(kPort, roots_);
    const KvError vanished(75, "Path/File access error");
    const KvError missing(53, "File not found");
    const KvError silent(1000, "Communication error");

    EXPECT_FALSE(device.gone(vanished)) << "a device that fails in place";
    fs::remove(usb);
    EXPECT_TRUE(device.gone(vanished));
    EXPECT_TRUE(device.gone(missing));
    EXPECT_FALSE(device.gone(silent)) << "a silent sensor is no missing device";
    EXPECT_FALSE(device.back());

    plug("ttyUSB1");
    fs::remove(byId);
    fs::create_symlink("../../ttyUSB1", byId);
    ASSERT_TRUE(device.back()) << "the adapter came back as another ttyUSB";
    EXPECT_EQ(kvcom3::portDevicePath(kPort), byId);
    EXPECT_FALSE(device.gone(vanished)) << "the new node is the one noted now";

    // A new node made while the old one still exists: it cannot have the old one's inode.
    plug("ttyUSB1.new");
    fs::rename(dev_ / "ttyUSB1.new", dev_ / "ttyUSB1");
    EXPECT_TRUE(device.gone(vanished)) << "unplugged and plugged in again between two reads";
}

}  // namespace

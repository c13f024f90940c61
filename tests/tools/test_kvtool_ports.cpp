#include <gmock/gmock.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tools/KvtoolProcess.h"

namespace kvtool_test {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

const char* const kById = "usb-FTDI_FT232R_USB_UART_A10K1234-if00-port0";

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) result.push_back(line);
    return result;
}

std::string groupName(gid_t gid) {
    const group* g = getgrgid(gid);
    return g != nullptr ? g->gr_name : std::to_string(gid);
}

void write(const fs::path& file, const std::string& text) {
    fs::create_directories(file.parent_path());
    std::ofstream(file) << text << '\n';
}

// A machine of its own in a temporary directory: an on-board UART ttyS0, a ttyS1 without one,
// an FTDI adapter ttyUSB0 with its by-id link and a ttyACM0 without serial number.
class KvtoolPortList : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "kvtool-ports-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        root_ = pattern;
        fs::permissions(root_, fs::perms::owner_all | fs::perms::group_read |
                                   fs::perms::group_exec | fs::perms::others_read |
                                   fs::perms::others_exec);
        for (const char* node : {"ttyS0", "ttyS1", "ttyUSB0", "ttyACM0", "tty0", "ttyprintk"})
            write(dev() / node, "");
        fs::create_directories(dev() / "serial/by-id");
        fs::create_symlink("../../ttyUSB0", dev() / "serial/by-id" / kById);

        const fs::path sys = root_ / "sys";
        write(sys / "class/tty/ttyS0/type", "4");
        write(sys / "class/tty/ttyS1/type", "0");
        const fs::path ftdi = sys / "devices/pci0000:00/usb1/1-1";
        write(ftdi / "idVendor", "0403");
        write(ftdi / "idProduct", "6001");
        write(ftdi / "serial", "A10K1234");
        write(ftdi / "product", "FT232R USB UART");
        write(ftdi / "1-1:1.0/ttyUSB0/latency_timer", "16");
        fs::create_directories(sys / "class/tty/ttyUSB0");
        fs::create_directory_symlink(ftdi / "1-1:1.0/ttyUSB0", sys / "class/tty/ttyUSB0/device");
        const fs::path acm = sys / "devices/pci0000:00/usb1/1-2";
        write(acm / "idVendor", "2341");
        write(acm / "idProduct", "0043");
        fs::create_directories(acm / "1-2:1.0");
        fs::create_directories(sys / "class/tty/ttyACM0");
        fs::create_directory_symlink(acm / "1-2:1.0", sys / "class/tty/ttyACM0/device");
    }
    void TearDown() override { fs::remove_all(root_); }

    fs::path dev() const { return root_ / "dev"; }
    std::vector<std::string> roots() const {
        return {"--dev-root", dev().string(), "--sys-root", (root_ / "sys").string()};
    }
    RunResult ports(std::vector<std::string> args, const std::vector<std::string>& env = {}) {
        args.insert(args.begin(), "ports");
        for (const auto& r : roots()) args.push_back(r);
        return kvtool(args, env);
    }

    fs::path root_;
};

TEST_F(KvtoolPortList, ListsEachPortWithWhatIdentifiesIt) {
    const RunResult result =
        ports({}, {"KVCOM3_PORT_5=" + (dev() / "serial/by-id" / kById).string()});
    ASSERT_EQ(result.status, 0) << result.err;
    const std::string d = dev().string();
    EXPECT_EQ(lines(result.out),
              (std::vector<std::string>{d + "/ttyACM0  usb 2341:0043  access rw",
                                        d + "/ttyS0  port 0  access rw",
                                        d + "/ttyUSB0  ports 1,5 KVCOM3_PORT_5  by-id " + kById +
                                            "  usb 0403:6001 serial A10K1234 \"FT232R USB UART\"  "
                                            "latency 16 ms (slow: above 2 ms)  access rw"}));
}

TEST_F(KvtoolPortList, APortWithoutUartShowsOnlyWithAll) {
    const RunResult result = ports({"--all"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_THAT(result.out, HasSubstr(dev().string() + "/ttyS1  access rw\n"));
    EXPECT_EQ(lines(result.out).size(), 4u);
}

TEST_F(KvtoolPortList, AVariableNamingNothingIsShownAsMissing) {
    const std::string missing = (root_ / "gone").string();
    const RunResult result = ports({}, {"KVCOM3_PORT_7=" + missing});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_THAT(result.out, HasSubstr(missing + "  port 7 KVCOM3_PORT_7  not found\n"));
}

TEST_F(KvtoolPortList, JsonIsOneObjectAPort) {
    const RunResult result = kvtool(
        {"--json", "ports", "--dev-root", dev().string(), "--sys-root", (root_ / "sys").string()});
    ASSERT_EQ(result.status, 0) << result.err;
    const auto out = lines(result.out);
    ASSERT_EQ(out.size(), 3u);
    EXPECT_EQ(
        out[2],
        "{\"path\":\"" + dev().string() + "/ttyUSB0\",\"ports\":[1],\"bindings\":[],\"byId\":\"" +
            kById +
            "\",\"usb\":{\"vendor\":\"0403\",\"product\":\"6001\",\"serial\":"
            "\"A10K1234\",\"description\":\"FT232R USB UART\"},\"latencyTimer\":16,\"exists\":true,"
            "\"access\":\"rw\",\"group\":\"" +
            groupName(getegid()) + "\",\"groupGrantsAccess\":false}");
    EXPECT_THAT(out[0], HasSubstr("\"ports\":[],\"bindings\":[],\"byId\":null,"));
}

TEST_F(KvtoolPortList, APortTheUserMayNotOpenNamesTheGroupThatGrantsIt) {
    // Root may open anything; the listing is run as nobody instead.
    if (geteuid() != 0 || access("/usr/bin/setpriv", X_OK) != 0)
        GTEST_SKIP() << "needs root and setpriv to run as another user";
    const fs::path node = dev() / "ttyUSB0";
    ASSERT_EQ(chown(node.c_str(), 0, 20), 0);
    fs::permissions(node, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                              fs::perms::group_write);
    for (const char* dir : {"dev", "sys"})
        for (const auto& entry : fs::recursive_directory_iterator(root_ / dir))
            if (entry.is_directory() && !entry.is_symlink())
                fs::permissions(entry.path(), fs::perms::others_read | fs::perms::others_exec,
                                fs::perm_options::add);
    std::vector<std::string> argv{"/usr/bin/setpriv", "--reuid=65534", "--regid=65534",
                                  "--clear-groups",   KVTOOL_PATH,     "ports"};
    for (const auto& r : roots()) argv.push_back(r);
    const RunResult result = run(argv, std::chrono::seconds(30));
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_THAT(result.out, HasSubstr(node.string() + "  port 1  by-id " + kById +
                                      "  usb 0403:6001 serial A10K1234 \"FT232R USB UART\"  "
                                      "latency 16 ms (slow: above 2 ms)  access none (group " +
                                      groupName(20) + " grants access)\n"));
}

TEST(KvtoolPortListMachine, ShowsAPseudoTerminalBoundToAPortNumber) {
    VirtualSensor sensor({"--profile", "p8-co2-temp-rh"});
    const RunResult result = kvtool({"ports"}, {"KVCOM3_PORT_1=" + sensor.link()});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_THAT(result.out, HasSubstr(sensor.link() + "  port 1 KVCOM3_PORT_1  access rw\n"));
}

}  // namespace
}  // namespace kvtool_test

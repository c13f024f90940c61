// The whole memory map of every virtual-sensor profile under each protocol, as `kvtool map` prints
// it (key, name, memory, address, size, mask and byte order of every cell), against the listing
// kept in tests/data/maps/<profile>.<protocol>.txt. The listings were checked line by line against
// the map tables when they were frozen; any change to a cell shows here.
//
// After a deliberate change to the map, rewrite them and review the diff before committing:
//   KV_UPDATE_LISTINGS=1 build/tests/kvtool_tests --gtest_filter='MapListings.*'
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "tools/KvtoolProcess.h"
#include "util/Listing.h"

namespace kvtool_test {
namespace {

namespace fs = std::filesystem;

struct Protocol {
    const char* name;
    std::vector<std::string> sensorArgs;
    std::vector<std::string> toolArgs;
};

const Protocol kProtocols[] = {
    {"kvbus", {}, {}},
    {"modbus", {"--protocol", "modbus"}, {"--protocol", "modbus", "--id", "1"}},
};

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

TEST(MapListings, EveryProfileInEachProtocol) {
    const fs::path folder = fs::path(KV_SOURCE_DIR) / "tests/data/maps";
    const RunResult listed = run({KVSIM_PATH, "--list-profiles"}, std::chrono::seconds(10));
    ASSERT_EQ(listed.status, 0) << listed.err;
    const std::vector<std::string> profiles = lines(listed.out);
    ASSERT_FALSE(profiles.empty());

    for (const std::string& profile : profiles) {
        for (const Protocol& protocol : kProtocols) {
            const std::string name = profile + "." + protocol.name;
            SCOPED_TRACE(name);
            std::vector<std::string> sensorArgs{"--profile", profile};
            sensorArgs.insert(sensorArgs.end(), protocol.sensorArgs.begin(),
                              protocol.sensorArgs.end());
            VirtualSensor sensor(sensorArgs);
            std::vector<std::string> toolArgs{"--device", sensor.link()};
            toolArgs.insert(toolArgs.end(), protocol.toolArgs.begin(), protocol.toolArgs.end());
            toolArgs.push_back("map");
            const RunResult map = kvtool(toolArgs);
            EXPECT_EQ(map.status, 0) << map.err;
            EXPECT_EQ(kvtest::compareListing("maps/" + name + ".txt", map.out), "");
        }
    }
    // A listing of a profile that is gone would no longer be compared.
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()),
              static_cast<std::ptrdiff_t>(profiles.size() * std::size(kProtocols)));
}

}  // namespace
}  // namespace kvtool_test

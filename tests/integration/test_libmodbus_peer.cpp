// The standard half of the Modbus link against a slave nobody here wrote.
#include <gtest/gtest.h>

#include <memory>

#include "../unit/AdressLevelTestAccess.h"
#include "ModbusPeer.h"
#include "facade/LibraryState.h"
#include "kvcom3/Ports.h"

using namespace kvcom3;

namespace {

constexpr int kPort = 11;

class LibmodbusPeer : public ::testing::Test {
  protected:
    void SetUp() override {
        slave = std::make_unique<LibmodbusSlave>(bridge.endB(), 17);
        for (int r = 0; r < 32; ++r) {
            slave->holding(r) = static_cast<std::uint16_t>(0x1100 + r);
            slave->input(r) = static_cast<std::uint16_t>(0xA000 + r * 0x0101);
        }
        slave->serve();
        bindPort(kPort, bridge.endA());
        gConnection = Connection{true, kPort, 17, 0, 0};
        gProtokoll = kvMB;
    }
    void TearDown() override {
        slave->stopServing();
        unbindPort(kPort);
        gConnection = Connection{};
        gProtokoll = kvKV;
    }

    std::uint8_t imageByte(std::int32_t adr, std::uint8_t memType) {
        const clsAdress* r = AdressLevelTestAccess::image(level).find(adr, memType);
        EXPECT_NE(r, nullptr);
        EXPECT_TRUE(r && r->GotValueS && r->GotValueP);
        return r ? r->Value : 0;
    }

    PtyBridge bridge;
    std::unique_ptr<LibmodbusSlave> slave;
    clsAdressLevel level;
};

}  // namespace

TEST_F(LibmodbusPeer, RegisterReadsPutTheSlavesBytesInTheImage) {
    AdressLevelTestAccess::ReadBlock(level, 2 * 3, 32, kvMBHR);
    AdressLevelTestAccess::ReadBlock(level, 2 * 5, 8, kvMBIR);
    for (int r = 3; r < 19; ++r) {
        EXPECT_EQ(imageByte(2 * r, kvMBHR), 0x11) << r;
        EXPECT_EQ(imageByte(2 * r + 1, kvMBHR), r) << r;
    }
    for (int r = 5; r < 9; ++r) {
        std::uint16_t expected = static_cast<std::uint16_t>(0xA000 + r * 0x0101);
        EXPECT_EQ(imageByte(2 * r, kvMBIR), expected >> 8);
        EXPECT_EQ(imageByte(2 * r + 1, kvMBIR), expected & 0xFF);
    }
}

TEST_F(LibmodbusPeer, OneRegisterWriteWithFunction6ChangesTheSlave) {
    AdressLevelTestAccess::setImage(level, 2 * 20, kvMBHR, 0xCA);
    AdressLevelTestAccess::setImage(level, 2 * 20 + 1, kvMBHR, 0xFE);
    AdressLevelTestAccess::WriteBlock(level, 2 * 20, 2, kvMBHR);
    EXPECT_EQ(slave->holding(20), 0xCAFE);
    EXPECT_EQ(slave->holding(21), 0x1100 + 21) << "its neighbour untouched";
}

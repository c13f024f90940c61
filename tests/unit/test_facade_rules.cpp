// The facade's share of the library-wide connection, its replaceable levels, and where it finds
// the serial number.
#include <functional>

#include "LinkFixture.h"
#include "kvcom3/ISensMem.h"

using namespace kvcom3;

namespace {

constexpr int kPlatform8 = 20;  // part codes
constexpr int kPlatform6 = 27;

class FacadeRules : public LinkFixture {
  protected:
    void TearDown() override {
        gAdressLevel.reset();
        gArrayLevel.reset();
        LinkFixture::TearDown();
    }
};

}  // namespace

TEST_F(FacadeRules, ASecondSensMemTakesTheLibraryOffLineUntilAnInstallingCall) {
    attach(sensorOfCode(kPlatform8, 8, true, 2));
    ISensMem mem;
    mem.Connect(kPort, -1);
    auto held = mem.AdressLevel();
    held->Value(10, 1);
    auto array = std::make_shared<clsArrayLevel>();
    auto tree = std::make_shared<clsObjectLevel>();
    struct Case {
        const char* member;
        std::function<void()> call;
        bool installs;
    };
    const Case cases[] = {
        {"Enums", [&] { mem.Enums(); }, false},
        {"LetProtokoll", [&] { mem.LetProtokoll(kvKV); }, false},
        {"SetObjectLevel", [&] { mem.SetObjectLevel(tree); }, false},
        {"SetArrayLevel", [&] { mem.SetArrayLevel(array); }, true},
        {"SetAdressLevel", [&] { mem.SetAdressLevel(held); }, true},
        {"AdressLevel", [&] { mem.AdressLevel(); }, true},
        {"ArrayLevel", [&] { mem.ArrayLevel(); }, true},
        {"ObjectLevel", [&] { mem.ObjectLevel(); }, true},
        {"PartNr", [&] { mem.PartNr(); }, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.member);
        ISensMem other;
        EXPECT_FALSE(gConnection.OnLine);
        EXPECT_EQ(errorOf([&] { held->Value(20, 1, kvRAM, true); }).number(), 1100);
        c.call();
        EXPECT_EQ(gConnection.OnLine, c.installs);
        EXPECT_EQ(gConnection.ComPort, c.installs ? kPort : 0);
    }
    EXPECT_EQ(held->Value(20, 1, kvRAM, true), 20 * 7);

    EXPECT_EQ(mem.ArrayLevel(), array);
    EXPECT_EQ(mem.ObjectLevel(), tree);
    EXPECT_EQ(gArrayLevel, array) << "the tree works through the replaced map";
    EXPECT_EQ(gAdressLevel, held);
    mem.Connect(kPort, -1);
    EXPECT_NE(mem.ArrayLevel(), array);
    EXPECT_NE(mem.ObjectLevel(), tree);
    EXPECT_NE(mem.AdressLevel(), held);
}

TEST_F(FacadeRules, Platform6SerialNumberIsEeprom170MostSignificantByteFirst) {
    struct Case {
        std::uint8_t high, low;
        const char* expected;  // part number 216, then the number padded to five digits
    };
    const Case cases[] = {
        {0x00, 0x00, "21600000"},
        {0x00, 0x07, "21600007"},
        {0x01, 0x02, "21600258"},
        {0x30, 0x39, "21612345"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        auto sensor = sensorOfCode(kPlatform6, 6, false, 1);
        sensor->memory(kvsim::Space::EEPROM)[170] = c.high;
        sensor->memory(kvsim::Space::EEPROM)[171] = c.low;
        attach(sensor);
        ISensMem mem;
        mem.Connect(kPort, -1);
        EXPECT_EQ(mem.SerialNr(), c.expected);
        EXPECT_EQ(sentChunks().back(), (Bytes{0x8A, 0x55, 0xDF})) << "two bytes from word 85";
    }
}

#include "LinkFixture.h"
#include "facade/SerialNumber.h"
#include "kvcom3/ISensMem.h"
#include "model/Sensor.h"

using namespace kvcom3;

namespace {

class SensMem : public LinkFixture {
  protected:
    void SetUp() override {
        LinkFixture::SetUp();
        mem.ComLogg.connect([this](std::string& t) { memLog.push_back(t); });
    }
    std::shared_ptr<kvsim::Sensor> use(const std::string& profile) {
        auto sensor = std::shared_ptr<kvsim::Sensor>(kvsim::Sensor::fromProfile(profile));
        attach(sensor);
        return sensor;
    }

    ISensMem mem;
    std::vector<std::string> memLog;
};

}  // namespace

TEST(SerialNumberText, PadsToFiveDigitsAfterThePartNumber) {
    EXPECT_EQ(formatSerialNr(2, 7), "200007");
    EXPECT_EQ(formatSerialNr(2, 12345), "212345");
    EXPECT_EQ(formatSerialNr(4, 123), "400123");
    EXPECT_EQ(formatSerialNr(152, 1234567), "1521234567") << "six digits and more: unpadded";
}

TEST_F(SensMem, ConnectRecordsTheConnectionAndSendsNothing) {
    use("p8-co2-temp-rh");
    gConnection = Connection{};
    mem.Connect();
    EXPECT_EQ(memLog, (std::vector<std::string>{"Connect port=1 ID=-1"}));
    EXPECT_TRUE(mem.OnLine());
    EXPECT_EQ(mem.ComPort(), 1);
    EXPECT_EQ(mem.ComID(), -1);
    EXPECT_EQ(mem.ComIDx(), 0);
    EXPECT_EQ(mem.ComIDy(), 0);
    EXPECT_TRUE(gConnection.OnLine);
    EXPECT_TRUE(line->transcript().entries().empty());
    mem.DisConnect();
    EXPECT_FALSE(mem.OnLine());
    EXPECT_EQ(mem.ComPort(), 1);
    EXPECT_EQ(mem.ComID(), -1);
}

TEST_F(SensMem, ASecondConnectServesNothingOfTheFirstSensor) {
    auto sensor = use("p8-co2-temp-rh");
    mem.Connect(kPort, -1);
    std::int32_t before = mem.AdressLevel()->Value(300, 1);
    sensor->write(kvsim::Space::RAM, 300, static_cast<std::uint8_t>(before + 1));
    EXPECT_EQ(mem.AdressLevel()->Value(300, 1), before) << "served from the image";
    mem.Connect(kPort, -1);
    EXPECT_EQ(mem.AdressLevel()->Value(300, 1), before + 1);
}

TEST_F(SensMem, IdentificationAndSerialNumberThroughTheFacade) {
    use("p8-co2-temp-rh");
    mem.Connect(kPort, -1);
    EXPECT_EQ(mem.Platform(), 8);
    EXPECT_EQ(mem.PartNr(), 152);
    EXPECT_EQ(mem.MemSize(enmEEPROM), 2048);
    EXPECT_EQ(mem.SerialNr(), "15212345");
    EXPECT_EQ(mem.SerialNr(true), "15212345");

    use("p6-co2");
    mem.Connect(kPort, -1);
    EXPECT_EQ(mem.Platform(), 6);
    EXPECT_FALSE(mem.SerialNr().empty());
}

TEST_F(SensMem, EventsArriveUnchangedAlsoFromAReplacedLevel) {
    use("p8-co2-temp-rh");
    std::vector<std::string> memActions;
    std::vector<std::int16_t> memProgress;
    mem.Action.connect([&](std::string& t) { memActions.push_back(t); });
    mem.Progress.connect([&](std::int16_t& p) { memProgress.push_back(p); });
    mem.Connect(kPort, -1);
    auto first = mem.AdressLevel();
    first->ReadFromSensor(0, 6, kvRAM);
    EXPECT_EQ(memActions, (std::vector<std::string>{"", "Reading from sensor", ""}));
    EXPECT_EQ(memProgress.back(), 100);
    std::string text = "from the first";
    first->ComLogg.raise(text);
    EXPECT_EQ(memLog.back(), "from the first");

    auto second = std::make_shared<clsAdressLevel>();
    mem.SetAdressLevel(second);
    text = "from the second";
    second->ComLogg.raise(text);
    EXPECT_EQ(memLog.back(), "from the second");
    text = "stale";
    first->ComLogg.raise(text);
    EXPECT_EQ(memLog.back(), "from the second") << "the replaced level is no longer heard";
}

TEST_F(SensMem, CancelProtocolAndLeavePortOpenAreLibraryWide) {
    auto sensor = use("p8-co2-temp-rh");
    ISensMem other;
    mem.LetProtokoll(kvMB);
    EXPECT_EQ(other.Protokoll(), kvMB);
    mem.LetProtokoll(kvKV);
    mem.Connect(kPort, -1);
    mem.LetLeavePortOpen(true);
    mem.AdressLevel()->Value(10, 1);
    EXPECT_TRUE(device->isOpen());
    mem.ClosePort(kPort);
    EXPECT_FALSE(device->isOpen());
    mem.LetLeavePortOpen(false);

    line->addFault("no-ctr");
    setEventPump([&] { mem.Cancel(); });
    KvError e = errorOf([&] { mem.AdressLevel()->Value(20, 1); });
    EXPECT_EQ(e.number(), 32755);
    EXPECT_EQ(e.description(), "Cancel was selected");
}

TEST_F(SensMem, TheObjectTreeReadsTheSpaceTemperatureWithItsUnit) {
    auto sensor = use("p8-co2-temp-rh");
    sensor->world().noise = false;
    sensor->world().temperatureC = 21.5;
    sensor->advance(1.0);
    mem.Connect(kPort, -1);
    auto node = mem.ObjectLevel()->GetNode("foChannelValue4");
    ASSERT_NE(node, nullptr);
    // The sensor is not adjusted yet: its reading follows the truth with an offset of its own.
    double before = node->Value(true).toDouble();
    EXPECT_NEAR(before, 21.5, 2.0);
    sensor->world().temperatureC = 23.5;
    sensor->advance(1.0);
    EXPECT_NEAR(node->Value(true).toDouble() - before, 2.0, 0.05);
    EXPECT_FALSE(node->Unit().empty());
    EXPECT_EQ(mem.ObjectLevel()->GetNode("FOCHANNELVALUE4"), node);
}

TEST_F(SensMem, EnumsOutliveConnectAndClearAll) {
    use("p8-co2-temp-rh");
    auto enums = mem.Enums();
    mem.Connect(kPort, -1);
    mem.ClearAll();
    EXPECT_EQ(mem.Enums(), enums);
}

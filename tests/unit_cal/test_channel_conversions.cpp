#include <gtest/gtest.h>

#include "CalFixture.h"

using namespace kvcal3;

namespace {

class ChannelConversions : public CalFixture {
  protected:
    void SetUp() override {
        CalFixture::SetUp();
        connect("p8-co2-temp-rh");
    }
    // The configuration byte of channel ch, in the image only.
    void configure(int ch, int byte) {
        mem->ArrayLevel()->GetNode("eaCaseChannel_" + std::to_string(ch))->LetValue(false, byte);
    }
    std::string toUser(float raw, std::uint8_t ch) { return proc.ConvToUser(raw, ch); }

    kvCalProcedure proc;
};

}  // namespace

TEST_F(ChannelConversions, ScaleCodeAndUnitCelsius) {
    configure(4, 0x24);
    float value = 235;
    EXPECT_EQ(proc.ConvToUser(value, 4), "23.5");
    EXPECT_EQ(value, 23.5f) << "the converted number is handed back";
    EXPECT_EQ(proc.GetChanUnit(4), "C");
    EXPECT_EQ(toUser(65535, 4), "-0.1") << "the raw word is signed";
    EXPECT_EQ(proc.ConvFromUser("23,5 C", 4), 235.0f);
    EXPECT_EQ(proc.ConvFromUser("-0.1", 4), 65535.0f);
}

TEST_F(ChannelConversions, FahrenheitBothWays) {
    configure(5, 0x08);
    EXPECT_EQ(proc.GetChanUnit(5),
              "\xC2\xB0"
              "F");
    EXPECT_EQ(toUser(20, 5), "68");
    EXPECT_EQ(proc.ConvFromUser("68", 5), 20.0f);
    EXPECT_EQ(toUser(65526, 5), "14") << "-10 C";
}

TEST_F(ChannelConversions, DecimalsAndScaleCodes) {
    configure(4, 0x01);
    EXPECT_EQ(toUser(1234, 4), "1.234");
    configure(4, 0x02);
    EXPECT_EQ(toUser(1234, 4), "12.34");
    configure(4, 0x03 | 0x10);
    EXPECT_EQ(toUser(1234, 4), "123.4");
    EXPECT_EQ(proc.GetChanUnit(4), "ppm");
    configure(4, 0x40);
    EXPECT_EQ(toUser(16375, 4), "1000");
    configure(4, 0x60);
    EXPECT_EQ(toUser(16302, 4), "100");
    EXPECT_EQ(proc.ConvFromUser("100", 4), 16302.0f);
}

TEST_F(ChannelConversions, RoundTripForRepresentableRawValues) {
    for (int byte : {0x00, 0x06, 0x24, 0x08, 0x43, 0x63, 0x1D}) {
        configure(4, byte);
        for (int raw : {0, 1, 7, 235, 2360, 9999, 32767, 32768, 40000, 65535}) {
            const std::string text = toUser(static_cast<float>(raw), 4);
            EXPECT_EQ(proc.ConvFromUser(text, 4), static_cast<float>(raw))
                << "byte " << byte << " raw " << raw << " text " << text;
        }
    }
}

TEST_F(ChannelConversions, ValuesBeyondSixteenBitsFail) {
    configure(4, 0x02);
    EXPECT_EQ(errorOf([&] { proc.ConvFromUser("400", 4); }).number(), 6);
    EXPECT_EQ(errorOf([&] { toUser(70000, 4); }).number(), 6);
}

TEST_F(ChannelConversions, UnitCodesAndTheFlowChannel) {
    const char* units[] = {"",
                           "C",
                           "\xC2\xB0"
                           "F",
                           "V",
                           "ppm",
                           "%",
                           "g/kg",
                           ""};
    for (int code = 0; code < 8; ++code) {
        configure(6, code * 4);
        EXPECT_EQ(proc.GetChanUnit(6), units[code]) << code;
    }
    configure(9, 0x04);
    configure(4, 0x04);
    EXPECT_EQ(proc.GetChanUnit(9), "litre/sec") << "channel 9 reads channel 4's unit bits";
    configure(4, 0x08);
    EXPECT_EQ(proc.GetChanUnit(9), "cbf/min");
    configure(4, 0x0C);
    EXPECT_EQ(proc.GetChanUnit(9), "");
}

#include <gtest/gtest.h>

#include "ObjectTestCells.h"
#include "objects/FormatTokens.h"
#include "objects/FormatWords.h"

using namespace kvcom3;
using namespace kvcom3::objects;

namespace {

class ObjectFormat : public ::testing::Test {
  protected:
    Variant toUser(const std::string& format, Variant raw, bool fahrenheit = false) {
        return formatToUser(parseFormat(format), std::move(raw), {cells.reader(), fahrenheit});
    }
    Variant fromUser(const std::string& format, Variant user, bool fahrenheit = false) {
        return formatFromUser(parseFormat(format), std::move(user), {cells.reader(), fahrenheit});
    }
    void caseCodes(const std::string& kind, int ch, int divisor, int decimals) {
        cells.values["eaCase" + kind + "Div_" + std::to_string(ch)] = divisor;
        cells.values["eaCase" + kind + "Dec_" + std::to_string(ch)] = decimals;
    }
    ObjectTestCells cells;
};

}  // namespace

TEST(FormatTokens, TrailingDigitsAreTheParameter) {
    const FormatTokens t = parseFormat("casechannel5 /163 eawPar_9 sint a1b22");
    EXPECT_EQ(t[0].word, "casechannel");
    EXPECT_EQ(t[0].param, 5);
    EXPECT_EQ(t[1].word, "/");
    EXPECT_EQ(t[1].param, 163);
    EXPECT_EQ(t[2].cellKey(), "eawPar_9");
    EXPECT_EQ(t[3].word, "sint");
    EXPECT_EQ(t[3].param, 0);
    EXPECT_EQ(t[4].word, "a1b") << "digits before a non-digit stay in the word";
    EXPECT_EQ(t[4].param, 22);
    EXPECT_TRUE(t[5].empty());
}

TEST(FormatTokens, BlanksSlotsAndLimits) {
    const FormatTokens doubled = parseFormat("sint  round1");
    EXPECT_EQ(doubled[0].word, "sint");
    EXPECT_TRUE(doubled[1].empty()) << "two blanks leave an empty token";
    EXPECT_EQ(doubled[2].word, "round");
    for (const FormatToken& token : parseFormat("")) EXPECT_TRUE(token.empty());
    EXPECT_EQ(parseFormat("a b c d e f")[5].word, "f") << "a sixth token is kept";
    EXPECT_EQ(errorNumber([] { parseFormat("a b c d e f g"); }), 9);
    EXPECT_EQ(errorNumber([] { parseFormat("*40000"); }), 6);
    EXPECT_EQ(parseFormat("*32767")[0].param, 32767);
}

TEST_F(ObjectFormat, EmptyFormatGivesTheCellAsSingle) {
    const Variant v = toUser("", Variant(1234.0f));
    EXPECT_EQ(v.kind(), VariantKind::Single);
    EXPECT_EQ(v.toDouble(), 1234.0);
    EXPECT_EQ(fromUser("", Variant(7.5)).toLong(), 8) << "halves to even on the way to the cell";
}

TEST_F(ObjectFormat, SignedWordAndByte) {
    const Variant minusOne = toUser("sint", Variant(65535.0f));
    EXPECT_EQ(minusOne.kind(), VariantKind::Integer);
    EXPECT_EQ(minusOne.toLong(), -1);
    EXPECT_EQ(toUser("SINT", Variant(32767.0f)).toLong(), 32767) << "words ignore case";
    EXPECT_EQ(toUser("sint", Variant(-5.0f)).toLong(), -5);
    EXPECT_EQ(errorNumber([&] { toUser("sint", Variant(65536.0f)); }), 6);
    EXPECT_EQ(errorNumber([&] { toUser("sint", Variant(-32769.0f)); }), 6);
    EXPECT_EQ(fromUser("sint", Variant(VbInteger(-1))).toLong(), 65535);
    EXPECT_EQ(fromUser("sint", Variant(-1.5)).toLong(), 65534) << "floored, not rounded";
    EXPECT_EQ(errorNumber([&] { fromUser("sint", Variant(40000.0)); }), 6);

    EXPECT_FLOAT_EQ(toUser("sbte", Variant(200.0f)).toSingle(), -56.0f);
    EXPECT_FLOAT_EQ(toUser("sbte", Variant(127.0f)).toSingle(), 127.0f);
    EXPECT_EQ(fromUser("sbte", Variant(-56.0f)).toLong(), 200);
    EXPECT_EQ(fromUser("sbte", Variant(12.9f)).toLong(), 12);
}

TEST_F(ObjectFormat, ArithmeticWordsBothWays) {
    const Variant pct = toUser("/163 round1", Variant(1000.0f));
    EXPECT_DOUBLE_EQ(pct.toDouble(), 6.1);
    EXPECT_EQ(fromUser("/163 round1", Variant(6.1)).toLong(), 994);
    EXPECT_EQ(fromUser("/163 round1", Variant(6.1f)).toLong(), 994);
    EXPECT_FLOAT_EQ(toUser("-5000", Variant(5230.0f)).toSingle(), 230.0f);
    EXPECT_EQ(fromUser("-5000", Variant(230.0f)).toLong(), 5230);
    EXPECT_FLOAT_EQ(toUser("+7", Variant(3.0f)).toSingle(), 10.0f);
    EXPECT_EQ(fromUser("+7", Variant(10.0f)).toLong(), 3);
    EXPECT_FLOAT_EQ(toUser("*255", Variant(2.0f)).toSingle(), 510.0f);
    EXPECT_EQ(fromUser("*255", Variant(510.0f)).toLong(), 2);
    EXPECT_EQ(fromUser("*4", Variant(10.0f)).toLong(), 2) << "2.5 halves to even";
    EXPECT_EQ(errorNumber([&] { toUser("/", Variant(1.0f)); }), 11);
    EXPECT_EQ(errorNumber([&] { fromUser("*", Variant(1.0f)); }), 11);
    EXPECT_DOUBLE_EQ(toUser("/8 round2", Variant(1.0f)).toDouble(), 0.12) << "0.125: half to even";
}

TEST_F(ObjectFormat, UnknownWordsFailReadingOnly) {
    EXPECT_EQ(errorNumber([&] { toUser("sint bogus", Variant(1.0f)); }), 1204);
    EXPECT_EQ(fromUser("sint bogus", Variant(VbInteger(-2))).toLong(), 65534);
    EXPECT_EQ(errorNumber([&] { toUser("sint target2 eawPar_9", Variant(1.0f)); }), 1204)
        << "target belongs first";
    EXPECT_EQ(errorNumber([&] { toUser("sint sample2 a_1 b_2", Variant(1.0f)); }), 1204);
    EXPECT_EQ(fromUser("sint target2 eawPar_9", Variant(VbInteger(-2))).toLong(), 65534);
}

TEST_F(ObjectFormat, CaseChannelAndRegisterScaling) {
    caseCodes("Channel", 5, 2, 2);
    EXPECT_FLOAT_EQ(toUser("sint casechannel5", Variant(2000.0f)).toSingle(), 1.22f);
    EXPECT_EQ(fromUser("sint casechannel5", Variant(1.22f)).toLong(), 1998)
        << "122 x 16.375 = 1997.75";
    EXPECT_EQ(fromUser("sint casechannel5", Variant(-1.0f)).toLong(), 65536 - 1638);

    caseCodes("Channel", 4, 0, 3);
    EXPECT_FLOAT_EQ(toUser("sint casechannel4", Variant(215.0f), true).toSingle(), 70.7f);
    EXPECT_FLOAT_EQ(toUser("sint casechannel4", Variant(215.0f), false).toSingle(), 21.5f);
    EXPECT_EQ(fromUser("sint casechannel4", Variant(70.7f), true).toLong(), 215);

    caseCodes("Reg", 1, 3, 1);
    EXPECT_FLOAT_EQ(toUser("sint casereg1", Variant(16302.0f)).toSingle(), 0.1f);
    caseCodes("Reg", 2, 1, 0);
    EXPECT_FLOAT_EQ(toUser("casereg2", Variant(125.0f)).toSingle(), 12.0f) << "12.5 to even";
    caseCodes("Reg", 3, 5, 7);
    EXPECT_FLOAT_EQ(toUser("casereg3", Variant(12.5f)).toSingle(), 12.5f) << "unknown codes";

    EXPECT_EQ(errorNumber([&] { toUser("casechannel9", Variant(1.0f)); }), 1110);
}

TEST_F(ObjectFormat, TargetAndSampleReadTheirKeyCells) {
    cells.table(2, {8000, 5895, 4522, 3556, 2839, 2286, 1846, 1488, 1191, 941, 727, 542, 381, 239,
                    113, 0, -101});
    caseCodes("Channel", 5, 0, 0);
    cells.values["eawPar_9"] = 2048;
    cells.values["eawPar_7"] = 2048;
    const std::string target = "target2 eawPar_9 sint casechannel5";
    const std::string sample = "sample2 eawPar_9 eawPar_7 sint casechannel5";
    EXPECT_FLOAT_EQ(toUser(target, Variant(61440.0f)).toSingle(), 0.0f);
    EXPECT_FLOAT_EQ(toUser(sample, Variant(57344.0f)).toSingle(), 113.0f);
    EXPECT_EQ(fromUser(target, Variant(113.0f)).toLong(), 57344);
    EXPECT_EQ(fromUser(sample, Variant(113.0f)).toLong(), 57344);
    EXPECT_FLOAT_EQ(toUser(target, Variant(65535.0f)).toSingle(), -101.0f)
        << "the table's negative end through sint";

    cells.values["eawPar_9"] = 4096;
    EXPECT_FLOAT_EQ(toUser(target, Variant(59392.0f)).toSingle(), 113.0f)
        << "double span doubles the distance from zero";
    EXPECT_EQ(fromUser(target, Variant(113.0f)).toLong(), 59392);
}

TEST_F(ObjectFormat, TimeCodes) {
    EXPECT_EQ(toUser("twat", Variant(12.0f)).toLong(), 9);
    EXPECT_TRUE(toUser("twat", Variant(5.0f)).isEmpty());
    EXPECT_EQ(fromUser("twat", Variant(VbInteger(9))).toLong(), 12);
    EXPECT_EQ(errorNumber([&] { fromUser("twat", Variant(70000.0)); }), 380);
}

TEST(ObjectBitField, ShiftsTheFieldDown) {
    EXPECT_DOUBLE_EQ(bitField(0x25, 0x30).toDouble(), 2.0);
    EXPECT_DOUBLE_EQ(bitField(0x0040, 0x00F0).toDouble(), 4.0);
    EXPECT_DOUBLE_EQ(bitField(0x0040, 0x0040).toDouble(), 1.0);
    EXPECT_DOUBLE_EQ(bitField(0x25, 0).toDouble(), 37.0);
    EXPECT_EQ(bitField(0x25, 0).kind(), VariantKind::Single);
    EXPECT_DOUBLE_EQ(bitField(0x25, -8).toDouble(), 37.0) << "negative masks show the whole cell";
}

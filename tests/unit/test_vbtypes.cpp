#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "kvcom3/KvError.h"
#include "kvcom3/VbTypes.h"

using namespace kvcom3;

namespace {

template <class F>
std::int32_t errorNumber(F&& action) {
    try {
        action();
    } catch (const KvError& e) {
        return e.number();
    }
    return 0;
}

}  // namespace

TEST(VbTypes, BooleansAreMinusOneAndZero) {
    EXPECT_EQ(toVbBool(true), -1);
    EXPECT_EQ(toVbBool(false), 0);
    EXPECT_TRUE(isTrue(1));
    EXPECT_TRUE(isTrue(VbTrue));
    EXPECT_FALSE(isTrue(VbFalse));
}

TEST(VbTypes, Signed16TakesBit15AsSign) {
    EXPECT_EQ(signed16(0), 0);
    EXPECT_EQ(signed16(0x7FFF), 32767);
    EXPECT_EQ(signed16(0x8000), -32768);
    EXPECT_EQ(signed16(0xFFFF), -1);
    EXPECT_EQ(signed16(65535 - 32766), -32767);
}

TEST(VbTypes, RoundingTakesHalvesToEven) {
    EXPECT_EQ(roundHalfEven(0.5), 0.0);
    EXPECT_EQ(roundHalfEven(1.5), 2.0);
    EXPECT_EQ(roundHalfEven(2.5), 2.0);
    EXPECT_EQ(roundHalfEven(3.5), 4.0);
    EXPECT_EQ(roundHalfEven(-0.5), 0.0);
    EXPECT_EQ(roundHalfEven(-1.5), -2.0);
    EXPECT_EQ(roundHalfEven(-2.5), -2.0);
    EXPECT_EQ(roundHalfEven(2.5000000001), 3.0);
    EXPECT_EQ(roundHalfEven(-2.4999999999), -2.0);
    EXPECT_EQ(roundHalfEven(0.49999999999999994), 0.0);
    EXPECT_EQ(roundHalfEven(-0.49999999999999994), 0.0);
    EXPECT_EQ(roundHalfEven(4503599627370497.0), 4503599627370497.0);
    EXPECT_TRUE(std::isnan(roundHalfEven(std::nan(""))));
}

TEST(VbTypes, IntegerConversionLimits) {
    EXPECT_EQ(toInteger(32767.0), 32767);
    EXPECT_EQ(toInteger(32767.4), 32767);
    EXPECT_EQ(toInteger(-32768.0), -32768);
    EXPECT_EQ(toInteger(-32768.5), -32768);  // the even neighbour is still in range
    EXPECT_EQ(toInteger(-2.5), -2);
    EXPECT_EQ(errorNumber([] { toInteger(32767.5); }), 6);
    EXPECT_EQ(errorNumber([] { toInteger(32768.0); }), 6);
    EXPECT_EQ(errorNumber([] { toInteger(-32769.0); }), 6);
    EXPECT_EQ(errorNumber([] { toInteger(std::nan("")); }), 6);
    EXPECT_EQ(errorNumber([] { toInteger(std::numeric_limits<double>::infinity()); }), 6);
}

TEST(VbTypes, LongAndByteConversionLimits) {
    EXPECT_EQ(toLong(2147483647.0), 2147483647);
    EXPECT_EQ(toLong(2147483646.5), 2147483646);
    EXPECT_EQ(toLong(-2147483648.5), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(toLong(3.5), 4);
    EXPECT_EQ(errorNumber([] { toLong(2147483647.5); }), 6);
    EXPECT_EQ(errorNumber([] { toLong(-2147483649.0); }), 6);
    EXPECT_EQ(errorNumber([] { toLong(1e300); }), 6);

    EXPECT_EQ(toByte(255.4), 255);
    EXPECT_EQ(toByte(-0.5), 0);
    EXPECT_EQ(errorNumber([] { toByte(255.5); }), 6);
    EXPECT_EQ(errorNumber([] { toByte(-0.6); }), 6);
}

TEST(VbTypes, SingleConversionLimits) {
    EXPECT_EQ(toSingle(3.4028234663852886e38), std::numeric_limits<float>::max());
    EXPECT_EQ(toSingle(0.1), 0.1f);
    EXPECT_EQ(errorNumber([] { toSingle(3.5e38); }), 6);
    EXPECT_EQ(errorNumber([] { toSingle(-std::numeric_limits<double>::infinity()); }), 6);
}

TEST(VbTypes, ValReadsTheLeadingNumber) {
    EXPECT_DOUBLE_EQ(val("  -12.5e1abc"), -125.0);
    EXPECT_DOUBLE_EQ(val("1,5"), 1.0);
    EXPECT_DOUBLE_EQ(val("1 2"), 12.0);
    EXPECT_DOUBLE_EQ(val("\t 3.25 V"), 3.25);
    EXPECT_DOUBLE_EQ(val("+.5"), 0.5);
    EXPECT_DOUBLE_EQ(val("1.2.3"), 1.2);
    EXPECT_DOUBLE_EQ(val("2D3"), 2000.0);
    EXPECT_DOUBLE_EQ(val("2e-2"), 0.02);
    EXPECT_DOUBLE_EQ(val("7e"), 7.0);  // an exponent without digits is not read
    EXPECT_DOUBLE_EQ(val("7e+x"), 7.0);
    EXPECT_DOUBLE_EQ(val("0.000"), 0.0);
}

TEST(VbTypes, ValOfTextWithoutNumberIsZero) {
    EXPECT_EQ(val(""), 0.0);
    EXPECT_EQ(val("abc"), 0.0);
    EXPECT_EQ(val("-"), 0.0);
    EXPECT_EQ(val("."), 0.0);
    EXPECT_EQ(val("e5"), 0.0);
    EXPECT_EQ(val("&H"), 0.0);
    EXPECT_EQ(val("&Hxyz"), 0.0);
    EXPECT_EQ(val(std::string_view("\0"
                                   "5",
                                   2)),
              0.0);
}

TEST(VbTypes, ValOfHexAndOctal) {
    EXPECT_EQ(val("&HFF"), 255.0);
    EXPECT_EQ(val("&h1f"), 31.0);
    EXPECT_EQ(val("&O17"), 15.0);
    EXPECT_EQ(val("&17"), 15.0);
    EXPECT_EQ(val("&H1FG"), 31.0);
    EXPECT_EQ(val("&HFFFF"), -1.0);  // four hex digits are a 16-bit Integer
    EXPECT_EQ(val("&H8000"), -32768.0);
    EXPECT_EQ(val("&HFFFF&"), 65535.0);
    EXPECT_EQ(val("&H10000"), 65536.0);
    EXPECT_EQ(val("&HFFFFFFFF"), -1.0);
    EXPECT_EQ(errorNumber([] { val("&H100000000"); }), 6);
}

TEST(VbTypes, ValOfHugeAndTinyNumbers) {
    EXPECT_EQ(errorNumber([] { val("1e400"); }), 6);
    EXPECT_EQ(errorNumber([] { val("-0.001e312"); }), 6);
    EXPECT_EQ(errorNumber([] { val("1e99999999999999999999"); }), 6);
    EXPECT_EQ(val("1e-400"), 0.0);
    EXPECT_EQ(val("1000e-325"), 1e-322);
    EXPECT_EQ(val("0e999999"), 0.0);
    EXPECT_EQ(val(std::string(400, '0') + "1"), 1.0);
}

TEST(VbTypes, ParseNumberAcceptsOnlyANumber) {
    EXPECT_EQ(parseNumber(" 12.5 "), 12.5);
    EXPECT_EQ(parseNumber("-1E3"), -1000.0);
    EXPECT_EQ(parseNumber("&H10"), 16.0);
    EXPECT_FALSE(parseNumber(""));
    EXPECT_FALSE(parseNumber("  "));
    EXPECT_FALSE(parseNumber("12abc"));
    EXPECT_FALSE(parseNumber("1 2"));
    EXPECT_FALSE(parseNumber("1,5"));
    EXPECT_FALSE(parseNumber("7e"));
    EXPECT_FALSE(parseNumber("abc"));
}

TEST(VbTypes, SingleToTextKeepsSevenDigits) {
    EXPECT_EQ(singleToText(23.5f), "23.5");
    EXPECT_EQ(singleToText(6.134969f), "6.134969");
    EXPECT_EQ(singleToText(-1.0f), "-1");
    EXPECT_EQ(singleToText(100000.0f), "100000");
    EXPECT_EQ(singleToText(1234567.0f), "1234567");
    EXPECT_EQ(singleToText(0.1f), "0.1");
    EXPECT_EQ(singleToText(0.3f + 0.6f), "0.9");
    EXPECT_EQ(singleToText(0.5f), "0.5");
    EXPECT_EQ(singleToText(-0.5f), "-0.5");
    EXPECT_EQ(singleToText(0.0f), "0");
    EXPECT_EQ(singleToText(-0.0f), "0");
    EXPECT_EQ(singleToText(2.0f / 3.0f), "0.6666667");
    EXPECT_EQ(singleToText(9999999.0f), "9999999");
    EXPECT_EQ(singleToText(999999.97f), "1000000");  // rounding carries into a new digit
    EXPECT_EQ(singleToText(0.0001f), "0.0001");
    EXPECT_EQ(singleToText(61440.0f), "61440");
    EXPECT_EQ(singleToText(-32767.0f), "-32767");
}

TEST(VbTypes, SingleToTextExponentForm) {
    EXPECT_EQ(singleToText(1e20f), "1E+20");
    EXPECT_EQ(singleToText(1.5e-20f), "1.5E-20");
    EXPECT_EQ(singleToText(-2.5e-20f), "-2.5E-20");
    EXPECT_EQ(singleToText(12345678.0f), "1.234568E+07");
    EXPECT_EQ(singleToText(0.00001f), "1E-05");
    EXPECT_EQ(singleToText(std::numeric_limits<float>::max()), "3.402823E+38");
    EXPECT_EQ(singleToText(std::numeric_limits<float>::denorm_min()), "1.401298E-45");
}

TEST(VbTypes, DoubleToTextKeepsFifteenDigits) {
    EXPECT_EQ(doubleToText(0.1 + 0.2), "0.3");
    EXPECT_EQ(doubleToText(1.0 / 3.0), "0.333333333333333");
    EXPECT_EQ(doubleToText(123456789012345.0), "123456789012345");
    EXPECT_EQ(doubleToText(1e15), "1E+15");
    EXPECT_EQ(doubleToText(-std::numeric_limits<double>::denorm_min()), "-4.94065645841247E-324");
    EXPECT_EQ(doubleToText(static_cast<double>(6.134969f)), "6.13496923446655");
    EXPECT_EQ(doubleToText(-12.5), "-12.5");
    EXPECT_EQ(doubleToText(std::nan("")), "NaN");
}

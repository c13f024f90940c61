#include <gtest/gtest.h>

#include <algorithm>
#include <limits>

#include "ObjectTestCells.h"
#include "objects/CaseScaling.h"
#include "objects/GasTables.h"
#include "objects/TwaTime.h"

using namespace kvcom3;
using namespace kvcom3::objects;

namespace {

// Table 2 of a CO2 sensor: falling from 8000 at count 0 to -101 at 65536, 0 at 61440.
const std::vector<int> kFalling{8000, 5895, 4522, 3556, 2839, 2286, 1846, 1488, 1191,
                                941,  727,  542,  381,  239,  113,  0,    -101};

class GasTable : public ::testing::Test {
  protected:
    void SetUp() override {
        cells.table(2, kFalling);
        std::vector<int> rising(17);
        for (int i = 0; i < 17; ++i) rising[i] = 1000 * i;
        cells.table(4, rising);
    }
    ObjectTestCells cells;
};

}  // namespace

TEST_F(GasTable, CountToUnitBySegments) {
    EXPECT_FLOAT_EQ(tableUnit(0, 4, cells.reader()), 0.0f);
    EXPECT_FLOAT_EQ(tableUnit(6144, 4, cells.reader()), 1500.0f);
    EXPECT_FLOAT_EQ(tableUnit(65536, 4, cells.reader()), 16000.0f);
    EXPECT_FLOAT_EQ(tableUnit(65537, 4, cells.reader()), 0.0f) << "beyond the table";
    EXPECT_FLOAT_EQ(tableUnit(-4096, 4, cells.reader()), 65536.0f - 1000.0f)
        << "extrapolated on segment 0, as the unsigned pattern";
    EXPECT_FLOAT_EQ(tableUnit(2048 + 4096 * 3, 4, cells.reader()), 3500.0f);

    cells.reads.clear();
    tableUnit(4096, 4, cells.reader());
    EXPECT_EQ(cells.reads, (std::vector<std::string>{"eaTable4_0", "eaTable4_1"}))
        << "a count on a point ends in the segment below it";

    EXPECT_FLOAT_EQ(tableUnit(1, 4, cells.reader()), 0.0f) << "0.24 rounds down";
    EXPECT_FLOAT_EQ(tableUnit(65535, 2, cells.reader()), 65536.0f - 101.0f);
}

TEST_F(GasTable, UnitToCountOnRisingAndFallingTables) {
    float unit = 1500.0f;
    EXPECT_EQ(tableCount(unit, 4, cells.reader()), 6144);
    unit = 113.0f;
    EXPECT_EQ(tableCount(unit, 2, cells.reader()), 57344);
    unit = 8000.0f;
    EXPECT_EQ(tableCount(unit, 2, cells.reader()), 0);
    unit = 65535.0f;
    EXPECT_EQ(tableCount(unit, 2, cells.reader()), 61481) << "the pattern of -1";
    EXPECT_FLOAT_EQ(unit, -1.0f) << "the caller's unit is left signed";
    unit = -101.0f;
    EXPECT_EQ(tableCount(unit, 2, cells.reader()), 65536);
    unit = 9000.0f;
    EXPECT_EQ(tableCount(unit, 2, cells.reader()), 65535) << "above every point";
    unit = 20000.0f;
    EXPECT_EQ(tableCount(unit, 4, cells.reader()), 65535);

    for (int count : {0, 1234, 4096, 30000, 61440, 65535}) {
        float u = tableUnit(count, 4, cells.reader());
        EXPECT_NEAR(tableCount(u, 4, cells.reader()), count, 3) << count;
    }
}

TEST_F(GasTable, EqualNeighboursAreADivisionByZero) {
    cells.table(3, {0, 0, 290, 1120, 1960, 2790, 3620, 4450, 5280, 6110, 6950, 7780, 8610, 9440,
                    10000, 10000, 10000});
    float unit = 500.0f;
    EXPECT_EQ(errorNumber([&] { tableCount(unit, 3, cells.reader()); }), 11);
    EXPECT_EQ(errorNumber([&] { tableUnit(100, 7, cells.reader()); }), 1110) << "missing table";
}

TEST_F(GasTable, SpanCorrection) {
    cells.values["span"] = 0;
    EXPECT_FLOAT_EQ(targetUnit(57344, 2, "span", cells.reader()), 113.0f) << "0: no factor";
    cells.values["span"] = 65535;
    EXPECT_FLOAT_EQ(targetUnit(57344, 2, "span", cells.reader()), 113.0f) << "erased: no factor";
    EXPECT_EQ(targetCount(113.0f, 2, "span", cells.reader()), 57344);

    cells.values["span"] = 1024;
    EXPECT_FLOAT_EQ(targetUnit(53248, 2, "span", cells.reader()), 113.0f) << "half the distance";
    EXPECT_EQ(targetCount(113.0f, 2, "span", cells.reader()), 53248);
    cells.values["span"] = 4096;
    EXPECT_FLOAT_EQ(targetUnit(0, 2, "span", cells.reader()), 8000.0f) << "clamped at count 0";
    EXPECT_EQ(targetCount(-101.0f, 2, "span", cells.reader()), 63488);
    cells.values["span"] = 1024;
    EXPECT_EQ(errorNumber([&] { targetCount(-101.0f, 2, "span", cells.reader()); }), 6)
        << "69632 does not fit the cell";
    cells.values["span"] = 1900;
    EXPECT_EQ(errorNumber([&] { targetCount(7900.0f, 2, "span", cells.reader()); }), 6)
        << "a count below 0";
    cells.values["span"] = 40000;
    EXPECT_EQ(errorNumber([&] { targetUnit(0, 2, "span", cells.reader()); }), 6)
        << "61440 x 40000 needs more than 32 bits";
    cells.values["span"] = 1;
    const std::int32_t lowest = std::numeric_limits<std::int32_t>::min();
    EXPECT_EQ(errorNumber([&] { targetUnit(lowest, 2, "span", cells.reader()); }), 6)
        << "61440 minus the lowest Long needs more than 32 bits";
}

TEST_F(GasTable, ZeroAndSpanCorrection) {
    cells.values["span"] = 2048;
    cells.values["zero"] = 4096;
    EXPECT_FLOAT_EQ(sampleUnit(28672, 2, "span", "zero", cells.reader()), 113.0f)
        << "double zero doubles the count";
    EXPECT_EQ(sampleCount(113.0f, 2, "span", "zero", cells.reader()), 28672);
    cells.values["zero"] = 65535;
    EXPECT_FLOAT_EQ(sampleUnit(57344, 2, "span", "zero", cells.reader()), 113.0f);
    EXPECT_EQ(sampleCount(113.0f, 2, "span", "zero", cells.reader()), 57344);
    cells.values["zero"] = 1024;
    EXPECT_EQ(errorNumber([&] { sampleCount(-101.0f, 2, "span", "zero", cells.reader()); }), 6)
        << "131072 does not fit the cell";
    cells.values["span"] = 1900;
    cells.values["zero"] = 2048;
    EXPECT_EQ(errorNumber([&] { sampleCount(7900.0f, 2, "span", "zero", cells.reader()); }), 6)
        << "a count below 0";
    cells.values["span"] = 30000;
    cells.values["zero"] = 2048;
    EXPECT_FLOAT_EQ(sampleUnit(0, 2, "span", "zero", cells.reader()), 8000.0f)
        << "a negative count becomes 0";
    cells.values["zero"] = 40000;
    EXPECT_EQ(errorNumber([&] { sampleUnit(65535, 2, "span", "zero", cells.reader()); }), 6);
}

TEST(CaseScaling, CodesPerChannelAndFahrenheit) {
    ObjectTestCells cells;
    cells.values = {{"eaCaseChannelDiv_4", 0}, {"eaCaseChannelDec_4", 3}};
    float v = 70.7f;
    EXPECT_FLOAT_EQ(caseFromUser(v, 4, CaseKind::Channel, true, cells.reader()), 215.0f);
    EXPECT_NEAR(v, 215.0f, 0.001f) << "left holding the unrounded count";
    EXPECT_FLOAT_EQ(caseToUser(-215.0f, 4, CaseKind::Channel, true, cells.reader()), -6.7f);
    EXPECT_EQ(cells.reads, (std::vector<std::string>{"eaCaseChannelDiv_4", "eaCaseChannelDec_4",
                                                     "eaCaseChannelDiv_4", "eaCaseChannelDec_4"}));
    EXPECT_TRUE(
        isFahrenheit("\xC2\xB0"
                     "F"));
    EXPECT_FALSE(
        isFahrenheit("\xC2\xB0"
                     "C"));
    EXPECT_FALSE(isFahrenheit("F"));
}

TEST(TwaTime, SecondsOfEveryCode) {
    EXPECT_EQ(twaSeconds(0), 6);
    EXPECT_EQ(twaSeconds(1), 7);
    for (int c : {2, 7, 128, 255, -1}) EXPECT_FALSE(twaSeconds(c)) << c;
    const int firsts[] = {8, 8, 8, 8, 9, 9, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
    for (int c = 8; c < 24; ++c) EXPECT_EQ(twaSeconds(c), firsts[c - 8]) << c;
    for (int c = 24; c < 32; ++c) EXPECT_EQ(twaSeconds(c), 14 + (c - 24)) << c;
    for (int c = 32; c < 40; ++c) EXPECT_EQ(twaSeconds(c), 22 + 2 * (c - 32)) << c;
    for (int c = 40; c < 48; ++c) EXPECT_EQ(twaSeconds(c), 38 + 4 * (c - 40)) << c;
    for (int c = 120; c < 128; ++c) EXPECT_EQ(twaSeconds(c), 32774 + 4096 * (c - 120)) << c;
}

TEST(TwaTime, CodeOfATime) {
    EXPECT_EQ(twaCode(0), 0);
    EXPECT_EQ(twaCode(3.5), 0);
    EXPECT_EQ(twaCode(6), 0);
    EXPECT_EQ(twaCode(7), 1);
    EXPECT_EQ(twaCode(8), 8);
    EXPECT_EQ(twaCode(9), 12);
    EXPECT_EQ(twaCode(10), 16);
    EXPECT_EQ(twaCode(11), 18);
    EXPECT_EQ(twaCode(13), 22);
    EXPECT_EQ(twaCode(23), 33);
    EXPECT_EQ(twaCode(24), 33);
    for (int t = 39; t <= 42; ++t) EXPECT_EQ(twaCode(t), 41) << t;
    EXPECT_EQ(twaCode(57351), 127);
    EXPECT_EQ(twaCode(61446), 127);
    for (double t : {-1.0, 6.5, 12.25, 21.9, 61447.0}) EXPECT_FALSE(twaCode(t)) << t;
}

TEST(TwaTime, LowestCodeOfEachTimeRoundTrips) {
    std::vector<int> lowest{0, 1};
    for (int c = 8; c <= 127; ++c) {
        if (c == 8 || *twaSeconds(c) != *twaSeconds(c - 1)) lowest.push_back(c);
    }
    EXPECT_EQ(std::count(lowest.begin(), lowest.end(), 9), 0);
    for (int c : lowest) EXPECT_EQ(twaCode(*twaSeconds(c)), c) << c;
}

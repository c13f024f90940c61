#include <gtest/gtest.h>

#include <cmath>

#include "CoFixture.h"

using namespace kvcal3;

namespace {

class CoZero : public CoFixture {
  protected:
    std::int32_t shownCo() {
        sensor->advance(1);
        return kvcom3::signed16(static_cast<std::uint16_t>(cell("raChan_7", true)));
    }
};

class FigaroZero : public CoZero {
  protected:
    std::string profile() const override { return "p8-figaro-co"; }
};

}  // namespace

TEST_F(CoZero, ZeroGasReadsZeroAfterwards) {
    setSensorWord("eawPar_2", 4000);
    sensor->world().coPpm = 0;
    ASSERT_GT(std::abs(shownCo()), 20) << "a wrong divider";
    procedure("cpCOZeroCal")->Run();
    EXPECT_NE(sensorWord("eawPar_2"), 4000);
    EXPECT_NEAR(shownCo(), 0, 2);
}

TEST_F(CoZero, NoSignalIsADivisionByZeroAndWritesNothing) {
    const std::uint8_t hold = sensor->read(kvsim::Space::RAM, 377);
    sensor->write(kvsim::Space::RAM, 377, static_cast<std::uint8_t>(hold | 0x20));
    sensor->write(kvsim::Space::RAM, 12 + 2 * 13, 0);
    sensor->write(kvsim::Space::RAM, 12 + 2 * 13 + 1, 0);
    memActions.clear();
    EXPECT_EQ(errorOf([&] { procedure("cpCOZeroCal")->Run(); }).number(), 11);
    EXPECT_FALSE(wrote());
}

TEST_F(FigaroZero, CopiesTheLiveSignalUnchanged) {
    sensor->world().coPpm = 3;
    sensor->advance(1);
    const std::int32_t live = cell("raChan_13", true);
    ASSERT_NE(sensorWord("eawPar_3"), live);
    procedure("cpCOZeroCalFigaro")->Run();
    EXPECT_EQ(sensorWord("eawPar_3"), live);
    EXPECT_EQ(shownCo(), 0) << "the present air is the new zero";
}

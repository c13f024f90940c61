#include <gtest/gtest.h>

#include "PortChoice.h"
#include "kvcom3/KvError.h"

TEST(PortChoice, MissingValuesTakeTheFirstRunDefaults) {
    const PortChoice choice = readPortChoice(QVariant(), QVariant(), QVariant());
    EXPECT_EQ(choice.comPort, "1");
    EXPECT_TRUE(choice.kvbus);
    EXPECT_FALSE(choice.modbus);
}

TEST(PortChoice, SwitchesAreOnOnlyForTrueInAnyCase) {
    PortChoice choice = readPortChoice(QVariant("7"), QVariant("fALSE"), QVariant("tRuE"));
    EXPECT_EQ(choice.comPort, "7");
    EXPECT_FALSE(choice.kvbus);
    EXPECT_TRUE(choice.modbus);
    // Anything else a hand-edited store may hold counts as off, not as a fault.
    choice = readPortChoice(QVariant(""), QVariant("yes"), QVariant("1"));
    EXPECT_EQ(choice.comPort, "");
    EXPECT_FALSE(choice.kvbus);
    EXPECT_FALSE(choice.modbus);
}

TEST(PortChoice, PortTextReadsAsValDoesAndRefusesOverflow) {
    EXPECT_EQ(comPortNumber("3"), 3);
    EXPECT_EQ(comPortNumber(" 1 2abc"), 12);
    EXPECT_EQ(comPortNumber("COM3"), 0);
    EXPECT_EQ(comPortNumber("2.5"), 2) << "halves round to even";
    try {
        comPortNumber("40000");
        FAIL() << "a port beyond 16 bits must raise";
    } catch (const kvcom3::KvError& e) {
        EXPECT_EQ(e.number(), 6);
    }
}

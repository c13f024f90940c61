#include <gtest/gtest.h>

#include "PortChoice.h"
#include "kvcom3/KvError.h"

TEST(PortChoice, MissingValuesTakeTheFirstRunDefaults) {
    const PortChoice choice = readPortChoice(QVariant(), QVariant(), QVariant());
    EXPECT_EQ(choice.comPort, "1");
    EXPECT_TRUE(choice.kvbus);
    EXPECT_FALSE(choice.modbus);
}

TEST(PortChoice, ModbusOnlyWhenItAloneIsTrueInAnyCase) {
    struct Row {
        const char *kvbus, *modbus;
        bool chosenModbus;
    };
    // Anything else a hand-edited store may hold counts as off, not as a fault.
    const Row rows[] = {{"fALSE", "tRuE", true}, {"False", "False", false}, {"True", "True", false},
                        {"yes", "1", false},     {"", "True", true},        {"False", "", false}};
    for (const Row& row : rows) {
        const PortChoice choice =
            readPortChoice(QVariant(""), QVariant(row.kvbus), QVariant(row.modbus));
        EXPECT_EQ(choice.comPort, "") << row.kvbus << " " << row.modbus;
        EXPECT_EQ(choice.modbus, row.chosenModbus) << row.kvbus << " " << row.modbus;
        EXPECT_NE(choice.kvbus, choice.modbus) << row.kvbus << " " << row.modbus;
    }
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

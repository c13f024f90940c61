#include <gtest/gtest.h>

#include <set>

#include "facade/clsErrors.h"
#include "kvcom3/KvError.h"

using kvcom3::clsErrors;
using kvcom3::KvError;

namespace {

KvError raised(std::uint32_t code) {
    try {
        clsErrors().Raise(code);
    } catch (const KvError& e) {
        return e;
    }
    return KvError(0, "nothing raised");
}

struct Row {
    std::uint32_t code;
    std::int32_t number;
    const char* text;
};

// The public numbers and texts callers compare against, misspellings included.
constexpr Row kRows[] = {
    {15, 1000, "Communication error"},
    {17, 1001, "No communication with production network"},
    {1, 1100, "No connection established"},
    {2, 1101, "Elegal ID number"},
    {4, 1102, "Adress is not set"},
    {5, 1103, "Cant access EEPROM on this sensor"},
    {7, 1104, "Adress dont exist"},
    {8, 1105, "No value"},
    {9, 1106, "This parameter can not be changed"},
    {10, 1107, "This parameter can not be masked"},
    {16, 1108, "Command is not supported"},
    {18, 1109, "Value is to big for the AdrMask"},
    {19, 1110, "Object not found"},
    {27, 1111, "Memtype is read only"},
    {12, 1200, "Communication error"},
    {13, 1201, "Communication error"},
    {14, 1202, "Communication error"},
    {0, 1203, "Mem type is not supported"},
    {11, 1204, "Unknown format"},
    {3, 1205, "Unknown Product"},
    {20, 1206, "Error writing to EEPROM"},
    {25, 1207, "Unknown EEPROM size"},
    {26, 1208, "Logger error"},
    {21, 1301, "Illegal function"},
    {22, 1302, "Illegal data address"},
    {23, 1303, "Illegal data value"},
    {24, 1304, "Slave device failure"},
    {6, 32755, "Cancel was selected"},
};

}  // namespace

TEST(ClsErrors, EveryCodeRaisesItsNumberAndText) {
    std::set<std::uint32_t> codes;
    for (const Row& row : kRows) {
        KvError e = raised(row.code);
        EXPECT_EQ(e.number(), row.number) << "code " << row.code;
        EXPECT_EQ(e.description(), row.text) << "code " << row.code;
        EXPECT_STREQ(e.what(), row.text);
        EXPECT_TRUE(e.source().empty());
        codes.insert(row.code);
    }
    EXPECT_EQ(codes.size(), 28u) << "all codes 0-27 covered exactly once";
}

TEST(ClsErrors, CodeOutsideTableRaisesInvalidCallNamingTheCode) {
    KvError e = raised(28);
    EXPECT_EQ(e.number(), 5);
    EXPECT_NE(e.description().find("28"), std::string::npos);
}

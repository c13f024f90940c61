#include <gtest/gtest.h>

#include "kvcom3/KvError.h"
#include "kvcom3/SerialDevice.h"

using kvcom3::KvError;
using kvcom3::LineSettings;

TEST(LineSettings, ParsesTheProtocolStringsAndOthers) {
    EXPECT_EQ(LineSettings::parse("9600,n,8,1"), (LineSettings{9600, 'n', 8, 1}));
    EXPECT_EQ(LineSettings::parse("9600,n,8,2"), (LineSettings{9600, 'n', 8, 2}));
    EXPECT_EQ(LineSettings::parse("19200,E,7,1"), (LineSettings{19200, 'e', 7, 1}));
    EXPECT_EQ(LineSettings::parse(" 4800 , o , 8 , 2 "), (LineSettings{4800, 'o', 8, 2}));
    EXPECT_EQ(LineSettings::parse("9600,n,8,2").toString(), "9600,n,8,2");
}

TEST(LineSettings, RejectsMalformedStringsWithInvalidPropertyValue) {
    for (const char* bad :
         {"", "9600", "9600,n,8", "9600,n,8,1,1", "x,n,8,1", "0,n,8,1", "9600,q,8,1", "9600,n,9,1",
          "9600,n,4,1", "9600,n,8,3", "9600,nn,8,1", "-9600,n,8,1", "99999999999,n,8,1"}) {
        try {
            LineSettings::parse(bad);
            ADD_FAILURE() << "accepted \"" << bad << "\"";
        } catch (const KvError& e) {
            EXPECT_EQ(e.number(), 380) << bad;
        }
    }
}

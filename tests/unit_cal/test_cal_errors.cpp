#include <gtest/gtest.h>

#include "kvcom3/KvError.h"
#include "model/clsErrors.h"

namespace {

kvcom3::KvError raised(std::int32_t index, const std::string& msg = {}) {
    try {
        kvcal3::clsErrors().Raise(index, msg);
    } catch (const kvcom3::KvError& e) {
        return e;
    }
    return kvcom3::KvError(0, "none");
}

}  // namespace

TEST(CalErrors, EveryIndexRaisesItsNumberAndText) {
    struct Error {
        std::int32_t number;
        const char* text;
    };
    const Error errors[] = {
        {1000, "Procedure not found"},
        {32755, "Cancel was selected"},
        {1001, "Unknown channel"},
        {1002, "Cant calibrate this sensot type"},
        {1003, "DB is locked"},
        {1004, "Sensor definition file not found"},
        {1005, "Span gas not set"},
        {1006, "Preassure not set"},
        {1007, "COdivider to high"},
        {1008, "COdivider to low"},
        {1009, "RH offset not set"},
        {1010, "RH slope not set"},
        {1011, "Input value is to high or to low"},
        {1012, "Zero is to high or to low"},
        {1013, "AH comp factor is to high or to low"},
        {1014, "Table value is to high or to low"},
        {1015, "No reaktion in CO old after heater change"},
        {1016, "Cant calibrate heater"},
        {1017, "To low signal"},
    };
    for (std::int32_t i = 0; i < 19; ++i) {
        EXPECT_EQ(raised(i).number(), errors[i].number) << i;
        EXPECT_EQ(raised(i).description(), std::string(errors[i].text) + " ") << i;
    }
    EXPECT_EQ(raised(14, ", (AHv = 312, Min = 400").description(),
              "AH comp factor is to high or to low , (AHv = 312, Min = 400");
    EXPECT_EQ(raised(19).number(), 5);
}

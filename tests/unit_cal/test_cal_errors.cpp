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

TEST(CalErrors, NumbersAreConsecutiveButCancel) {
    for (std::int32_t i = 0; i <= 18; ++i) {
        std::int32_t expected = i == 1 ? 32755 : (i == 0 ? 1000 : 999 + i);
        EXPECT_EQ(raised(i).number(), expected) << i;
    }
    EXPECT_EQ(raised(0).description(), "Procedure not found ");
    EXPECT_EQ(raised(1).description(), "Cancel was selected ");
    EXPECT_EQ(raised(3).description(), "Cant calibrate this sensot type ");
    EXPECT_EQ(raised(14, ", (AHv = 312, Min = 400").description(),
              "AH comp factor is to high or to low , (AHv = 312, Min = 400");
    EXPECT_EQ(raised(19).number(), 5);
}

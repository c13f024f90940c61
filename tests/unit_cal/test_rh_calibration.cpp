#include <gtest/gtest.h>

#include "CalFixture.h"

using namespace kvcal3;

namespace {

class RhCalibration : public CalFixture {
  protected:
    void SetUp() override {
        CalFixture::SetUp();
        connect("p8-co2-temp-rh");
        proc = procedure("cpRHcal");
        table = adr("eaTable3_0");
    }
    void set(const char* key, const kvcom3::Variant& value) {
        proc->InputVariables()->Item(key)->Value = value;
    }
    bool inputsReset() {
        return proc->InputVariables()->Item("cvSpaceRHCalZeroOffset")->Value ==
                   kvcom3::Variant(NotSetMarker) &&
               proc->InputVariables()->Item("cvSpaceRHCalSlope")->Value ==
                   kvcom3::Variant(NotSetMarker);
    }
    std::vector<std::int32_t> sensorTable() const {
        std::vector<std::int32_t> words;
        for (int i = 0; i < 17; ++i) words.push_back(eepromWord(table + 2 * i));
        return words;
    }

    std::shared_ptr<kvCalProcedure> proc;
    std::int32_t table = 0;
};

}  // namespace

TEST_F(RhCalibration, TableFromOffsetAndSlope) {
    set("cvSpaceRHCalZeroOffset", 0.375f);
    set("cvSpaceRHCalSlope", 41.25f);
    EXPECT_TRUE(proc->Run().isEmpty());
    const auto words = sensorTable();
    EXPECT_EQ(words[0], 0);
    EXPECT_EQ(words[1], 630);
    EXPECT_EQ(words[8], 5000);
    EXPECT_EQ(words[16], 10000);
    EXPECT_EQ(cell("eaTable3_16"), 10000) << "the image holds what was written";
    EXPECT_TRUE(sensor->eepromLocked());
    EXPECT_TRUE(inputsReset());
}

TEST_F(RhCalibration, PointsClampToTheRhRange) {
    set("cvSpaceRHCalZeroOffset", 5.0f);
    set("cvSpaceRHCalSlope", 31.5f);
    proc->SpaceRH_Cal();
    EXPECT_EQ(sensorTable(), std::vector<std::int32_t>(17, 0));
    set("cvSpaceRHCalZeroOffset", 0.0f);
    set("cvSpaceRHCalSlope", 1.0f);
    proc->SpaceRH_Cal();
    EXPECT_EQ(sensorTable(), std::vector<std::int32_t>(17, 10000));
}

TEST_F(RhCalibration, MissingInputsWriteNothing) {
    const auto before = sensorTable();
    set("cvSpaceRHCalSlope", 31.5f);
    EXPECT_EQ(errorOf([&] { proc->Run(); }).number(), 1009);
    EXPECT_TRUE(inputsReset()) << "both inputs are consumed, also on failure";
    EXPECT_EQ(errorOf([&] { proc->Run(); }).number(), 1009) << "the offset is tested first";
    set("cvSpaceRHCalZeroOffset", 0.8f);
    const kvcom3::KvError e = errorOf([&] { proc->Run(); });
    EXPECT_EQ(e.number(), 1010);
    EXPECT_EQ(e.description(), "RH slope not set ");
    set("cvSpaceRHCalZeroOffset", 0.8f);
    set("cvSpaceRHCalSlope", 0.0f);
    EXPECT_EQ(errorOf([&] { proc->Run(); }).number(), 11);
    EXPECT_EQ(sensorTable(), before);
    EXPECT_TRUE(inputsReset());
}

#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <sstream>
#include <vector>

#include "../unit/LinkFixture.h"
#include "kvcal3/ISensCalibration.h"
#include "kvcal3/InputRanges.h"
#include "kvcom3/KvError.h"
#include "model/Sensor.h"
#include "util/Listing.h"

using namespace kvcal3;

namespace {

class Catalogue : public LinkFixture {
  protected:
    void connect(const std::string& profile) {
        auto sensor = std::shared_ptr<kvsim::Sensor>(kvsim::Sensor::fromProfile(profile));
        attach(sensor);
        mem = std::make_shared<kvcom3::ISensMem>();
        mem->Connect(kPort, -1);
        calibration.SetSensor(mem);
    }

    std::vector<std::string> channelKeys() {
        std::vector<std::string> keys;
        for (const auto& c : *calibration.Channels()) keys.push_back(c->Key);
        return keys;
    }
    std::vector<std::string> procedureKeys(const std::string& channel) {
        std::vector<std::string> keys;
        for (const auto& p : *calibration.Channels()->Item(channel)->Procedures()) {
            keys.push_back(p->Key);
        }
        return keys;
    }

    std::shared_ptr<kvcom3::ISensMem> mem;
    ISensCalibration calibration;
};

// The catalogue of every shipped profile as `kvtool procedures` prints it, kept whole under
// tests/data/catalogues (KV_UPDATE_LISTINGS=1 rewrites them).
class CatalogueListing : public Catalogue, public ::testing::WithParamInterface<std::string> {
  protected:
    std::string listing() {
        std::ostringstream out;
        for (const auto& channel : *calibration.Channels()) {
            out << channel->Key << " \"" << channel->Name << "\"\n";
            for (const auto& procedure : *channel->Procedures()) {
                out << "  " << procedure->Key << " \"" << procedure->Name << "\"\n";
                for (const auto& input : *procedure->InputVariables()) {
                    out << "    " << input->Key << " \"" << input->Name << "\": "
                        << (input->Value == kvcom3::Variant(NotSetMarker) ? "not set"
                                                                          : input->Value.toString())
                        << '\n';
                }
            }
        }
        return out.str();
    }
};

std::string profileCase(const ::testing::TestParamInfo<std::string>& info) {
    std::string name = info.param;
    for (char& c : name) {
        if (c == '-') c = '_';
    }
    return name;
}

}  // namespace

TEST_P(CatalogueListing, IsUnchanged) {
    connect(GetParam());
    const std::string difference =
        kvtest::compareListing("catalogues/" + GetParam() + ".txt", listing());
    EXPECT_TRUE(difference.empty()) << difference;
}

// A form can check every input the catalogue offers: each has a range of its own.
TEST_P(CatalogueListing, EveryInputHasItsRange) {
    connect(GetParam());
    for (const auto& channel : *calibration.Channels())
        for (const auto& procedure : *channel->Procedures())
            for (const auto& input : *procedure->InputVariables()) {
                const InputRange range = inputRange(input->Key);
                EXPECT_TRUE(range.kind == InputKind::Text ||
                            range.high < std::numeric_limits<float>::max())
                    << input->Key;
            }
}

TEST(InputValues, AreCheckedBeforeAnyUse) {
    const struct {
        const char* key;
        const char* text;
        int error;
        double value;
    } rows[] = {
        {"cvSpaceTempOffsetAdjustCorrectTemp", "23.5", 0, 23.5},
        {"cvSpaceTempOffsetAdjustCorrectTemp", "+150", 0, 150},
        {"CVSPACETEMPOFFSETADJUSTCORRECTTEMP", "150.01", 1011, 0},
        {"cvSpaceTempOffsetAdjustCorrectTemp", "-50.5", 1011, 0},
        {"cvSpaceTempOffsetAdjustCorrectTemp", "23,5", 380, 0},
        {"cvSpaceTempOffsetAdjustCorrectTemp", "inf", 380, 0},
        {"cvSpaceTempOffsetAdjustCorrectTemp", "0x10", 380, 0},
        {"cvSpaceTempOffsetAdjustCorrectTemp", "", 380, 0},
        {"cvSpaceRHCalChannel", "3", 0, 3},
        {"cvSpaceRHCalChannel", "3.5", 380, 0},
        // A slope of 0 would divide by zero in the table.
        {"cvSpaceRHCalSlope", "0", 1011, 0},
        {"cvCOAHZeroSpanCalAHwet", "0.2", 1011, 0},
        {"cvNotInTheCatalogue", "1e30", 0, 1e30},
    };
    for (const auto& row : rows) {
        try {
            const kvcom3::Variant value = checkedInputValue(row.key, row.text);
            EXPECT_EQ(row.error, 0) << row.key << "=" << row.text;
            EXPECT_EQ(value.toDouble(), row.value) << row.key << "=" << row.text;
        } catch (const kvcom3::KvError& e) {
            EXPECT_EQ(e.number(), row.error) << row.key << "=" << row.text;
            EXPECT_NE(e.description().find(std::string(row.key) + "='" + row.text + "'"),
                      std::string::npos)
                << e.description();
        }
    }
    EXPECT_EQ(checkedInputValue("cvSpaceRHCalFile", "probe 7.txt"),
              kvcom3::Variant(std::string("probe 7.txt")));
}

INSTANTIATE_TEST_SUITE_P(EveryProfile, CatalogueListing,
                         ::testing::ValuesIn(kvsim::Sensor::profileNames()), profileCase);

TEST_F(Catalogue, ACo2SensorWithTemperatureAndRh) {
    connect("p8-co2-temp-rh");
    EXPECT_EQ(channelKeys(), (std::vector<std::string>{"ccSpaceCO2", "ccSpaceTemp", "ccRHcal"}));
    EXPECT_EQ(procedureKeys("ccSpaceCO2"),
              (std::vector<std::string>{"cpCO2ZeroCal", "cpCO2BackGround", "cpCO2OffsetCal",
                                        "cpCO2SpanCal"}));
    auto offset = calibration.GetProcedure("cpCO2OffsetCal");
    EXPECT_EQ(offset->Name, "Offset cal");
    ASSERT_EQ(offset->InputVariables()->Count(), 4);
    EXPECT_EQ(offset->InputVariables()->Item(4)->Key, "cvCO2OffsetCalDT");
    EXPECT_EQ(offset->InputVariables()->Item("cvco2offsetcalgas")->Name, "Concentration");
    EXPECT_EQ(offset->InputVariables()->Item(1)->Value.toLong(), -32767) << "not set";
    EXPECT_EQ(calibration.Channels(), calibration.Channels()) << "built once, the same object";
}

TEST_F(Catalogue, NoTemperatureChannelWithoutItsSensor) {
    connect("p8-co2-notemp");
    auto keys = channelKeys();
    EXPECT_EQ(keys.front(), "ccSpaceCO2");
    EXPECT_EQ(std::count(keys.begin(), keys.end(), "ccSpaceTemp"), 0);
}

TEST_F(Catalogue, CoProbeGivesRhAndTheFullCoChannel) {
    connect("p8-co-probe");
    auto keys = channelKeys();
    ASSERT_GE(keys.size(), 3u);
    EXPECT_EQ(keys[keys.size() - 2], "ccRHcal");
    EXPECT_EQ(keys.back(), "ccSpaceCO");
    EXPECT_EQ(procedureKeys("ccSpaceCO"),
              (std::vector<std::string>{"cpCOHeaterStart", "cpCOHeaterCal", "cpCOAHZeroSpanCal",
                                        "cpCOZeroCal"}));
    // The procedures look this input up in other letter case.
    auto ah = calibration.GetProcedure("cpCOAHZeroSpanCal");
    EXPECT_EQ(ah->InputVariables()->Item("cvCOAHZeroSpanCalSpangas")->Name, "Spangas conc");
    EXPECT_EQ(ah->InputVariables()->Count(), 11);
}

TEST_F(Catalogue, FigaroCellGivesOnlyItsZeroCal) {
    connect("p8-figaro-co");
    auto keys = channelKeys();
    EXPECT_EQ(std::count(keys.begin(), keys.end(), "ccRHcal"), 0);
    EXPECT_EQ(procedureKeys("ccSpaceCO"), (std::vector<std::string>{"cpCOZeroCalFigaro"}));
}

TEST_F(Catalogue, Platform5HasTheCo2ChannelOnly) {
    connect("p5-co2");
    EXPECT_EQ(channelKeys(), (std::vector<std::string>{"ccSpaceCO2"}));
    auto offset = calibration.GetProcedure("cpCO2Offset");
    EXPECT_EQ(offset->InputVariables()->Item(2)->Key, "cpCO2OffsetGas");
    EXPECT_EQ(calibration.GetProcedure("cpCO2ZeroCal")->InputVariables()->Count(), 0);
}

TEST_F(Catalogue, UnlistedPlatformsOfferNothing) {
    connect("p6-co2");
    EXPECT_EQ(calibration.Channels()->Count(), 0);
    try {
        calibration.GetProcedure("cpCO2ZeroCal");
        FAIL();
    } catch (const kvcom3::KvError& e) {
        EXPECT_EQ(e.number(), 1000);
        EXPECT_EQ(e.description(), "Procedure not found ");
    }
}

TEST_F(Catalogue, KeysAreExactForProceduresButNotForItems) {
    connect("p8-co2-temp-rh");
    EXPECT_THROW(calibration.GetProcedure("cpco2zerocal"), kvcom3::KvError);
    auto channels = std::make_shared<kvCalChannels>();
    auto added = channels->Add("Extra", "");
    EXPECT_EQ(added->Key, "Extra");
    EXPECT_EQ(channels->Item("EXTRA"), added);
    try {
        channels->Add("Other", "extra");
        FAIL();
    } catch (const kvcom3::KvError& e) {
        EXPECT_EQ(e.number(), 457);
    }
    EXPECT_EQ(channels->Count(), 1);
}

TEST_F(Catalogue, WithoutASensorNothingIsThere) {
    calibration.SetSensor(nullptr);
    EXPECT_EQ(errorOf([&] { calibration.Channels(); }).number(), 91);
    ISensCalibration another;
    EXPECT_EQ(errorOf([&] { another.GetProcedure("cpCO2ZeroCal"); }).number(), 91);
}

TEST_F(Catalogue, AnUnreadableSensorIsNotAskedAgain) {
    connect("p8-co2-temp-rh");
    line->addFault("no-ctr");
    EXPECT_THROW(calibration.Channels(), kvcom3::KvError);
    line->clearFaults();
    EXPECT_EQ(calibration.Channels()->Count(), 0);
}

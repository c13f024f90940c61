#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <utility>
#include <vector>

#include "model/Profile.h"
#include "test_model_support.h"

namespace kvsim::testing {
namespace {

struct Expected {
    const char* name;
    int platform;
    int commandSet;
    std::uint32_t serial;
    std::size_t ram;
    std::size_t eeprom;
    int spaceTempSensor;  // 7 and 8 only
    int extraProbe;
    int processorVersion;
};

const Expected kProfiles[] = {
    {"p5-co2", 5, 1, 4242, 512, 256, -1, -1, 0},
    {"p6-co2", 6, 1, 321, 512, 512, -1, -1, 0},
    {"p61-co2", 61, 2, 6101, 512, 512, -1, -1, 0},
    {"p7-pv0", 7, 2, 777, 1024, 2048, 0, 0, 0},
    {"p7-pv1", 7, 2, 1234, 1024, 2048, 0, 0, 1},
    {"p8-co2-temp-rh", 8, 2, 12345, 2048, 2048, 0, 31, 2},
    {"p8-co2-notemp", 8, 2, 4711, 2048, 4096, 15, 0, 2},
    {"p8-co-probe", 8, 2, 20815, 2048, 2048, 0, 64, 2},
    {"p8-figaro-co", 8, 2, 31337, 2048, 2048, 0, 101, 2},
};

class ShippedProfile : public ::testing::TestWithParam<Expected> {
  protected:
    void SetUp() override { sensor = quietSensor(GetParam().name); }
    std::unique_ptr<Sensor> sensor;
};

TEST_P(ShippedProfile, IdentifiesAsItsPlatform) {
    const auto& e = GetParam();
    const std::uint8_t part = sensor->read(Space::RAM, 65);
    EXPECT_EQ(part, sensor->partByte());
    const int code = part >> 3;
    const int platform = (code >= 28 || (code >= 12 && code <= 15)) ? 5
                         : code == 27                               ? 6
                         : code == 26                               ? 61
                         : (code == 23 || code == 24)               ? 7
                                                                    : 8;
    EXPECT_EQ(platform, e.platform);
    EXPECT_EQ(sensor->platform(), e.platform);
    EXPECT_EQ(sensor->commandSet(), e.commandSet);
    EXPECT_EQ(sensor->byteAccess(), e.platform == 7 || e.platform == 8);
    EXPECT_EQ(sensor->size(Space::RAM), e.ram);
    EXPECT_EQ(sensor->size(Space::EEPROM), e.eeprom);
    EXPECT_EQ(sensor->profileName(), e.name);
}

TEST_P(ShippedProfile, KeepsItsSerialNumberWhereTheFacadeReadsIt) {
    const auto& e = GetParam();
    std::uint32_t serial = 0;
    if (e.platform == 5) serial = wordAt(*sensor, Space::RAM, 66);
    if (e.platform == 6 || e.platform == 61) serial = wordAt(*sensor, Space::EEPROM, 170);
    if (e.platform == 7 || e.platform == 8) {
        const auto a = static_cast<std::uint32_t>(sensor->size(Space::EEPROM) - 1) & 0xFFE6;
        serial = sensor->read(Space::EEPROM, a) + 256u * sensor->read(Space::EEPROM, a + 1) +
                 65536u * sensor->read(Space::EEPROM, a + 2);
    }
    EXPECT_EQ(serial, e.serial);
}

TEST_P(ShippedProfile, AnswersTheSizeCodeAndProcessorVersionAsTheLibraryReadsThem) {
    const auto& e = GetParam();
    if (e.platform != 7 && e.platform != 8) GTEST_SKIP() << "identified without EEPROM";
    const std::uint8_t code = sensor->read(Space::EEPROM, 65513);
    EXPECT_EQ(std::size_t{1024} << (code & 15), sensor->size(Space::EEPROM));
    const auto size = static_cast<std::uint32_t>(sensor->size(Space::EEPROM));
    EXPECT_EQ(sensor->read(Space::EEPROM, (size - 1) & 0xFFE9), code);
    EXPECT_EQ(sensor->read(Space::EEPROM, size - 23) & 15, code & 15);

    const std::uint8_t v = sensor->read(Space::EEPROM, size - 1);
    int version = v;
    if (e.platform == 7 && (v == 0 || v == 255))
        version = size == 8192                                                    ? 1
                  : wordAt(*sensor, Space::EEPROM, (size - 1) & 0xFFF4) == 0xFD80 ? 0
                                                                                  : 1;
    if (e.platform == 7) {
        EXPECT_EQ(version, e.processorVersion);
    }
    EXPECT_EQ(sensor->read(Space::EEPROM, size - 4), e.processorVersion);
    EXPECT_EQ(sensor->read(Space::EEPROM, size - 29), sensor->partByte());
}

TEST_P(ShippedProfile, PlacesBaseAreasInsideTheFreeEeprom) {
    const auto& e = GetParam();
    if (e.platform != 7 && e.platform != 8) GTEST_SKIP() << "no base-address block";
    const auto size = static_cast<std::uint32_t>(sensor->size(Space::EEPROM));
    const std::uint32_t upper = e.platform == 8 ? size - 308 : size - 272;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> areas;
    const std::uint32_t lengths[6] = {45, 170, 0, 64, 156, 32};
    for (int k = 0; k < 6; ++k) areas.push_back({baseAddress(*sensor, k), lengths[k]});
    const std::uint32_t twa = baseAddress(*sensor, 5);
    for (std::uint32_t c = 0; c < 4; ++c) {
        const auto items = wordAt(*sensor, Space::EEPROM, twa + 8 * c);
        const auto pointer = wordAt(*sensor, Space::EEPROM, twa + 8 * c + 4) & (size - 1);
        areas.push_back({pointer, 2 * items});
        if (items > 0) {
            EXPECT_EQ(wordAt(*sensor, Space::EEPROM, pointer),
                      wordAt(*sensor, Space::EEPROM, twa + 8 * c + 2));
        }
    }
    for (std::size_t i = 0; i < areas.size(); ++i) {
        EXPECT_GE(areas[i].first, 164u) << "area " << i;
        EXPECT_LE(areas[i].first + areas[i].second, upper) << "area " << i;
        for (std::size_t k = 0; k < i; ++k)
            EXPECT_TRUE(areas[i].second == 0 || areas[k].second == 0 ||
                        areas[i].first >= areas[k].first + areas[k].second ||
                        areas[k].first >= areas[i].first + areas[i].second)
                << "areas " << k << " and " << i << " overlap";
    }
}

TEST_P(ShippedProfile, HoldsFiveMonotonicTables) {
    const auto& e = GetParam();
    if (e.platform != 7 && e.platform != 8) GTEST_SKIP() << "tables not in reachable EEPROM";
    for (int t = 0; t < 5; ++t) {
        int rising = 0;
        int falling = 0;
        for (int i = 0; i < 16; ++i) {
            const int d = tablePoint(*sensor, t, i + 1) - tablePoint(*sensor, t, i);
            rising += d > 0;
            falling += d < 0;
        }
        EXPECT_TRUE(rising == 0 || falling == 0) << "table " << t;
        EXPECT_GT(rising + falling, 8) << "table " << t << " is mostly flat";
    }
    EXPECT_EQ(tablePoint(*sensor, 2, 15), 0) << "count 61440 is zero CO2";
}

TEST_P(ShippedProfile, DescribesItsProbesAndChannels) {
    const auto& e = GetParam();
    if (e.platform != 7 && e.platform != 8) GTEST_SKIP() << "no product ID block";
    EXPECT_EQ(sensor->read(Space::EEPROM, fromEnd(*sensor, 22)) & 15, e.spaceTempSensor);
    EXPECT_EQ(sensor->read(Space::EEPROM, fromEnd(*sensor, 20)), e.extraProbe);
    const std::uint8_t temperature = sensor->read(Space::EEPROM, fromEnd(*sensor, 232 - 4));
    EXPECT_EQ((temperature & 28) / 4, 1) << "channel 4 in degrees C";
    EXPECT_EQ((sensor->read(Space::EEPROM, fromEnd(*sensor, 232 - 5)) & 28) / 4, 4) << "ppm";
    EXPECT_EQ((sensor->read(Space::EEPROM, fromEnd(*sensor, 248)) & 28) / 4, 5) << "output in %";
}

TEST_P(ShippedProfile, HasAMenuLaidOutForItsProcessor) {
    const auto& e = GetParam();
    if (e.platform != 7 && e.platform != 8) GTEST_SKIP() << "no menu";
    const std::uint32_t menu = baseAddress(*sensor, 2);
    if (e.platform == 8 || e.processorVersion == 1) {
        const std::uint8_t menuNr = sensor->read(Space::EEPROM, menu + 1);
        EXPECT_TRUE(menuNr == 1 || menuNr == 2);
        EXPECT_EQ(sensor->read(Space::EEPROM, menu + 16) & 0x70, 0x10)
            << "first item shows a channel";
    } else {
        EXPECT_EQ(sensor->read(Space::EEPROM, menu) & 15, 5) << "headerless first item shows CO2";
    }
}

INSTANTIATE_TEST_SUITE_P(All, ShippedProfile, ::testing::ValuesIn(kProfiles), [](const auto& info) {
    std::string n = info.param.name;
    std::replace(n.begin(), n.end(), '-', '_');
    return n;
});

TEST(ProfileList, NamesEveryShippedProfile) {
    const auto names = Sensor::profileNames();
    for (const auto& e : kProfiles)
        EXPECT_NE(std::find(names.begin(), names.end(), e.name), names.end()) << e.name;
}

class BadProfile : public ::testing::Test {
  protected:
    void SetUp() override {
        dir =
            std::filesystem::temp_directory_path() /
            ("kvsim_profiles_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    std::string file(const std::string& name, const std::string& text) {
        const auto path = dir / (name + ".json");
        std::ofstream(path) << text;
        return path.string();
    }
    std::string shipped(const std::string& patch) {
        std::ifstream in(profileFile("p8-co2-temp-rh"));
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        file("base", text);
        return file("patched", "{\"extends\": \"base\", " + patch + "}");
    }
    std::filesystem::path dir;
};

TEST_F(BadProfile, EndsInAClearError) {
    const std::pair<std::string, std::string> cases[] = {
        {"missing", (dir / "absent.json").string()},
        {"empty", file("empty", "")},
        {"garbage", file("garbage", "\x01\xff{{not json")},
        {"truncated", file("truncated", "{\"partByte\": 152, \"serialNumber\"")},
        {"unknown part", file("unknownpart", "{\"partByte\": 0, \"serialNumber\": 1}")},
        {"no tables", file("notables", "{\"partByte\": 152, \"serialNumber\": 1}")},
        {"loop", file("loop", "{\"extends\": \"loop\"}")},
        {"part byte range", file("range", "{\"partByte\": 300, \"serialNumber\": 1}")},
        {"unknown parameter", shipped("\"parameters\": {\"wPar_16\": 1}")},
        {"value too big", shipped("\"parameters\": {\"bPar_9\": 300}")},
        {"overlap", shipped("\"baseAddresses\": {\"MENU\": 300}")},
        {"outside", shipped("\"baseAddresses\": {\"UserInfo\": 1700}")},
        {"logger outside", shipped("\"loggers\": [{\"size\": 900, \"pointer\": 904}]")},
        {"short table", shipped("\"tables\": [[1, 2, 3]]")},
        {"odd EEPROM", shipped("\"eeprom\": {\"size\": 3000}")},
        {"huge flash", shipped("\"flash\": {\"size\": 4000000000}")},
    };
    for (const auto& [what, path] : cases)
        EXPECT_THROW(Sensor::fromProfile(path), std::runtime_error) << what;
}

TEST_F(BadProfile, ErrorNamesTheShippedProfiles) {
    try {
        Sensor::fromProfile("no-such-profile");
        FAIL() << "no error";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("p8-co2-temp-rh"), std::string::npos) << e.what();
    }
}

TEST_F(BadProfile, ExtendingProfileReplacesOnlyWhatItNames) {
    const auto path = shipped("\"serialNumber\": 99, \"productId\": {\"extraProbe\": 0}");
    const auto sensor = Sensor::fromProfile(path);
    const auto size = static_cast<std::uint32_t>(sensor->size(Space::EEPROM));
    EXPECT_EQ(sensor->read(Space::EEPROM, size - 26), 99);
    EXPECT_EQ(sensor->read(Space::EEPROM, size - 20), 0);
    EXPECT_EQ(sensor->read(Space::EEPROM, size - 22) & 15, 0) << "kept from the base";
}

}  // namespace
}  // namespace kvsim::testing

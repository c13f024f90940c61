#include <gmock/gmock.h>

#include "ObjectFixture.h"
#include "objects/TwaTime.h"

using namespace kvcom3;

namespace {

using ObjectLevel = ObjectFixture;

const std::string kDegreesC =
    "\xC2\xB0"
    "C";

// The space temperature channel as the sensor holds it, in hundredths of a degree.
double sensorTemperature(const kvsim::Sensor& sensor) {
    const int raw = sensor.read(kvsim::Space::RAM, 20) * 256 + sensor.read(kvsim::Space::RAM, 21);
    return signed16(static_cast<std::uint16_t>(raw)) / 100.0;
}

}  // namespace

TEST_F(ObjectLevel, Platform8TreeReadsTheSensorsQuantities) {
    use("p8-co2-temp-rh");
    sensor->world().temperatureC = 21.5;
    sensor->world().co2ppm = 800;
    sensor->advance(60);
    EXPECT_EQ(
        names(*objects.Nodes()),
        (std::vector<std::string>{"System", "ADS Pointers", "Channels", "RegData", "Measurements",
                                  "Regulators", "Outputs", "Setpoints", "Alarm", "E", "Logger"}))
        << "no ModBus folder over KVBUS";

    auto temp = node("foChannelValue4");
    EXPECT_EQ(temp->Unit(), kDegreesC);
    EXPECT_EQ(temp->Format(), "sint casechannel4");
    const double celsius = temp->Value(true).toDouble();
    EXPECT_NEAR(celsius, sensorTemperature(*sensor), 0.001);
    EXPECT_NEAR(celsius, 21.5, 1.0);
    auto co2 = objects.GetNode("FOco2VALUE");
    ASSERT_TRUE(co2);
    EXPECT_EQ(co2->Key(), "foCO2Value");
    EXPECT_EQ(co2->Unit(), "ppm");
    EXPECT_NEAR(co2->Value(true).toDouble(), 800, 20);
    EXPECT_EQ(node("foSpaceTempValue")->ArrayNodeKey(), "raChan_4");
    EXPECT_EQ(node("foSpaceRHValue")->Unit(), "%");
    EXPECT_EQ(node("foChannelValue14")->Format(), "casechannel14");
    EXPECT_EQ(node("foRegDataValue3")->Format(), "sint casereg3");
    EXPECT_EQ(node("foMeasurement_Status_")->Name(), "Measurement Status ");
    gArrayLevel->GetNode("raChanStat_5")->LetValue(0b0101);
    std::vector<double> bits;
    for (const auto& bit : *node("foMeasurement_Status_")->Nodes()) {
        bits.push_back(bit->Value().toDouble());
    }
    EXPECT_EQ(bits, (std::vector<double>{1, 0, 1, 0}))
        << "alarm, fault, overridden, out of service";
    EXPECT_EQ(node("foChannelValue3")->Name(), "ChannelValue 3");
    EXPECT_FALSE(objects.GetNode("foCO2Low")) << "IR signals are platform 7's";
    EXPECT_EQ(node("foCO2ABCFracParamLimit")->Format(), "");
    EXPECT_EQ(node("foExtra_probe")->Value().toString(),
              "RH probe - Honeywell RH Probe IH-3605B on input 4");
    EXPECT_EQ(node("foSpaceTemp_sensor")->Value().toString(),
              "Single 10k NTC, input 6, 20 kOhm pull-up");
}

TEST_F(ObjectLevel, CommonNodesAndKeySearch) {
    use("p8-co2-temp-rh");
    EXPECT_EQ(objects.CommonNode(CO2Table, 3)->ArrayNodeKey(), "eaTable2_3");
    EXPECT_EQ(objects.CommonNode(CO2Table, 3)->Name(), "Value 3");
    EXPECT_EQ(objects.CommonNode(SpaceCO2)->Key(), "foCO2Value");
    EXPECT_EQ(objects.CommonNode(LampOnTime)->ArrayNodeKey(), "eaLampOn");
    EXPECT_EQ(objects.CommonNode(CO2ABCtarget)->Format(), "target2 eawPar_9 sint casechannel5");
    EXPECT_FALSE(objects.CommonNode(CO2FracDynSet)) << "in no tree";
    EXPECT_FALSE(objects.CommonNode(static_cast<kvCommonNodes>(18)));
    EXPECT_FALSE(objects.CommonNode(static_cast<kvCommonNodes>(-1)));
    EXPECT_FALSE(objects.CommonNode(CO2Table, 17));
    EXPECT_FALSE(objects.GetNode("foNoSuchObject"));
    EXPECT_FALSE(objects.GetNode("foHeaderAlg_6"));
    EXPECT_FALSE(objects.GetNode("foState0AlgNr_6")) << "index 6 has no node";
    EXPECT_EQ(node("foDynamic_fraction_change_enable")->ArrayNodeKey(), "raFracXDyn")
        << "the first in depth-first order";
}

TEST_F(ObjectLevel, AlgorithmSlotsAndEnumerations) {
    use("p8-co2-temp-rh");
    auto start = node("foStartAlg");
    EXPECT_EQ(start->Enums()->Count(), 107);
    EXPECT_EQ(names(*start->Nodes()),
              (std::vector<std::string>{"StartAlgParamLow", "StartAlgParamHigh"}));
    auto state2 = node("foState2Alg_41");
    EXPECT_EQ(state2->Enums()->Item("126k")->Name(), "C0007_00_CO2nitrogenAZC");
    EXPECT_EQ(state2->Nodes()->Item(1)->ArrayNodeKey(), "eaState2AlgParamLow_41");
    EXPECT_EQ(state2->Nodes()->Item(2)->Name(), "State2AlgParamLowHigh_41");
    EXPECT_EQ(node("foState0AlgNr_7")->Enums()->Item("31k")->Name(),
              "M0031_00_ButIn1keyPushRelease");
    long algorithmNodes = 0;
    forEach(*node("foADS_Pointers")->Nodes(), [&](const kvObjectNode& n) {
        if (n.Enums()->Count() == 107) ++algorithmNodes;
    });
    EXPECT_EQ(algorithmNodes, 1 + 6 + 23 + 4 + 8);
    EXPECT_EQ(node("foExtra_probe")->Enums()->Item("255k")->Name(), " -not mounted");
    EXPECT_EQ(node("foCO2_sensor_nr")->Enums()->Count(), 8) << "unnamed variants left out";
    EXPECT_EQ(node("foBox")->Enums()->Count(), 1);
}

TEST_F(ObjectLevel, EnumerationsBothWays) {
    use("p8-co2-temp-rh");
    auto mode = node("foOutputMode0");
    EXPECT_EQ(mode->ArrayNodeKey(), "raChanStat_0_Low");
    auto cell = gArrayLevel->GetNode("raChanStat_0_Low");
    cell->LetValue(2);
    EXPECT_EQ(mode->Value().toString(), "100%");
    mode->LetValue(Variant("Locked"));
    EXPECT_EQ(cell->Value(), 3);
    EXPECT_EQ(errorOf([&] { mode->LetValue(Variant("Bogus")); }).number(), 380);
    EXPECT_EQ(cell->Value(), 3) << "a name not in the list writes nothing";
    EXPECT_EQ(mode->Value().toString(), "Locked");

    auto box = node("foBox");
    gArrayLevel->GetNode("eaBox")->LetValue(3);
    EXPECT_EQ(box->Value().toDouble(), 3.0) << "an unnamed value reads as its number";
    EXPECT_EQ(errorOf([&] { node("foErrorMask")->Value(); }).number(), 1110) << "no cell behind it";
}

TEST_F(ObjectLevel, FormatsThroughCells) {
    use("p8-co2-temp-rh");
    auto lamp = node("foLampOnTime");
    lamp->LetValue(Variant(400.0));
    EXPECT_EQ(gArrayLevel->GetNode("eaLampOn")->Value(), 100);
    EXPECT_FLOAT_EQ(lamp->Value().toSingle(), 400.0f);

    auto interval = node("foLoggerInterval");
    EXPECT_EQ(interval->Unit(), "sec");
    interval->LetValue(Variant(VbInteger(24)));
    EXPECT_EQ(gArrayLevel->GetNode("eaCountPar_14")->Value(), 33);
    EXPECT_EQ(interval->Value().toLong(), 24);
    EXPECT_EQ(interval->LetTWAtime(interval->GetTWATime(Variant(VbInteger(120)))).toLong(), 120);

    auto tz = node("foCO2Tz");
    tz->LetValue(Variant(-56.0f));
    EXPECT_EQ(gArrayLevel->GetNode("eabPar_8")->Value(), 200);
    EXPECT_FLOAT_EQ(tz->Value().toSingle(), -56.0f);

    auto table = objects.CommonNode(CO2Table, 3);
    const std::int32_t raw = gArrayLevel->GetNode("eaTable2_3")->Value();
    EXPECT_FLOAT_EQ(table->Value().toSingle(), static_cast<float>(raw)) << "ppm, whole counts";
    table->LetValue(Variant(-5.0f));
    EXPECT_EQ(gArrayLevel->GetNode("eaTable2_3")->Value(), 65531);

    auto zero = node("foCO2Zero");
    zero->LetMask(Variant(true));
    EXPECT_EQ(zero->Mask(), Variant(true));
    zero->LetMask(Variant(false));
    EXPECT_EQ(zero->Mask(), Variant(false));
}

TEST_F(ObjectLevel, FahrenheitUnitConvertsChannelReadings) {
    use("p8-co2-temp-rh");
    sensor->world().temperatureC = 21.5;
    sensor->advance(60);
    auto temp = node("foChannelValue4");
    temp->LetUnit(
        "\xC2\xB0"
        "F");
    EXPECT_NEAR(temp->Value(true).toDouble(), sensorTemperature(*sensor) * 1.8 + 32, 0.006);
    float value = 70.7f;
    EXPECT_FLOAT_EQ(temp->ConvFromUser(value, 4), 2150.0f) << "decimal code 2: hundredths";
}

TEST_F(ObjectLevel, SensorWithoutTemperatureProbe) {
    use("p8-co2-notemp");
    ASSERT_EQ(gArrayLevel->GetNode("eaSpaceTemp_sensor")->Value(), 15);
    EXPECT_FALSE(objects.GetNode("foSpaceTemp"));
    EXPECT_FALSE(objects.CommonNode(SpaceTemp));
    EXPECT_FALSE(objects.GetNode("foModBus"));
    EXPECT_EQ(names(*node("foMeasurements")->Nodes()).front(), "M0004_00_SpaceCO2Net 0");
}

TEST_F(ObjectLevel, ModbusRegistersOnPlatform8) {
    use("p8-co2-temp-rh", true);
    const auto top = names(*objects.Nodes());
    ASSERT_EQ(top.size(), 12u);
    EXPECT_EQ(top.back(), "ModBus");
    Access::setImage(*level, 20, kvMBIR, 0x00);
    Access::setImage(*level, 21, kvMBIR, 0x40);
    EXPECT_EQ(node("moMStatTemp1OR")->Value().toDouble(), 1.0);
    EXPECT_EQ(node("moMStatTemp1")->Value().toDouble(), 4.0);
    EXPECT_EQ(node("moMStatTemp1F")->Value().toDouble(), 0.0);
    EXPECT_EQ(node("moMStatTemp2OOS")->BitMask(), 32768);
    EXPECT_EQ(node("moOutStatOut3")->BitMask(), 3840);
    EXPECT_EQ(node("moOutStatOut3FW")->Name(), "Digital status");
    EXPECT_EQ(node("moOutStatOut3FW")->BitMask(), 256);
    EXPECT_EQ(node("moOutput4")->ArrayNodeKey(), "miIR_24");
    EXPECT_EQ(node("moOutput4")->Format(), "/163 round1");
    EXPECT_EQ(node("moOOSTemp1")->Unit(), kDegreesC);
}

TEST_F(ObjectLevel, Platform7Tree) {
    use("p7-pv0");
    EXPECT_EQ(node("foCO2Low")->ArrayNodeKey(), "raLow");
    EXPECT_EQ(node("foCO2High")->ArrayNodeKey(), "raHIGH");
    EXPECT_EQ(node("foExtra_probe_code")->ArrayNodeKey(), "eaExtra_probe");
    EXPECT_EQ(node("foCO2ABCFracParamLimit")->Format(), "*2");
    EXPECT_FALSE(objects.GetNode("foSpaceTempValue"));
    EXPECT_EQ(node("foMeasurements")->Nodes()->Count(), 2);
}

TEST_F(ObjectLevel, Platform5TreeHasNoChannelUnits) {
    use("p5-co2");
    EXPECT_EQ(names(*objects.Nodes()), (std::vector<std::string>{"System", "Analog Inputs"}));
    EXPECT_EQ(objects.GetChanUnit(4), "");
    EXPECT_EQ(objects.GetChanUnit(5), "");
    EXPECT_FALSE(objects.CommonNode(SpaceTemp));
    EXPECT_EQ(node("foTempValue")->Name(), "SpaceTemp") << "the folder comes first";
    EXPECT_EQ(objects.CommonNode(CO2Ts)->Format(), "-127");
    EXPECT_EQ(objects.CommonNode(LampOffTime)->Unit(), "ms");
    EXPECT_EQ(node("foOutputs")->Nodes()->Count(), 0);
    EXPECT_EQ(node("foABC")->Nodes()->Count(), 5);
}

TEST_F(ObjectLevel, OffLineTreeLacksOnLineObjects) {
    use("p8-co2-temp-rh");
    objects.Nodes();
    objects.Clear();
    gConnection.OnLine = false;
    EXPECT_FALSE(objects.GetNode("foCO2Value"));
    EXPECT_FALSE(objects.GetNode("foCO2Old"));
    EXPECT_FALSE(objects.GetNode("foDigital_Filtration_Current"));
    EXPECT_TRUE(objects.GetNode("foCO2Zero"));
    EXPECT_TRUE(objects.GetNode("foCO2Table16"));
    EXPECT_EQ(node("foChannels")->Nodes()->Count(), 0);
    EXPECT_EQ(node("foSpaceTemp")->Nodes()->Count(), 0) << "the folder stays, its value not";
    EXPECT_EQ(node("foOutput_2")->Nodes()->Count(), 1) << "only Mode";
}

TEST_F(ObjectLevel, GenerationOnceUntilClear) {
    use("p8-co2-temp-rh");
    const auto first = objects.Nodes();
    EXPECT_EQ(objects.Nodes(), first);
    objects.Clear();
    const auto second = objects.Nodes();
    EXPECT_NE(second, first);
    EXPECT_EQ(second->Count(), first->Count());
    auto replaced = std::make_shared<kvObjectNodes>();
    objects.SetNodes(replaced);
    EXPECT_EQ(objects.Nodes(), replaced);
    EXPECT_FALSE(objects.GetNode("foCO2Value"));
}

TEST_F(ObjectLevel, MissingMapOrCell) {
    use("p8-co2-temp-rh");
    kvObjectNodes loose;
    auto orphan = loose.Add("Orphan", "eaNoSuchCell");
    EXPECT_EQ(errorOf([&] { orphan->Value(); }).number(), 1110);
    gArrayLevel.reset();
    EXPECT_EQ(errorOf([&] { objects.Nodes(); }).number(), 91);
    EXPECT_EQ(errorOf([&] { orphan->Value(); }).number(), 91);
}

namespace {

struct Write {
    const char* key;  // an object (fo...) or a cell
    Variant value;
    std::vector<std::pair<const char*, std::int32_t>> image;  // cells set first
    std::int32_t error;                                       // 0: written
};

const Write kWrites[] = {
    {"foLampOnTime", Variant(1020.0), {}, 0},
    {"foLampOnTime", Variant(2000.0), {}, 6},  // 500 in a one-byte cell
    {"foLampOnTime", Variant(-4.0), {}, 6},
    {"foCO2Tz", Variant(-128.0), {}, 0},
    {"foCO2Tz", Variant(127.0), {}, 0},
    {"foCO2Tz", Variant(300.0), {}, 6},
    {"foCO2Tz", Variant(200.0), {}, 6},  // would read back as -56
    {"foCO2Tz", Variant(-129.0), {}, 6},
    {"foCO2Zero", Variant(70000.0), {}, 6},
    {"foCO2Table3", Variant(40000.0), {}, 6},
    {"foCO2ABCTarget", Variant(400.0), {{"eawPar_9", 1900}}, 0},
    {"foCO2ABCTarget", Variant(7900.0), {{"eawPar_9", 1900}}, 6},  // a count below 0
    {"foCO2ABCSampleEE", Variant(400.0), {{"eawPar_9", 2048}, {"eawPar_7", 1000}}, 6},  // above
    {"foOutputMode0", Variant("Locked"), {}, 0},
    {"foOutputMode0", Variant("locked"), {}, 380},
    {"foOutputMode0", Variant("Bogus"), {}, 380},
    {"foOutputMode0", Variant(1.0f), {}, 380},
    {"eaLampOn", Variant(255), {}, 0},
    {"eaLampOn", Variant(300), {}, 6},
    {"eaLampOn", Variant(-1), {}, 6},
    {"eawPar_7", Variant(65535), {}, 0},
    {"eawPar_7", Variant(65536), {}, 6},
    {"raChanStat_0_Low", Variant(3), {}, 0},
    {"raChanStat_0_Low", Variant(4), {}, 1109},
    {"raChanStat_0_Low", Variant(-1), {}, 1109},
};

}  // namespace

// A value that does not fit is refused before anything changes: the image keeps the old value
// and nothing goes to the sensor, for objects and cells alike.
TEST_F(ObjectLevel, WritesThatDoNotFitChangeNothing) {
    use("p8-co2-temp-rh");
    for (const Write& w : kWrites) {
        SCOPED_TRACE(std::string(w.key) + " = " + w.value.toString());
        for (const auto& [cell, value] : w.image) gArrayLevel->GetNode(cell)->LetValue(value);
        const auto object = std::string_view(w.key).starts_with("fo") ? node(w.key) : nullptr;
        const auto cell = gArrayLevel->GetNode(object ? object->ArrayNodeKey() : w.key);
        if (object) object->Value();
        const std::int32_t before = cell->Value();
        const std::size_t sent = sentChunks().size();
        const KvError e = errorOf([&] {
            if (object) {
                object->LetValue(true, w.value);
            } else {
                cell->LetValue(true, w.value.toLong());
            }
        });
        EXPECT_EQ(e.number(), w.error) << e.description();
        if (w.error == 0) {
            EXPECT_GT(sentChunks().size(), sent);
        } else {
            EXPECT_EQ(sentChunks().size(), sent) << "nothing sent";
            EXPECT_EQ(cell->Value(), before);
        }
    }
    EXPECT_THAT(errorOf([&] { node("foOutputMode0")->LetValue(Variant("Bogus")); }).description(),
                ::testing::EndsWith("'Bogus' is not one of: Normal, 0%, 100%, Locked"));
}

// Unit codes and time codes as a sensor may answer them, the unlisted ones included.
TEST_F(ObjectLevel, OddSensorAnswers) {
    use("p8-co2-temp-rh");
    const auto answer = [&](const std::string& key, std::uint32_t value) {
        const auto cell = gArrayLevel->GetNode(key);
        const auto n = static_cast<std::uint32_t>(cell->NrOfBytes());
        sensor->unlockEeprom();
        for (std::uint32_t i = 0; i < n; ++i) {
            const std::uint32_t shift =
                8 * (cell->ByteOrder() == kvLSByteAtHighAdress ? n - 1 - i : i);
            sensor->write(kvsim::Space::EEPROM, static_cast<std::uint32_t>(cell->Adr()) + i,
                          static_cast<std::uint8_t>(value >> shift));
        }
        sensor->lockEeprom();
        cell->Value(true);
    };
    // The unit code is bits 2-4 of the channel's case byte; a byte of 255 holds code 7.
    const std::pair<std::uint32_t, std::string> units[] = {
        {0 << 2, ""},
        {1 << 2, kDegreesC},
        {2 << 2,
         "\xC2\xB0"
         "F"},
        {3 << 2, "V"},
        {4 << 2, "ppm"},
        {5 << 2, "%"},
        {6 << 2, "g/kg"},
        {7 << 2, ""},
        {255, ""},
    };
    for (const auto& [byte, text] : units) {
        answer("eaCaseChannel_4", byte);
        EXPECT_EQ(objects.GetChanUnit(4), text) << byte;
        objects.Clear();
        EXPECT_EQ(node("foChannelValue4")->Unit(), text) << byte;
    }

    auto interval = node("foLoggerInterval");
    std::vector<std::uint32_t> codes{256, 32767, 32768, 65535};
    for (std::uint32_t code = 0; code <= 255; ++code) codes.push_back(code);
    for (std::uint32_t code : codes) {
        answer("eaCountPar_14", code);
        const Variant seconds = interval->Value();
        const auto expected = objects::twaSeconds(static_cast<std::int32_t>(code));
        if (!expected) {
            EXPECT_TRUE(seconds.isEmpty()) << code;
            continue;
        }
        ASSERT_EQ(seconds.toLong(), *expected) << code;
        EXPECT_EQ(seconds.kind(), *expected > 32767 ? VariantKind::Long : VariantKind::Integer);
        interval->LetValue(seconds);
        EXPECT_EQ(objects::twaSeconds(gArrayLevel->GetNode("eaCountPar_14")->Value()), *expected)
            << "written back as a code of the same time";
    }
}

#include <algorithm>
#include <bit>

#include "MapFixture.h"

using namespace kvcom3;

namespace {

class Map78 : public MapFixture {
  protected:
    struct Expected {
        const char* key;
        std::int32_t adr;
        std::int32_t bytes;
        std::uint8_t memType;
        std::int32_t mask;
        std::uint8_t order;
    };
    void expectCells(std::initializer_list<Expected> cells) {
        for (const Expected& e : cells) {
            SCOPED_TRACE(e.key);
            auto node = map.GetNode(e.key);
            EXPECT_EQ(node->Adr(), e.adr);
            EXPECT_EQ(node->NrOfBytes(), e.bytes);
            EXPECT_EQ(node->MemType(), e.memType);
            EXPECT_EQ(node->AdrMask(), e.mask);
            EXPECT_EQ(node->ByteOrder(), e.order);
        }
    }
    long children(const char* key) { return map.GetNode(key)->Nodes()->Count(); }
    long missing(std::initializer_list<const char*> keys) {
        return std::count_if(keys.begin(), keys.end(), [&](const char* key) {
            return errorOf([&] { map.GetNode(key); }).number() == 1110;
        });
    }
};

constexpr std::uint8_t E = kvEEPROM;
constexpr std::uint8_t R = kvRAM;

TEST_F(Map78, Platform8CellsWhereTheSensorPlacesThem) {
    use("p8-co2-temp-rh");  // 2 kB EEPROM; bases 164, 210, 380, 652, 716, 872; menu layout 2
    expectCells({
        {"eaSerialNr", 2022, 3, E, 0, 1},
        {"eaSpaceTemp_sensor", 2026, 1, E, 15, 0},
        {"eaCommunication_option_/_LON", 2025, 1, E, 240, 0},
        {"eaExtra_probe", 2028, 1, E, 0, 0},
        {"eaBa_TWAarray", 2042, 2, E, 0, 0},
        {"eaServiceInfo_3", 2047, 1, E, 0, 0},
        {"eaNchan", 2021, 1, E, 0, 0},
        {"eaNCHAN_7", 2021, 1, E, 128, 0},
        {"eaMSHTypePfStructure", 1740, 1, E, 0, 0},
        {"eaPhase0_4", 1748, 1, E, 0, 0},
        {"eaMSPhase0_5", 1749, 1, E, 0, 0},
        {"eaMSPhase3_7", 1775, 1, E, 0, 0},
        {"eaStartAlgParamHigh", 1913, 1, E, 240, 0},
        {"eaState2AlgParamHigh_41", 1995, 1, E, 240, 0},
        {"eaABC_FracCorrLimit_1", 1999, 1, E, 63, 0},
        {"eaCaseChannel_4", 1820, 1, E, 0, 0},
        {"eaCaseRegUnit_15", 1815, 1, E, 28, 0},
        {"eaEventMI_3", 1835, 1, E, 15, 0},
        {"eaRegPar1_4", 54, 2, E, 0, 0},
        {"eaRegPar1_5", 60, 2, E, 0, 0},
        {"eaRegPar2_15", 1886, 2, E, 0, 0},
        {"eabcntrl_9", 1836, 1, E, 240, 0},
        {"eaADS_Code_44", 208, 1, E, 0, 0},
        {"eaTable0_0", 210, 2, E, 0, 0},
        {"eaTable3_0", 312, 2, E, 0, 0},
        {"eaTable4_16", 378, 2, E, 0, 0},
        {"eaMenuItemsHeader_MenuNr", 381, 1, E, 0, 0},
        {"eaBUTDbl_15", 648, 1, E, 0, 0},
        {"eaMenuItemButDblMI_15", 648, 1, E, 15, 0},
        {"eaRangeParMax_15", 714, 2, E, 0, 0},
        {"eaUserInfo_155", 871, 1, E, 0, 0},
        {"eaLoggReserved_3", 902, 2, E, 0, 0},
        {"eaLoggItem_1-95", 1286, 2, E, 0, 0},
        {"raChan_4", 20, 2, R, 0, 0},
        {"raChan_6", 24, 2, R, 0, 0},
        {"raChan_13", 38, 2, R, 0, 0},
        {"raRegData_4", 276, 2, R, 0, 0},
        {"raFlags", 47, 0, R, 0, 0},
        {"raSensorID(1)", 337, 1, R, 0, 0},
        {"raFracZflags", 64, 1, R, 112, 0},
        {"raHigh_7", 1326, 2, R, 0, 0},
        {"raChanStat_3_High", 353, 1, R, 192, 0},
        {"raGenStat_2", 377, 1, R, 15, 0},
        {"raChan_Disable_9", 377, 1, R, 2, 0},
        {"raW2_2", 266, 2, R, 0, 0},
    });
    EXPECT_EQ(map.GetNode("eaTable3_0")->Value(), 0) << "the sensor's table 3 starts at 0";
    EXPECT_EQ(map.GetNode("eaMSPhase2")->Name(), "Phase2");
    EXPECT_EQ(map.GetNode("eaIR_Amplitude_3")->MemType(), E) << "keeps the group defaults";
    EXPECT_EQ(children("raRAM"), 11);
    EXPECT_EQ(children("eaStartAlg"), 3);
    EXPECT_EQ(children("eaMenuItems"), 17) << "header and sixteen items";
    EXPECT_EQ(children("eaMenuItem_0"), 18);
    EXPECT_EQ(children("eaLoggChannel_0"), 96);
    EXPECT_EQ(children("eaLoggChannel_2"), 48);
    EXPECT_EQ(children("eaLoggChannel_3"), 0) << "a logger of size 0";
    EXPECT_EQ(missing({"eaModBus", "eaLoggers", "eaABC_Frac", "raLow"}), 4)
        << "KVBUS: no Modbus part; full variant: no loggers group, no single amplitude";
}

TEST_F(Map78, GenerationPreReadsTheBaseBlockAndFourWords) {
    use("p8-co2-temp-rh");
    level->EEPROMsize();
    log.clear();
    map.Generate();
    std::vector<std::string> eepromReads;
    for (const std::string& line : log) {
        if (line.rfind("Reading ", 0) == 0 && line.find("EEPROM") != std::string::npos)
            eepromReads.push_back(line);
    }
    ASSERT_GE(eepromReads.size(), 6u);
    EXPECT_EQ(eepromReads[0], "Reading 6 bytes from adress 2032 in EEPROM");
    EXPECT_EQ(eepromReads[1], "Reading 6 bytes from adress 2038 in EEPROM");
    EXPECT_EQ(eepromReads[2], "Reading 6 bytes from adress 0 in EEPROM");
    EXPECT_EQ(eepromReads[5], "Reading 6 bytes from adress 24 in EEPROM");
    EXPECT_EQ(map.GetNode("eaBa_MENU")->Value(), sensorWord(-12));
}

TEST_F(Map78, SerialNumberOfA4kEeprom) {
    use("p8-co2-notemp");  // menu layout 1
    std::string parent;
    auto serial = map.GetNode("eaSerialNr", parent);
    EXPECT_EQ(serial->Adr(), 4070);
    EXPECT_EQ(serial->NrOfBytes(), 3);
    EXPECT_EQ(serial->ByteOrder(), kvLSByteAtLowAdress);
    EXPECT_EQ(serial->Value(), 4711);
    EXPECT_EQ(parent, "eaErrorMask");
    expectCells({{"eaMenuItemMPar4_0", 380 + 16 + 4, 1, E, 0, 0},
                 {"eaMenuItemButDblExe_15", 380 + 16 + 120 + 7, 1, E, 240, 0}});
    EXPECT_EQ(children("eaMenuItem_15"), 10);
}

TEST_F(Map78, UnknownMenuNumberGivesTheHeaderOnly) {
    use("p8-co2-temp-rh");
    setSensorByte(381, 3);
    EXPECT_EQ(children("eaMenuItems"), 1);
    EXPECT_EQ(children("eaMenuItemsHeader"), 16);
    EXPECT_EQ(map.GetNode("eaMenuItemsHeaderByte_15")->Adr(), 395);
}

TEST_F(Map78, ModbusPartOnPlatform8UnderModbus) {
    use("p8-co2-temp-rh", true);
    auto modbus = map.GetNode("eaModBus");
    long cells = 0;
    forEach(*modbus->Nodes(), [&](const kvArrayNode& node, int) { cells += node.NrOfBytes() > 0; });
    EXPECT_EQ(cells, 1088);
    EXPECT_EQ(map.Nodes()->Item(3), modbus) << "last, after EEPROM and RAM";
    expectCells({{"mhHR_31", 62, 2, kvMBHR, 0, 0},
                 {"mhCI_17", 2, 2, kvMBHR, 2, 0},
                 {"mhCI_511", 62, 2, kvMBHR, 32768, 0},
                 {"miIR_0", 0, 2, kvMBIR, 0, 0},
                 {"miDI_16", 2, 2, kvMBIR, 1, 0}});
    EXPECT_EQ(children("eaLoggChannel_0"), 96) << "the EEPROM part read over Modbus";
}

TEST_F(Map78, OffLineTheRamPartIsThePartByteOnly) {
    // Both variants: the one without flash asks the processor version from the image too.
    for (const char* profile : {"p8-co2-temp-rh", "p7-pv0", "p7-pv1"}) {
        SCOPED_TRACE(profile);
        gConnection.OnLine = true;
        level->Clear();
        map.Clear();
        use(profile);
        auto online = map.Nodes();
        const long eepromNodes = countNodes(*online->Item(1)->Nodes());
        map.Clear();
        gConnection.OnLine = false;
        const int before = transfers();
        auto offline = map.Nodes();
        EXPECT_EQ(transfers(), before);
        EXPECT_EQ(countNodes(*offline->Item(1)->Nodes()), eepromNodes);
        EXPECT_EQ(countNodes(*offline->Item(2)->Nodes()), 2) << "Sys and Part";
        EXPECT_EQ(map.GetNode("raPart")->Adr(), 65);
    }
}

// Every cell of the map takes a mask and a file lock and reports them back: True sets exactly
// the cell's bits in the address level's state bytes and nothing of the other state, a number
// sets only the bits it names, False clears them all.
TEST_F(Map78, MaskAndFileLockOfEveryCellReadBack) {
    struct State {
        const char* name;
        Variant (kvArrayNode::*get)() const;
        void (kvArrayNode::*let)(const Variant&) const;
        std::uint8_t (clsAdressLevel::*byte)(std::int32_t, std::uint8_t);
    };
    const State states[] = {
        {"Mask", &kvArrayNode::Mask, &kvArrayNode::LetMask, &clsAdressLevel::Mask},
        {"FileLock", &kvArrayNode::FileLock, &kvArrayNode::LetFileLock, &clsAdressLevel::FileLock},
    };
    auto isBoolean = [](const Variant& v, bool expected) {
        return v.kind() == VariantKind::Boolean && isTrue(v.toBoolean()) == expected;
    };
    for (const char* profile : {"p8-co2-temp-rh", "p7-pv0"}) {
        SCOPED_TRACE(profile);
        level->Clear();
        map.Clear();
        use(profile, true);  // under Modbus the full variant adds the register bits
        long cells = 0;
        std::vector<std::string> wrong;
        forEach(*map.Nodes(), [&](const kvArrayNode& cell, int) {
            if (cell.NrOfBytes() < 1) return;
            ++cells;
            const std::int32_t bits =
                cell.AdrMask() != 0 ? cell.AdrMask() : (1 << (8 * cell.NrOfBytes())) - 1;
            for (const State& state : states) {
                const State& other = &state == &states[0] ? states[1] : states[0];
                auto setBits = [&](const State& s) {
                    int n = 0;
                    for (std::int32_t i = 0; i < cell.NrOfBytes(); ++i)
                        n += std::popcount((*level.*s.byte)(cell.Adr() + i, cell.MemType()));
                    return n;
                };
                (cell.*state.let)(Variant(true));
                bool right = isBoolean((cell.*state.get)(), true) &&
                             setBits(state) == std::popcount(static_cast<std::uint32_t>(bits)) &&
                             setBits(other) == 0 && isBoolean((cell.*other.get)(), false);
                if (cell.AdrMask() != 0 && std::popcount(static_cast<std::uint32_t>(bits)) > 1) {
                    const std::int32_t lowest = bits & -bits;
                    (cell.*state.let)(Variant(VbLong{lowest}));
                    const Variant some = (cell.*state.get)();
                    right = right && some.kind() == VariantKind::Long && some.toLong() == lowest;
                }
                (cell.*state.let)(Variant(false));
                right = right && isBoolean((cell.*state.get)(), false) && setBits(state) == 0;
                if (!right) wrong.push_back(cell.Key() + " " + state.name);
            }
        });
        EXPECT_GT(cells, 1500);
        EXPECT_TRUE(wrong.empty()) << wrong.size() << " wrong, first " << wrong.front();
    }
}

// The largest logger sizes a sensor can answer (0xFFFF) give every item of all four loggers;
// the items wrap at the EEPROM's end as every EEPROM cell does.
TEST_F(Map78, LoggersOfTheLargestSizeAreMappedWhole) {
    use("p8-co2-temp-rh");
    const std::int32_t base = sensorWord(-6);
    for (std::int32_t c = 0; c < 4; ++c) {
        setSensorByte(base + 8 * c, 0xFF);
        setSensorByte(base + 8 * c + 1, 0xFF);
    }
    EXPECT_EQ(countNodes(*map.Nodes()), 263827);
    EXPECT_EQ(children("eaLoggChannel_3"), 65535);
    const std::int32_t pointer = map.GetNode("eaLoggBufferPtr_3")->Value();
    expectCells({{"eaLoggItem_3-65534", (pointer + 2 * 65534) & 2047, 2, E, 0, 0}});
    EXPECT_EQ(map.GetNode("raW2_2")->Adr(), 266) << "the RAM part follows whole";
}

TEST_F(Map78, Platform7WithoutFlashProcessorVersion0) {
    use("p7-pv0");  // menu base -640
    EXPECT_EQ(missing({"eaMeasurement_Structure", "eaMSHeader", "eaABC_FracLimit", "eaModBus",
                       "eaMenuItemsHeader", "eaIR_Amplitude_0"}),
              6);
    EXPECT_EQ(children("eaStartAlg"), 0);
    EXPECT_EQ(map.GetNode("eaADS_PTR")->Nodes()->Item(2)->Key(), "eaStartAlgNr")
        << "the start slot's fields beside it";
    EXPECT_EQ(children("eaABC_Frac"), 2);
    EXPECT_EQ(children("eaLoggers"), 2);
    EXPECT_EQ(children("raIR_Amplitude"), 2);
    expectCells({{"eaMenuItemTimeOut_0", 1408, 1, E, 128, 0},
                 {"eaMenuItemButDbl_15", 1408 + 120 + 7, 1, E, 0, 0},
                 {"raLow", 342, 2, R, 0, 0},
                 {"raHIGH", 344, 2, R, 0, 0},
                 {"eaLoggItem_2-47", 1016 + 94, 2, E, 0, 0}});
}

TEST_F(Map78, Platform7ProcessorVersion1ReadsTheMenuHeader) {
    use("p7-pv1");
    expectCells({{"eaMenuItemsHeader_DisplayNr", 1408, 1, E, 0, 0},
                 {"eaMenuItemOpCode_0", 1424, 1, E, 112, 0}});
    EXPECT_EQ(children("eaMenuItems"), 17);
}

TEST_F(Map78, Platform7LaterProcessorsHaveNoMenuItems) {
    use("p7-pv1");
    level->LetValue(2047, 1, kvEEPROM, false, 0, 0, 2);
    EXPECT_EQ(level->ProcessorVersion(), 2);
    EXPECT_EQ(children("eaMenuItems"), 0);
    EXPECT_EQ(children("eaEvents"), 4);
}

}  // namespace

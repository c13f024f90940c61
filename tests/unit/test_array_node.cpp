#include "MapFixture.h"

using namespace kvcom3;

namespace {

class ArrayNode : public MapFixture {
  protected:
    void SetUp() override {
        MapFixture::SetUp();
        use("p8-co2-temp-rh");  // 2048 bytes of EEPROM
    }
    void setMasks(std::int32_t adr, std::uint8_t memType, std::uint8_t first, std::uint8_t second) {
        level->LetMask(adr, memType, first);
        level->LetMask(adr + 1, memType, second);
    }
    kvArrayNodes nodes;
};

TEST_F(ArrayNode, AddDerivesKeysByMemoryTypeAndRefusesDuplicates) {
    auto probe = nodes.Add("Extra probe", 20, 1, kvRAM);
    EXPECT_EQ(probe->Key(), "raExtra_probe");
    KvError e = errorOf([&] { nodes.Add("Extra probe", 20, 1, kvRAM); });
    EXPECT_EQ(e.number(), 457);
    EXPECT_EQ(nodes.Count(), 1) << "the refused node is not added";
    EXPECT_EQ(nodes.Item("RAEXTRA_PROBE"), probe) << "keys compare without regard to case";

    EXPECT_EQ(nodes.Add("a b", 0, 1, kvEEPROM)->Key(), "eaa_b");
    EXPECT_EQ(nodes.Add("a b", 0, 1, kvFLASH)->Key(), "fla_b");
    EXPECT_EQ(nodes.Add("a b", 0, 1, kvMBIR)->Key(), "mia_b");
    EXPECT_EQ(nodes.Add("a b", 0, 1, kvMBHR)->Key(), "mha_b");
    EXPECT_EQ(nodes.Add("Coil one", 0, 2, kvMBCOIL)->Key(), "Coil_one");
    EXPECT_EQ(errorOf([&] { nodes.Add("Coil one", 0, 2, kvMBDI); }).number(), 457)
        << "discrete inputs derive the same unprefixed key";
    EXPECT_EQ(nodes.Add("Given", 0, 1, kvRAM, 0, 0, "myKey")->Key(), "myKey");

    auto group = nodes.Add("Group");
    EXPECT_EQ(group->Key(), "eaGroup") << "defaults: EEPROM, address 0, 0 bytes";
    EXPECT_EQ(group->NrOfBytes(), 0);
    EXPECT_EQ(group->Nodes()->Count(), 0) << "every node comes with its own empty children";

    EXPECT_EQ(errorOf([&] { nodes.Add(std::string(255, 'x'), 0, 1, kvRAM); }).number(), 6);
    EXPECT_NO_THROW(nodes.Add(std::string(254, 'x'), 0, 1, kvRAM));
}

TEST_F(ArrayNode, NegativeAddressesCountBackFromTheEnd) {
    auto serial = nodes.Add("SerialNr", -26, 3, kvEEPROM, kvLSByteAtLowAdress);
    EXPECT_EQ(serial->Adr(), 2022);
    EXPECT_EQ(nodes.Add("Top", -16, 2, kvRAM)->Adr(), 65520);
    EXPECT_EQ(nodes.Add("High", 4000, 1, kvEEPROM)->Adr(), 4000 & 2047)
        << "EEPROM addresses keep the bits below the size";
    EXPECT_EQ(serial->Value(), sensor->read(kvsim::Space::EEPROM, 2022) +
                                   sensor->read(kvsim::Space::EEPROM, 2023) * 256 +
                                   sensor->read(kvsim::Space::EEPROM, 2024) * 65536)
        << "byte order 1: least significant byte first";
}

TEST_F(ArrayNode, ValueGoesThroughTheAddressLevelUnderTheMask) {
    auto high = nodes.Add("High nibble", 500, 1, kvRAM, 0, 240);
    level->LetValue(500, 1, kvRAM, false, 0, 0, 0xA5);
    EXPECT_EQ(high->Value(), 0xA);
    high->LetValue(3);
    EXPECT_EQ(level->Value(500, 1), 0x35) << "the other bits stay";
    EXPECT_EQ(errorOf([&] { high->LetValue(16); }).number(), 1109);

    auto word = nodes.Add("Word", 502, 2, kvRAM, kvLSByteAtLowAdress);
    word->LetValue(0x1234);
    EXPECT_EQ(level->Value(502, 1), 0x34);
    EXPECT_EQ(transfers(), 0) << "a let stays in the image";

    auto group = nodes.Add("Group");
    KvError get = errorOf([&] { group->Value(); });
    EXPECT_EQ(get.number(), 1105);
    EXPECT_EQ(get.description(), "No value");
    KvError let = errorOf([&] { group->LetValue(1); });
    EXPECT_EQ(let.number(), 1106);
    EXPECT_EQ(let.description(), "This parameter can not be changed");
}

TEST_F(ArrayNode, ForcedValueReadsAndWritesTheSensor) {
    auto ram = nodes.Add("Scratch", 900, 2, kvRAM);
    ram->LetValue(true, 0x0102);
    EXPECT_EQ(sensor->read(kvsim::Space::RAM, 900), 1);
    EXPECT_EQ(sensor->read(kvsim::Space::RAM, 901), 2);
    sensor->write(kvsim::Space::RAM, 901, 7);
    EXPECT_EQ(ram->Value(), 0x0102) << "served from the image";
    EXPECT_EQ(ram->Value(true), 0x0107);
}

TEST_F(ArrayNode, MaskCombinesTheStateBytesByByteOrder) {
    auto all = nodes.Add("All", 600, 2, kvRAM);
    setMasks(600, kvRAM, 255, 255);
    EXPECT_EQ(all->Mask().kind(), VariantKind::Boolean);
    EXPECT_EQ(all->Mask().toBoolean(), VbTrue);
    setMasks(600, kvRAM, 255, 0);
    EXPECT_EQ(all->Mask().kind(), VariantKind::Long) << "partly masked: AdrMask AND M";
    EXPECT_EQ(all->Mask().toLong(), 0);
    setMasks(600, kvRAM, 0, 0);
    EXPECT_EQ(all->Mask().kind(), VariantKind::Boolean);
    EXPECT_EQ(all->Mask().toBoolean(), VbFalse);

    auto low = nodes.Add("Low", 610, 2, kvRAM, kvLSByteAtHighAdress, 15);
    setMasks(610, kvRAM, 0, 15);
    EXPECT_EQ(low->Mask().toBoolean(), VbTrue) << "byte order 0: the second byte is the low one";
    auto swapped = nodes.Add("Swapped", 610, 2, kvRAM, kvLSByteAtLowAdress, 15);
    EXPECT_EQ(swapped->Mask().toBoolean(), VbFalse);

    auto some = nodes.Add("Some", 620, 1, kvRAM, 0, 0x0F);
    level->LetMask(620, kvRAM, 0x06);
    EXPECT_EQ(some->Mask().toLong(), 6);

    EXPECT_TRUE(nodes.Add("Group")->Mask().isEmpty());
}

TEST_F(ArrayNode, MaskLetSetsOnlyTheCellsBits) {
    auto pair = nodes.Add("Pair", 700, 1, kvRAM, 0, 3);
    level->LetMask(700, kvRAM, 0x80);
    pair->LetMask(Variant(true));
    EXPECT_EQ(level->Mask(700, kvRAM), 0x83);
    pair->LetMask(Variant(false));
    EXPECT_EQ(level->Mask(700, kvRAM), 0x80);
    pair->LetMask(Variant(VbLong{2}));
    EXPECT_EQ(level->Mask(700, kvRAM), 0x82);
    EXPECT_EQ(pair->Mask().toLong(), 2);

    auto whole = nodes.Add("Whole", 710, 3, kvRAM);
    whole->LetMask(Variant(true));
    EXPECT_EQ(level->Mask(712, kvRAM), 255);
    EXPECT_EQ(whole->Mask().toBoolean(), VbTrue);
}

TEST_F(ArrayNode, MaskLetReadsBackThroughTheByteOrder) {
    // A coil: bit 1 of a big-endian register.
    auto coil = nodes.Add("CI_17", 2, 2, kvMBHR, kvLSByteAtHighAdress, 2);
    coil->LetMask(Variant(true));
    EXPECT_EQ(level->Mask(2, kvMBHR), 0);
    EXPECT_EQ(level->Mask(3, kvMBHR), 2) << "the low byte of the register is the second";
    EXPECT_EQ(coil->Mask().toBoolean(), VbTrue);

    auto wide = nodes.Add("Wide", 800, 3, kvRAM, kvLSByteAtHighAdress, 0x0102F0);
    wide->LetMask(Variant(VbLong{0x000200}));
    EXPECT_EQ(level->Mask(800, kvRAM), 0);
    EXPECT_EQ(level->Mask(801, kvRAM), 2);
    EXPECT_EQ(level->Mask(802, kvRAM), 0);
    EXPECT_EQ(wide->Mask().toLong(), 0x000200);
    auto lowFirst = nodes.Add("LowFirst", 810, 3, kvRAM, kvLSByteAtLowAdress, 0x0102F0);
    lowFirst->LetMask(Variant(true));
    EXPECT_EQ(level->Mask(810, kvRAM), 0xF0);
    EXPECT_EQ(level->Mask(812, kvRAM), 0x01);
}

TEST_F(ArrayNode, MaskRefusesGroupsAndLongCells) {
    KvError group = errorOf([&] { nodes.Add("Group")->LetMask(Variant(true)); });
    EXPECT_EQ(group.number(), 1107);
    EXPECT_EQ(group.description(), "This parameter can not be masked");
    auto four = nodes.Add("Four", 820, 4, kvRAM, kvLSByteAtLowAdress);
    EXPECT_EQ(errorOf([&] { four->LetMask(Variant(true)); }).number(), 1107);
    for (std::int32_t adr = 820; adr < 824; ++adr) {
        EXPECT_EQ(level->Mask(adr, kvRAM), 0) << "a refused cell changes no byte's state";
    }
    EXPECT_EQ(errorOf([&] { four->Mask(); }).number(), 1107);
    EXPECT_EQ(errorOf([&] { nodes.Add("Wider", 830, 9, kvRAM)->LetMask(Variant(true)); }).number(),
              1107);
}

TEST_F(ArrayNode, FileLockKeepsItsOwnState) {
    auto cellNode = nodes.Add("Locked", 40, 2, kvEEPROM, kvLSByteAtHighAdress, 0x0F00);
    cellNode->LetFileLock(Variant(true));
    EXPECT_EQ(level->FileLock(40, kvEEPROM), 0x0F);
    EXPECT_EQ(level->FileLock(41, kvEEPROM), 0);
    EXPECT_EQ(level->Mask(40, kvEEPROM), 0) << "the mask is untouched";
    EXPECT_EQ(cellNode->FileLock().toBoolean(), VbTrue);
    EXPECT_EQ(cellNode->Mask().toBoolean(), VbFalse);
}

TEST_F(ArrayNode, NodesFollowTheCurrentAddressLevel) {
    auto part = nodes.Add("Part", 65, 1, kvRAM);
    const std::int32_t before = part->Value();
    clsAdressLevel other;
    gAdressLevel = std::shared_ptr<clsAdressLevel>(&other, [](clsAdressLevel*) {});
    other.LetValue(65, 1, kvRAM, false, 0, 0, before ^ 0xFF);
    EXPECT_EQ(part->Value(), before ^ 0xFF);
    gAdressLevel.reset();
    EXPECT_EQ(errorOf([&] { part->Value(); }).number(), 1100);
}

TEST_F(ArrayNode, CollectionMembers) {
    nodes.Add("A", 1, 1, kvRAM);
    nodes.Add("B", 2, 1, kvRAM);
    nodes.Add("C", 3, 1, kvRAM);
    EXPECT_EQ(nodes.Item(2)->Name(), "B");
    EXPECT_EQ(nodes.Item(Variant("rac"))->Name(), "C");
    nodes.Remove(Variant(VbInteger{1}));
    nodes.Remove("raC");
    ASSERT_EQ(nodes.Count(), 1);
    EXPECT_EQ(nodes.Item(1)->Name(), "B");
    EXPECT_EQ(errorOf([&] { nodes.Item("raA"); }).number(), 5);
    EXPECT_EQ(errorOf([&] { nodes.Item(2); }).number(), 5);
}

}  // namespace

#include <gtest/gtest.h>

#include <string>

#include "ObjectTestCells.h"
#include "kvcom3/kvEnum.h"
#include "kvcom3/kvObjectNode.h"

using namespace kvcom3;

TEST(ObjectEnums, KeyedByValueWithK) {
    kvEnums modes;
    EXPECT_FALSE(modes.ADSTree());
    modes.Add(2, "100%");
    const auto locked = modes.Add(3, "Locked");
    EXPECT_EQ(locked->Key(), "3k");
    EXPECT_EQ(locked->Value(), "3");
    EXPECT_EQ(modes.Item("3K")->Name(), "Locked");
    EXPECT_EQ(modes.Item(1)->Name(), "100%");
    EXPECT_EQ(errorNumber([&] { modes.Add(3, "Again"); }), 457);
    EXPECT_EQ(modes.Count(), 2);
    modes.Add(-1, "Minus");
    EXPECT_EQ(modes.Item("-1k")->Value(), "-1");
    modes.Remove(Variant("2k"));
    EXPECT_EQ(modes.Item(1)->Name(), "Locked");
    modes.LetADSTree(true);
    EXPECT_TRUE(modes.ADSTree());
}

TEST(ObjectNodes, AddDerivesKeysFromNames) {
    kvObjectNodes nodes;
    const auto node = nodes.Add("Lamp on time", "eaLampOn", "ms", "*4");
    EXPECT_EQ(node->Key(), "foLamp_on_time");
    EXPECT_EQ(node->ArrayNodeKey(), "eaLampOn");
    EXPECT_EQ(node->Unit(), "ms");
    EXPECT_EQ(node->Format(), "*4");
    EXPECT_EQ(node->BitMask(), 0);
    EXPECT_EQ(node->Nodes()->Count(), 0) << "a child collection comes with the node";
    EXPECT_EQ(node->Enums()->Count(), 0);
    EXPECT_EQ(nodes.Add("Value ", "raChan_5", "", "", "foCO2Value", 3)->Key(), "foCO2Value");
    EXPECT_EQ(nodes.Item("FOCO2VALUE")->BitMask(), 3);
    EXPECT_EQ(nodes.Add("Measurement Status ")->Key(), "foMeasurement_Status_")
        << "trailing blanks become underscores";
    EXPECT_EQ(errorNumber([&] { nodes.Add("Lamp on time"); }), 457);
    EXPECT_EQ(errorNumber([&] { nodes.Add(std::string(255, 'x')); }), 6);
    EXPECT_EQ(nodes.Add(std::string(254, 'x'))->Key().size(), 256u);
    EXPECT_EQ(nodes.Add(std::string(300, 'y'), "", "", "", "foLong")->Key(), "foLong")
        << "a given key has no length limit on the name";
    EXPECT_EQ(nodes.Count(), 5);
}

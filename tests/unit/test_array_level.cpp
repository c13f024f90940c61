#include "MapFixture.h"
#include "util/FakeSensor.h"

using namespace kvcom3;

namespace {

using ArrayLevel = MapFixture;

// A -> (A1 -> (A1a), A2), B; keys as given, "dup" twice.
std::shared_ptr<kvArrayNodes> smallTree() {
    auto root = std::make_shared<kvArrayNodes>();
    auto a = root->Add("A", 0, 0, kvRAM);
    auto a1 = a->Nodes()->Add("A1", 1, 1, kvRAM);
    a1->Nodes()->Add("A1a", 2, 1, kvRAM, 0, 0, "dup");
    a->Nodes()->Add("A2", 3, 1, kvRAM);
    root->Add("B", 4, 1, kvRAM, 0, 0, "DUP");
    return root;
}

TEST_F(ArrayLevel, Platform5MapIsInRam) {
    use("p5-co2");
    auto zero = map.GetNode("raZero_2");
    EXPECT_EQ(zero->Adr(), 260);
    EXPECT_EQ(zero->NrOfBytes(), 2);
    EXPECT_EQ(zero->MemType(), kvRAM);
    EXPECT_EQ(map.GetNode("RAZERO_2"), zero);
    EXPECT_EQ(map.GetNode("eaRAM")->Name(), "RAM") << "the root keeps the group defaults";

    auto system = map.GetNode("eaSystem");
    EXPECT_EQ(system->Nodes()->Count(), 5);
    EXPECT_EQ(errorOf([&] { system->Value(); }).number(), 1105);
    EXPECT_EQ(map.GetNode("raLampOffTime")->Adr(), 36);
    EXPECT_EQ(map.GetNode("raFrac_3")->AdrMask(), 7);
    EXPECT_EQ(map.GetNode("raAmpLow_3")->Adr(), 288);
    EXPECT_EQ(map.GetNode("eaOutputs")->Nodes()->Count(), 0);
    EXPECT_EQ(map.GetNode("eaABC")->Name(), "ABC");
    EXPECT_EQ(map.GetNode("raTs")->Nodes()->Item(1)->Name(), "ABC") << "ABC hangs below Ts";
    EXPECT_EQ(map.GetNode("raABC_PERIOD_1")->Adr(), 341) << "where the formula puts it";
    EXPECT_EQ(map.GetNode("raABC_Frac_1")->Adr(), 347);
    EXPECT_EQ(countNodes(*map.Nodes()), 67);

    EXPECT_EQ(map.GetNode("raSerialNr")->Value(),
              sensor->read(kvsim::Space::RAM, 66) * 256 + sensor->read(kvsim::Space::RAM, 67));
}

TEST_F(ArrayLevel, UnknownKeysAndOtherPlatforms) {
    use("p6-co2");
    EXPECT_EQ(map.Nodes()->Count(), 0);
    KvError e = errorOf([&] { map.GetNode("eaRAM"); });
    EXPECT_EQ(e.number(), 1110);
    EXPECT_EQ(e.description(), "Object not found");
}

TEST_F(ArrayLevel, GetNodeFindsTheFirstMatchInPreOrder) {
    use("p6-co2");
    map.SetNodes(smallTree());
    std::string parent = "before";
    EXPECT_EQ(map.GetNode("raA", parent)->Name(), "A");
    EXPECT_EQ(parent, "before") << "the very first node leaves strParent alone";
    EXPECT_EQ(map.GetNode("raa1", parent)->Name(), "A1");
    EXPECT_EQ(parent, "raA") << "a first child: its parent";
    EXPECT_EQ(map.GetNode("raA2", parent)->Name(), "A2");
    EXPECT_EQ(parent, "dup") << "the node visited just before, deep in the first child";
    EXPECT_EQ(map.GetNode("Dup", parent)->Name(), "A1a") << "children before later siblings";
    EXPECT_EQ(parent, "raA1");
    EXPECT_EQ(errorOf([&] { map.GetNode("missing", parent); }).number(), 1110);
    EXPECT_EQ(parent, "DUP") << "the last node visited";
}

TEST_F(ArrayLevel, LookUpFollowsChangesToTheTree) {
    use("p6-co2");
    auto tree = smallTree();
    map.SetNodes(tree);
    EXPECT_EQ(map.GetNode("dup")->Name(), "A1a");
    auto a1 = map.GetNode("raA1");
    a1->Nodes()->Remove("dup");
    EXPECT_EQ(map.GetNode("dup")->Name(), "B");
    auto added = map.GetNode("raA2")->Nodes()->Add("New", 9, 1, kvRAM);
    std::string parent;
    EXPECT_EQ(map.GetNode("raNew", parent), added);
    EXPECT_EQ(parent, "raA2");
    added->LetKey("renamed");
    EXPECT_EQ(map.GetNode("RENAMED"), added);
    EXPECT_EQ(errorOf([&] { map.GetNode("raNew"); }).number(), 1110);
    a1->SetNodes(smallTree());
    EXPECT_EQ(map.GetNode("dup", parent)->Name(), "A1a");
    EXPECT_EQ(parent, "raA1") << "the new children of A1, below the copy of A";
    map.SetNodes(std::make_shared<kvArrayNodes>());
    EXPECT_EQ(errorOf([&] { map.GetNode("raA"); }).number(), 1110);
}

TEST_F(ArrayLevel, LoopingChildCollectionsEndTheSearch) {
    use("p6-co2");
    auto root = std::make_shared<kvArrayNodes>();
    auto a = root->Add("A", 0, 0, kvRAM);
    auto b = a->Nodes()->Add("B", 0, 0, kvRAM);
    b->SetNodes(a->Nodes());
    map.SetNodes(root);
    EXPECT_EQ(errorOf([&] { map.GetNode("missing"); }).number(), 1110);
    EXPECT_EQ(map.GetNode("raB"), b);
    b->SetNodes(nullptr);  // break the loop so the nodes are freed
    EXPECT_EQ(errorOf([&] { map.GetNode("missing"); }).number(), 1110);
}

TEST_F(ArrayLevel, GeneratesOnceUntilClear) {
    use("p8-co2-temp-rh");
    auto first = map.Nodes();
    const int afterFirst = transfers();
    EXPECT_GT(afterFirst, 0);
    EXPECT_EQ(map.Nodes(), first);
    map.GetNode("eaLoggItem_0-0");
    EXPECT_EQ(transfers(), afterFirst) << "nothing read the second time";

    map.Clear();
    auto second = map.Nodes();
    EXPECT_NE(second, first);
    EXPECT_EQ(second->Count(), first->Count());
    EXPECT_EQ(transfers(), afterFirst) << "a new map from the image";
}

// A handler of the transfers' events may drop or replace the map while the builders are still
// adding to it: they finish into the collection they started, the level keeps what the handler
// left.
TEST_F(ArrayLevel, AHandlerMayClearOrReplaceTheMapWhileItIsBuilt) {
    use("p8-co2-temp-rh");
    const long whole = countNodes(*map.Nodes());
    struct Change {
        const char* name;
        void (*apply)(clsArrayLevel&);
        long nodesAfter;  // -1: the whole map, built again
    };
    const Change changes[] = {
        {"Clear", [](clsArrayLevel& m) { m.Clear(); }, -1},
        {"SetNodes", [](clsArrayLevel& m) { m.SetNodes(std::make_shared<kvArrayNodes>()); }, 0},
    };
    for (const Change& change : changes) {
        SCOPED_TRACE(change.name);
        clsArrayLevel building;
        level->Clear();
        bool changed = false;
        const auto id = level->ComLogg.connect([&](std::string&) {
            if (!changed && building.Nodes()->Count() > 0) {
                changed = true;
                change.apply(building);
            }
        });
        EXPECT_EQ(errorOf([&] { building.Generate(); }).number(), 0);
        level->ComLogg.disconnect(id);
        EXPECT_TRUE(changed) << "the builders read the sensor after the first node";
        EXPECT_EQ(countNodes(*building.Nodes()), change.nodesAfter < 0 ? whole : change.nodesAfter);
    }
}

TEST_F(ArrayLevel, NodesSetBeforeGenerationReceivesTheMap) {
    use("p5-co2");
    auto mine = std::make_shared<kvArrayNodes>();
    mine->Add("Mine", 1, 1, kvRAM);
    map.SetNodes(mine);
    EXPECT_EQ(map.Nodes(), mine);
    ASSERT_EQ(mine->Count(), 2);
    EXPECT_EQ(mine->Item(2)->Name(), "RAM");
    auto other = std::make_shared<kvArrayNodes>();
    map.SetNodes(other);
    EXPECT_EQ(map.Nodes()->Count(), 0) << "a generated map is not built again";
}

TEST_F(ArrayLevel, ErrorsWhileGeneratingReachTheCallerOnce) {
    auto fake = std::make_shared<kvtest::FakeSensor>(5, false, 1);
    fake->memory(kvsim::Space::RAM)[65] = 255;
    attach(fake);
    KvError e = errorOf([&] { map.Nodes(); });
    EXPECT_EQ(e.number(), 1205);
    EXPECT_EQ(e.description(), "Unknown Product");
    EXPECT_EQ(map.Nodes()->Count(), 0) << "the flag stays set";
    map.Clear();
    EXPECT_EQ(errorOf([&] { map.GetNode("x"); }).number(), 1205);

    clsArrayLevel unconnected;
    gAdressLevel.reset();
    EXPECT_EQ(errorOf([&] { unconnected.Nodes(); }).number(), 1100);
}

}  // namespace

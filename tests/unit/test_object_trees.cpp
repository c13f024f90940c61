// The object tree of every shipped profile, kept whole as a listing under tests/data/trees
// (KV_UPDATE_LISTINGS=1 rewrites them), and the cells its objects name.
#include <sstream>

#include "ObjectFixture.h"
#include "util/Listing.h"

using namespace kvcom3;

namespace {

struct TreeCase {
    std::string profile;
    bool modbus;

    friend void PrintTo(const TreeCase& c, std::ostream* out) {
        *out << c.profile << (c.modbus ? " over Modbus" : "");
    }
};

// Every profile over KVBUS; platform 8 once more over Modbus, which adds the ModBus folder.
std::vector<TreeCase> treeCases() {
    std::vector<TreeCase> cases;
    for (const std::string& name : kvsim::Sensor::profileNames()) {
        cases.push_back({name, false});
        if (kvsim::Sensor::fromProfile(name)->platform() == 8) cases.push_back({name, true});
    }
    return cases;
}

std::string caseName(const ::testing::TestParamInfo<TreeCase>& info) {
    std::string name = info.param.profile + (info.param.modbus ? "_modbus" : "");
    for (char& c : name) {
        if (c == '-') c = '_';
    }
    return name;
}

// One line per object, indented by depth: key "name" as `kvtool tree` starts its lines, then
// what the object is made of.
void list(std::ostream& out, const kvObjectNodes& nodes, int depth) {
    for (const auto& n : nodes) {
        out << std::string(static_cast<std::size_t>(2 * depth), ' ') << n->Key() << " \""
            << n->Name() << '"';
        if (!n->ArrayNodeKey().empty()) out << " cell=" << n->ArrayNodeKey();
        if (!n->Unit().empty()) out << " unit=\"" << n->Unit() << '"';
        if (!n->Format().empty()) out << " format=\"" << n->Format() << '"';
        if (n->BitMask() != 0) out << " mask=" << n->BitMask();
        if (n->Enums()->Count() > 0) out << " enums=" << n->Enums()->Count();
        out << '\n';
        list(out, *n->Nodes(), depth + 1);
    }
}

class ObjectTrees : public ObjectFixture, public ::testing::WithParamInterface<TreeCase> {
  protected:
    void SetUp() override {
        ObjectFixture::SetUp();
        use(GetParam().profile, GetParam().modbus);
    }
};

}  // namespace

TEST_P(ObjectTrees, ListingIsUnchanged) {
    std::ostringstream listing;
    list(listing, *objects.Nodes(), 0);
    const std::string file =
        "trees/" + GetParam().profile + (GetParam().modbus ? "-modbus" : "") + ".txt";
    const std::string difference = kvtest::compareListing(file, listing.str());
    EXPECT_TRUE(difference.empty()) << difference;
}

TEST_P(ObjectTrees, EveryObjectNamesACellOfTheMap) {
    std::vector<std::string> missing;
    forEach(*objects.Nodes(), [&](const kvObjectNode& n) {
        if (n.ArrayNodeKey().empty()) return;
        if (errorOf([&] { gArrayLevel->GetNode(n.ArrayNodeKey()); }).number() != 0) {
            missing.push_back(n.Key() + " -> " + n.ArrayNodeKey());
        }
    });
    EXPECT_EQ(missing, std::vector<std::string>{});
}

// The sensor's own ABC target and samples are counts of its gas table, corrected by its span
// and zero, and so read as concentrations its CO2 channel (0-2000 ppm on every profile) can show.
TEST_P(ObjectTrees, AbcTargetAndSamplesReadWithinTheSpan) {
    if (!objects.GetNode("foCO2ABCTarget")) GTEST_SKIP() << "no ABC objects";
    for (const char* key : {"foCO2ABCTarget", "foCO2ABCSampleEE", "foCO2ABCSampleRAM"}) {
        const double ppm = node(key)->Value(true).toDouble();
        EXPECT_GE(ppm, 0) << key;
        EXPECT_LE(ppm, 2000) << key;
    }
}

INSTANTIATE_TEST_SUITE_P(EveryProfile, ObjectTrees, ::testing::ValuesIn(treeCases()), caseName);

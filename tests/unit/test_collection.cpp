#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "kvcom3/Collection.h"
#include "kvcom3/KvError.h"

using namespace kvcom3;

namespace {

struct Node {
    std::string name;
};
using Nodes = Collection<std::shared_ptr<Node>>;

std::shared_ptr<Node> node(std::string name) {
    return std::make_shared<Node>(Node{std::move(name)});
}

template <class F>
std::int32_t errorNumber(F&& action) {
    try {
        action();
    } catch (const KvError& e) {
        return e.number();
    }
    return 0;
}

std::vector<std::string> names(const Nodes& nodes) {
    std::vector<std::string> result;
    for (const auto& n : nodes) result.push_back(n->name);
    return result;
}

Nodes threeNodes() {
    Nodes nodes;
    nodes.Add(node("a"), "KeyA");
    nodes.Add(node("b"));
    nodes.Add(node("c"), "KeyC");
    return nodes;
}

}  // namespace

TEST(Collection, PositionsCountFromOne) {
    const Nodes nodes = threeNodes();
    EXPECT_EQ(nodes.Count(), 3);
    EXPECT_EQ(nodes.Item(1)->name, "a");
    EXPECT_EQ(nodes.Item(3)->name, "c");
    EXPECT_EQ(errorNumber([&] { nodes.Item(0); }), 5);
    EXPECT_EQ(errorNumber([&] { nodes.Item(4); }), 5);
    EXPECT_EQ(errorNumber([&] { nodes.Item(-1); }), 5);
    EXPECT_EQ(errorNumber([] { Nodes().Item(1); }), 5);
}

TEST(Collection, KeysIgnoreCase) {
    Nodes nodes;
    nodes.Add(node("first"), "Abc");
    EXPECT_EQ(nodes.Item("aBC")->name, "first");
    EXPECT_TRUE(nodes.Exists("ABC"));
    EXPECT_FALSE(nodes.Exists("Abd"));
    EXPECT_FALSE(nodes.Exists(""));
    EXPECT_EQ(errorNumber([&] { nodes.Item("Ab"); }), 5);
    EXPECT_EQ(errorNumber([&] { nodes.Item(""); }), 5);
}

TEST(Collection, DuplicateKeyIsRefusedAndChangesNothing) {
    Nodes nodes;
    nodes.Add(node("first"), "Abc");
    try {
        nodes.Add(node("second"), "aBC");
        FAIL() << "duplicate key accepted";
    } catch (const KvError& e) {
        EXPECT_EQ(e.number(), 457);
        EXPECT_EQ(e.description(), "Key is already associated with an element of this collection");
    }
    EXPECT_EQ(nodes.Count(), 1);
    EXPECT_EQ(nodes.Item("abc")->name, "first");
    nodes.Add(node("unkeyed"));
    nodes.Add(node("unkeyed too"), "");
    EXPECT_EQ(nodes.Count(), 3);
}

TEST(Collection, RemoveByPositionAndKeyRenumbers) {
    Nodes nodes = threeNodes();
    nodes.Remove("keya");
    EXPECT_EQ(names(nodes), (std::vector<std::string>{"b", "c"}));
    EXPECT_EQ(nodes.Item("KEYC")->name, "c");
    EXPECT_EQ(nodes.Item(2)->name, "c");
    EXPECT_FALSE(nodes.Exists("KeyA"));

    nodes.Remove(1);
    EXPECT_EQ(nodes.Item("KeyC")->name, "c");
    EXPECT_EQ(nodes.Item(1)->name, "c");
    EXPECT_EQ(errorNumber([&] { nodes.Remove(2); }), 5);
    EXPECT_EQ(errorNumber([&] { nodes.Remove("KeyA"); }), 5);
    EXPECT_EQ(nodes.Count(), 1);
}

TEST(Collection, RemovedKeyCanBeAddedAgainAtTheEnd) {
    Nodes nodes = threeNodes();
    nodes.Remove("KeyA");
    nodes.Add(node("a2"), "KEYA");
    EXPECT_EQ(names(nodes), (std::vector<std::string>{"b", "c", "a2"}));
    EXPECT_EQ(nodes.Item("keya")->name, "a2");
    EXPECT_EQ(nodes.Item(3)->name, "a2");
    EXPECT_EQ(nodes.Item("keyc")->name, "c");
}

TEST(Collection, IterationKeepsInsertionOrder) {
    Nodes nodes;
    for (const char* key : {"zeta", "alpha", "Mid", "beta"}) nodes.Add(node(key), key);
    EXPECT_EQ(names(nodes), (std::vector<std::string>{"zeta", "alpha", "Mid", "beta"}));
    nodes.Clear();
    EXPECT_EQ(nodes.Count(), 0);
    EXPECT_FALSE(nodes.Exists("alpha"));
    nodes.Add(node("again"), "ALPHA");
    EXPECT_EQ(nodes.Item("alpha")->name, "again");
}

TEST(Collection, IndexOrKeyGivenAsVariant) {
    Nodes nodes = threeNodes();
    EXPECT_EQ(nodes.Item(Variant("keyc"))->name, "c");
    EXPECT_EQ(nodes.Item(Variant(std::int16_t{2}))->name, "b");
    EXPECT_EQ(nodes.Item(Variant(1.5))->name, "b");  // positions round half to even
    EXPECT_EQ(errorNumber([&] { nodes.Item(Variant()); }), 5);
    EXPECT_EQ(errorNumber([&] { nodes.Item(Variant(true)); }), 5);
    EXPECT_EQ(errorNumber([&] { nodes.Item(Variant("3")); }), 5);  // text is always a key
    nodes.Remove(Variant("KeyA"));
    nodes.Remove(Variant(1));
    EXPECT_EQ(names(nodes), std::vector<std::string>{"c"});
}

TEST(Collection, CopiesAreIndependent) {
    Nodes original = threeNodes();
    Nodes copy = original;
    original.Remove("KeyA");
    copy.Add(node("d"), "KeyD");
    EXPECT_EQ(copy.Item("KeyA")->name, "a");
    EXPECT_EQ(copy.Item("keyc")->name, "c");
    EXPECT_FALSE(original.Exists("KeyD"));
    EXPECT_EQ(original.Item("keyc")->name, "c");

    Nodes moved = std::move(copy);
    moved.Remove(1);
    EXPECT_EQ(moved.Item("KEYD")->name, "d");
    EXPECT_EQ(moved.Item("keyc")->name, "c");
}

TEST(Collection, ThousandsOfKeysStayConsistentThroughRemovals) {
    Collection<int> numbers;
    constexpr int kCount = 5000;
    for (int i = 0; i < kCount; ++i) numbers.Add(i, "Key" + std::to_string(i));
    for (int i = 0; i < kCount; i += 2) numbers.Remove("KEY" + std::to_string(i));
    ASSERT_EQ(numbers.Count(), kCount / 2);
    for (long position = 1; position <= numbers.Count(); ++position) {
        const int value = numbers.Item(position);
        ASSERT_EQ(value, 2 * position - 1);
        ASSERT_EQ(numbers.Item("key" + std::to_string(value)), value);
    }
}

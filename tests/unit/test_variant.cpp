#include <gtest/gtest.h>

#include <memory>

#include "kvcom3/KvError.h"
#include "kvcom3/Variant.h"

using namespace kvcom3;

namespace {

struct Node : VariantObject {
    int id = 0;
};

template <class F>
std::int32_t errorNumber(F&& action) {
    try {
        action();
    } catch (const KvError& e) {
        return e.number();
    }
    return 0;
}

}  // namespace

TEST(Variant, KindFollowsTheConstructor) {
    EXPECT_EQ(Variant().kind(), VariantKind::Empty);
    EXPECT_TRUE(Variant().isEmpty());
    EXPECT_EQ(Variant(std::int16_t{1}).kind(), VariantKind::Integer);
    EXPECT_EQ(Variant(1).kind(), VariantKind::Long);
    EXPECT_EQ(Variant(1.0f).kind(), VariantKind::Single);
    EXPECT_EQ(Variant(1.0).kind(), VariantKind::Double);
    EXPECT_EQ(Variant("x").kind(), VariantKind::String);
    EXPECT_EQ(Variant(true).kind(), VariantKind::Boolean);
    EXPECT_EQ(Variant::boolean(VbTrue).kind(), VariantKind::Boolean);
    EXPECT_EQ(Variant(std::make_shared<Node>()).kind(), VariantKind::Object);
}

TEST(Variant, NumbersConvertWithClassicRounding) {
    EXPECT_EQ(Variant(2.5).toInteger(), 2);
    EXPECT_EQ(Variant(-3.5f).toLong(), -4);
    EXPECT_EQ(Variant(true).toDouble(), -1.0);
    EXPECT_EQ(Variant().toLong(), 0);
    EXPECT_EQ(Variant(std::int16_t{-7}).toSingle(), -7.0f);
    EXPECT_EQ(Variant(0.1f).toSingle(), 0.1f);
    EXPECT_EQ(errorNumber([] { Variant(32768).toInteger(); }), 6);
    EXPECT_EQ(errorNumber([] { Variant(2147483647.5).toLong(); }), 6);
    EXPECT_EQ(errorNumber([] { Variant(-1).toByte(); }), 6);
}

TEST(Variant, TextConvertsOnlyWhenNumeric) {
    EXPECT_EQ(Variant(" 12.5 ").toDouble(), 12.5);
    EXPECT_EQ(Variant("2.5").toInteger(), 2);
    EXPECT_EQ(Variant("&HFF").toLong(), 255);
    EXPECT_EQ(errorNumber([] { Variant("12abc").toDouble(); }), 13);
    EXPECT_EQ(errorNumber([] { Variant("").toLong(); }), 13);
    EXPECT_EQ(errorNumber([] { Variant("40000").toInteger(); }), 6);
    EXPECT_EQ(errorNumber([] { Variant(std::make_shared<Node>()).toDouble(); }), 13);
}

TEST(Variant, Booleans) {
    EXPECT_EQ(Variant(5).toBoolean(), VbTrue);
    EXPECT_EQ(Variant(0.0).toBoolean(), VbFalse);
    EXPECT_EQ(Variant().toBoolean(), VbFalse);
    EXPECT_EQ(Variant("tRUE").toBoolean(), VbTrue);
    EXPECT_EQ(Variant("False").toBoolean(), VbFalse);
    EXPECT_EQ(Variant("-1").toBoolean(), VbTrue);
    EXPECT_EQ(Variant::boolean(1).toString(), "True");
    EXPECT_EQ(errorNumber([] { Variant("yes").toBoolean(); }), 13);
}

TEST(Variant, ToStringWritesNumbersAsText) {
    EXPECT_EQ(Variant().toString(), "");
    EXPECT_EQ(Variant(std::int16_t{-32768}).toString(), "-32768");
    EXPECT_EQ(Variant(2147483647).toString(), "2147483647");
    EXPECT_EQ(Variant(0.1f).toString(), "0.1");
    EXPECT_EQ(Variant(0.1).toString(), "0.1");
    EXPECT_EQ(Variant(static_cast<double>(0.1f)).toString(), "0.100000001490116");
    EXPECT_EQ(Variant(false).toString(), "False");
    EXPECT_EQ(Variant("abc").toString(), "abc");
    EXPECT_EQ(errorNumber([] { Variant(std::make_shared<Node>()).toString(); }), 13);
}

TEST(Variant, ObjectsAreHeldByReference) {
    auto node = std::make_shared<Node>();
    node->id = 7;
    const Variant held(node);
    EXPECT_EQ(std::dynamic_pointer_cast<Node>(held.toObject())->id, 7);
    EXPECT_EQ(node.use_count(), 2);
    EXPECT_EQ(held, Variant(node));
    EXPECT_NE(held, Variant(std::make_shared<Node>()));
    EXPECT_EQ(errorNumber([] { Variant(1).toObject(); }), 13);
}

TEST(Variant, EqualityAcrossKinds) {
    EXPECT_EQ(Variant(std::int16_t{1}), Variant(1.0));
    EXPECT_EQ(Variant(true), Variant(-1));
    EXPECT_EQ(Variant(), Variant(0));
    EXPECT_EQ(Variant(), Variant(""));
    EXPECT_EQ(Variant(), Variant());
    EXPECT_EQ(Variant("Abc"), Variant("Abc"));
    EXPECT_NE(Variant("Abc"), Variant("abc"));
    EXPECT_NE(Variant("1"), Variant(1));
    EXPECT_NE(Variant(0.1f), Variant(0.1));
    EXPECT_NE(Variant(), Variant(std::make_shared<Node>()));
}

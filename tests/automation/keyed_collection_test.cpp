#include <gtest/gtest.h>

#include <string>

#include "base/AutomationError.h"
#include "automation/KeyedCollection.h"

namespace lorvane {
namespace {

TEST(KeyedCollectionTest, KeysAreExactAndTypeAware) {
    KeyedCollection c;
    c.Add(1, "number");
    c.Add("1", "text");
    c.Add("A01", "upper");
    c.Add("a01", "lower");
    c.Add(" A01", "blank");
    c.Add(true, "boolean");
    c.Add(Variant::date(1.0), "date");
    c.Add(Variant(), "empty");
    c.Add("", "empty text");
    EXPECT_EQ(c.Count(), 9u);
    EXPECT_EQ(c.Item(1).text(), "number");
    EXPECT_EQ(c.Item(1.0).text(), "number");
    EXPECT_EQ(c.Item("1").text(), "text");
    EXPECT_EQ(c.Item("a01").text(), "lower");
    EXPECT_EQ(c.Item(true).text(), "boolean");
    EXPECT_EQ(c.Item(Variant::date(1.0)).text(), "date");
    EXPECT_EQ(c.Item(Variant()).text(), "empty");
    EXPECT_EQ(c.Item("").text(), "empty text");
    EXPECT_FALSE(c.Exists("01"));
    EXPECT_FALSE(c.Exists(1.0000001));
    EXPECT_EQ(c.Count(), 9u);
}

TEST(KeyedCollectionTest, NegativeZeroIsZero) {
    KeyedCollection c;
    c.Add(0.0, "zero");
    EXPECT_TRUE(c.Exists(-0.0));
    EXPECT_THROW(c.Add(-0.0, "again"), AutomationError);
}

TEST(KeyedCollectionTest, AddingAKeyTwiceFailsAndKeepsTheFirstItem) {
    KeyedCollection c;
    c.Add("k", 1);
    try {
        c.Add("k", 2);
        FAIL() << "no error";
    } catch (const AutomationError& e) {
        EXPECT_EQ(e.number(), errc::kKeyExists);
        EXPECT_FALSE(e.description().empty());
    }
    EXPECT_EQ(c.Count(), 1u);
    EXPECT_EQ(c.Item("k"), Variant(1));
}

TEST(KeyedCollectionTest, ReadingAMissingItemAddsIt) {
    KeyedCollection c;
    EXPECT_EQ(c.Find("x"), nullptr);
    EXPECT_TRUE(c.Item("x").isEmpty());
    EXPECT_TRUE(c.Exists("x"));
    EXPECT_EQ(c.Count(), 1u);
    c.Item("x") = Variant("row 2");
    c.SetItem("y", 3);
    c.SetItem("x", "row 2,5");
    ASSERT_NE(c.Find("x"), nullptr);
    EXPECT_EQ(*c.Find("x"), Variant("row 2,5"));
    EXPECT_EQ(c.Keys(), (std::vector<Variant>{"x", "y"}));
    EXPECT_EQ(c.Items(), (std::vector<Variant>{"row 2,5", 3}));
}

TEST(KeyedCollectionTest, ItemReferencesStayValidWhileKeysAreAdded) {
    KeyedCollection c;
    Variant& first = c.Item("first");
    for (int i = 0; i < 10000; ++i) c.Add(i, i);
    first = Variant("kept");
    EXPECT_EQ(c.Item("first"), Variant("kept"));
}

TEST(KeyedCollectionTest, RemoveAllEmptiesAndAllowsReuse) {
    KeyedCollection c;
    c.Add("a", 1);
    c.Add("b", 2);
    c.RemoveAll();
    EXPECT_EQ(c.Count(), 0u);
    EXPECT_FALSE(c.Exists("a"));
    EXPECT_TRUE(c.Keys().empty());
    c.Add("b", 3);
    EXPECT_EQ(c.Keys(), (std::vector<Variant>{"b"}));
}

TEST(KeyedCollectionTest, AMillionKeysKeepTheirOrder) {
    constexpr int kCount = 1000000;
    KeyedCollection c;
    // Numbers and their texts interleaved, the texts in an order unlike their sort order.
    for (int i = 0; i < kCount / 2; ++i) {
        const int n = static_cast<int>(i * 7919LL % (kCount / 2));
        c.Add(n, i);
        c.Add(std::to_string(n), -i);
    }
    ASSERT_EQ(c.Count(), static_cast<size_t>(kCount));
    const std::vector<Variant> keys = c.Keys();
    ASSERT_EQ(keys.size(), static_cast<size_t>(kCount));
    for (int i = 0; i < kCount / 2; ++i) {
        const int n = static_cast<int>(i * 7919LL % (kCount / 2));
        ASSERT_EQ(keys[2 * i], Variant(n));
        ASSERT_EQ(keys[2 * i + 1], Variant(std::to_string(n)));
        ASSERT_EQ(*c.Find(n), Variant(i));
        ASSERT_EQ(*c.Find(std::to_string(n)), Variant(-i));
    }
    EXPECT_FALSE(c.Exists(kCount));
    EXPECT_FALSE(c.Exists(std::to_string(kCount)));
}

}  // namespace
}  // namespace lorvane

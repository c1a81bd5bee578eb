#include "orlo/Utils/UTable.h"

#include <gtest/gtest.h>

#include <string>

using orlo::UString;
using orlo::UTable;

namespace {

using CountTable = UTable<UString, unsigned int>;

TEST(UTable, HashXorsBytesAtRotatingShifts) {
    struct Case {
        const char* key;
        uint32_t hash;
    };
    const Case cases[] = {
        {"", 0},
        {"a", 0x61},
        {"ab", 0x61 ^ (0x62 << 8)},
        {"abcd", 0x61 ^ (0x62 << 8) ^ (0x63 << 16) ^ (0x64u << 24)},
        {"abcde", (0x61 ^ 0x65) ^ (0x62 << 8) ^ (0x63 << 16) ^ (0x64u << 24)},
        {"\xff", 0xff},
    };
    for (const Case& c : cases)
        EXPECT_EQ(orlo::HashKey(UString(c.key)), c.hash) << c.key;
    EXPECT_EQ(orlo::HashKey(UString()), 0u);
}

TEST(UTable, BucketsDoubleWhenTheyFallBelowTheNodes) {
    CountTable table(64);
    EXPECT_EQ(table.GetHashSize(), 64);
    for (uint32_t i = 0; i < 64; ++i)
        ASSERT_TRUE(table.Add(UString(i), i));
    EXPECT_EQ(table.GetHashSize(), 64);
    ASSERT_TRUE(table.Add(UString(64u), 64));
    EXPECT_EQ(table.GetHashSize(), 128);
    for (uint32_t i = 0; i <= 64; ++i) {
        const unsigned int* value = table.Find(UString(i));
        ASSERT_NE(value, nullptr) << i;
        EXPECT_EQ(*value, i);
    }
}

TEST(UTable, BucketCountsRoundUpToPowersOfTwo) {
    struct Case {
        int32_t asked;
        int32_t size;
    };
    const Case cases[] = {{1, 1}, {3, 4}, {64, 64}, {65, 128}};
    for (const Case& c : cases)
        EXPECT_EQ(CountTable(c.asked).GetHashSize(), c.size) << c.asked;
}

TEST(UTable, ADuplicateKeyIsRefusedAndTheFirstValueStays) {
    CountTable table(64);
    EXPECT_TRUE(table.Add("bone", 1));
    EXPECT_FALSE(table.Add("bone", 2));
    EXPECT_EQ(*table.Find("bone"), 1u);
    EXPECT_EQ(table.Num(), 1);
}

TEST(UTable, LookupsMissInEmptyTablesAndForStoragelessKeys) {
    CountTable table(64);
    EXPECT_EQ(table.Find("anything"), nullptr);
    EXPECT_FALSE(table.Contains(UString()));

    EXPECT_TRUE(table.Add(UString(), 7));      // a storage-less key can be stored...
    EXPECT_EQ(table.Find(UString()), nullptr); // ...but never found
    EXPECT_TRUE(table.Add(UString(""), 8));
    EXPECT_EQ(*table.Find(UString("")), 8u);
    EXPECT_FALSE(table.Contains("missing"));
}

TEST(UTable, NodesKeepInsertionOrderThroughRebuilds) {
    UTable<UString, UString> table(1);
    for (uint32_t i = 0; i < 1000; ++i)
        ASSERT_TRUE(table.Add(UString(i * 7919u), UString("value ") + UString(i)));
    EXPECT_EQ(table.GetHashSize(), 1024);
    const auto& nodes = table.GetNodes();
    ASSERT_EQ(nodes.Num(), 1000);
    for (int32_t i = 0; i < 1000; ++i) {
        EXPECT_EQ(nodes[i].key, UString(uint32_t(i) * 7919u));
        const UString* value = table.Find(nodes[i].key);
        ASSERT_NE(value, nullptr);
        EXPECT_EQ(*value, UString("value ") + UString(uint32_t(i)));
    }
}

TEST(UTable, ChainsListLaterNodesFirst) {
    // "a" and "e" XOR to distinct hashes that share bucket 1 of 4.
    CountTable table(4);
    ASSERT_EQ(orlo::HashKey("a") & 3u, orlo::HashKey("e") & 3u);
    table.Add("a", 1);
    table.Add("e", 2);
    const auto& nodes = table.GetNodes();
    EXPECT_EQ(nodes[1].next, 0);
    EXPECT_EQ(nodes[0].next, -1);
    EXPECT_EQ(*table.Find("a"), 1u);
    EXPECT_EQ(*table.Find("e"), 2u);
}

} // namespace

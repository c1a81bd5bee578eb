#include "KitsFixture.h"

#include "merrow/Platform/3dsmax/HObject.h"

using merrow::platform_3dsmax::HObject;

// The hash is the reflected CRC-32 of the value's four low bytes, least
// significant first (reference values from Python's zlib.crc32).
TEST(HObjectTest, HashIsCrc32OfFourLowBytesLeastSignificantFirst) {
    struct Case {
        uint32_t value;
        uint32_t crc;
    } cases[] = {
        {0x00000000u, 0x2144DF1Cu}, {0x00000001u, 0x99F8B879u}, {0x12345678u, 0xAF6D87D2u},
        {0xFFFFFFFFu, 0xFFFFFFFFu}, {0x00ABCDEFu, 0x7BDCEE43u},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(HObject::Hash(c.value), c.crc) << std::hex << c.value;
        EXPECT_EQ(HObject::FromIndex(c.value).GetHash(), c.crc);
    }
    // Only the low four bytes of a wider pointer count.
    if (sizeof(uintptr_t) > 4) {
        EXPECT_EQ(HObject::Hash(uintptr_t(0x12345678u) | (uintptr_t(0xABu) << (sizeof(uintptr_t) * 8 - 8))),
                  0xAF6D87D2u);
    }
}

TEST(HObjectTest, EmptyHandleHasEveryFieldZeroAndIsInvalid) {
    HObject empty;
    EXPECT_EQ(empty.GetPointer(), 0u);
    EXPECT_EQ(empty.GetKind(), HObject::KIND_EMPTY);
    EXPECT_EQ(empty.GetHash(), 0u);
    EXPECT_FALSE(empty.IsValid());
    EXPECT_EQ(empty.GetNode(), nullptr);
    EXPECT_EQ(empty.GetMaterial(), nullptr);
}

TEST(HObjectTest, ValidityDependsOnKind) {
    EXPECT_TRUE(HObject::FromIndex(0).IsValid());
    EXPECT_TRUE(HObject::FromIndex(0xFFFFFFFEu).IsValid());
    EXPECT_FALSE(HObject::FromIndex(0xFFFFFFFFu).IsValid());
    EXPECT_FALSE(HObject::FromNode(nullptr).IsValid());
    EXPECT_EQ(HObject::FromNode(nullptr).GetKind(), HObject::KIND_NODE);
    EXPECT_EQ(HObject::FromNode(nullptr).GetHash(), 0x2144DF1Cu);
    EXPECT_FALSE(HObject::FromMaterial(nullptr).IsValid());
}

TEST_F(KitsTest, HandlesCompareKindAndNodeOnly) {
    INode* a = NewMeshNode("a");
    INode* b = NewMeshNode("b");
    EXPECT_TRUE(Handle(a) == Handle(a));
    EXPECT_FALSE(Handle(a) == Handle(b));
    EXPECT_EQ(Handle(a).GetNode(), a);
    EXPECT_EQ(Handle(a).GetHash(), HObject::Hash(reinterpret_cast<uintptr_t>(a)));
    // Material and index handles have no node: equal by kind alone.
    EXPECT_TRUE(HObject::FromIndex(1) == HObject::FromIndex(2));
    EXPECT_FALSE(HObject::FromIndex(1) == Handle(a));
    // Copies are field by field.
    HObject copy = Handle(a);
    EXPECT_EQ(copy.GetPointer(), reinterpret_cast<uintptr_t>(a));
    EXPECT_EQ(copy.GetHash(), Handle(a).GetHash());
}

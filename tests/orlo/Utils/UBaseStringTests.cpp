#include "orlo/Utils/UBaseString.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using orlo::UString;

namespace {

TEST(UBaseString, DefaultStringHasNoStorageAndReadsEmpty) {
    UString text;
    EXPECT_EQ(text.Num(), 0);
    EXPECT_EQ(text.Max(), 0);
    EXPECT_EQ(text.GetData(), nullptr);
    EXPECT_STREQ(text.c_str(), "");
    EXPECT_EQ(text.Length(), 0);

    UString fromNull(static_cast<const char*>(nullptr));
    EXPECT_EQ(fromNull.Num(), 0);
    EXPECT_EQ(fromNull.GetData(), nullptr);
}

TEST(UBaseString, ConstructionCountsTheTerminator) {
    struct Case {
        const char* text;
        int32_t num;
        int32_t max;
    };
    std::string long63(63, 'x');
    std::string long64(64, 'y');
    const Case cases[] = {{"", 1, 64}, {"abc", 4, 64}, {long63.c_str(), 64, 64}, {long64.c_str(), 65, 128}};
    for (const Case& c : cases) {
        UString text(c.text);
        EXPECT_EQ(text.Num(), c.num) << c.text;
        EXPECT_EQ(text.Max(), c.max) << c.text;
        EXPECT_STREQ(text.c_str(), c.text);
        EXPECT_EQ(text[text.Num() - 1], 0);
    }
}

TEST(UBaseString, ConstructionFromNumbersWritesDecimalDigits) {
    struct Case {
        uint32_t number;
        const char* text;
    };
    const Case cases[] = {{0, "0"}, {7, "7"}, {10, "10"}, {1000000, "1000000"}, {4294967295u, "4294967295"}};
    for (const Case& c : cases) {
        UString text(c.number);
        EXPECT_STREQ(text.c_str(), c.text);
        EXPECT_EQ(text.Num(), int32_t(strlen(c.text)) + 1);
    }
}

TEST(UBaseString, AssignmentCopiesTextAndIgnoresNullAndItsOwnText) {
    UString text;
    text = "";
    EXPECT_EQ(text.Num(), 1);
    EXPECT_STREQ(text.c_str(), "");

    text = "hello";
    EXPECT_EQ(text.Num(), 6);
    const unsigned char* storage = text.GetData();
    text = static_cast<const char*>(nullptr);
    EXPECT_STREQ(text.c_str(), "hello");
    text = text.c_str();
    EXPECT_STREQ(text.c_str(), "hello");
    EXPECT_EQ(text.GetData(), storage);

    // A text inside the string's own storage, but not its start.
    text = text.c_str() + 2;
    EXPECT_STREQ(text.c_str(), "llo");
    EXPECT_EQ(text.Num(), 4);
}

TEST(UBaseString, AssignmentGrowsAndShrinksLikeTheArray) {
    UString text;
    std::string big(300, 'a');
    text = big.c_str();
    EXPECT_EQ(text.Num(), 301);
    EXPECT_EQ(text.Max(), 320);
    text = std::string(200, 'b').c_str(); // 2 * 201 rounds to 448: keeps 320
    EXPECT_EQ(text.Max(), 320);
    text = "short"; // 2 * 6 rounds to 64
    EXPECT_EQ(text.Num(), 6);
    EXPECT_EQ(text.Max(), 64);
    EXPECT_STREQ(text.c_str(), "short");
    text = std::string(100, 'c').c_str(); // grows from count 6: max(12, 101) -> 128
    EXPECT_EQ(text.Max(), 128);
    EXPECT_EQ(std::string(text.c_str()), std::string(100, 'c'));
}

TEST(UBaseString, AppendingOverwritesTheTerminator) {
    UString text;
    text += "abc";
    EXPECT_EQ(text.Num(), 4);
    EXPECT_STREQ(text.c_str(), "abc");
    text += "de";
    EXPECT_EQ(text.Num(), 6);
    EXPECT_STREQ(text.c_str(), "abcde");
    text += static_cast<const char*>(nullptr);
    EXPECT_EQ(text.Num(), 6);
    text += "";
    EXPECT_EQ(text.Num(), 6);
    text += 4294967295u;
    EXPECT_STREQ(text.c_str(), "abcde4294967295");
    text += UString("!");
    EXPECT_STREQ(text.c_str(), "abcde4294967295!");

    UString empty;
    empty += "";
    EXPECT_EQ(empty.Num(), 1);
    EXPECT_STREQ(empty.c_str(), "");
}

TEST(UBaseString, AppendingItsOwnTextWhileGrowing) {
    UString text(std::string(60, 'z').c_str());
    text += text.c_str(); // the storage moves during the call
    EXPECT_EQ(text.Num(), 121);
    EXPECT_EQ(std::string(text.c_str()), std::string(120, 'z'));
    text += text;
    EXPECT_EQ(std::string(text.c_str()), std::string(240, 'z'));
}

TEST(UBaseString, ConcatenationLeavesTheOperandsAlone) {
    UString left("ab");
    UString right("cd");
    EXPECT_STREQ((left + "x").c_str(), "abx");
    EXPECT_STREQ((left + right).c_str(), "abcd");
    EXPECT_STREQ(("x" + right).c_str(), "xcd");
    EXPECT_STREQ((UString() + "").c_str(), "");
    EXPECT_STREQ(left.c_str(), "ab");
    EXPECT_STREQ(right.c_str(), "cd");
}

TEST(UBaseString, EqualityComparesBytes) {
    EXPECT_TRUE(UString("abc") == UString("abc"));
    EXPECT_FALSE(UString("abc") == UString("abd"));
    EXPECT_FALSE(UString("abc") == UString("ab"));
    EXPECT_TRUE(UString("\xe9t\xe9") == "\xe9t\xe9");
    EXPECT_TRUE(UString() == UString("")); // both read as the empty text
    EXPECT_TRUE(UString() == static_cast<const char*>(nullptr));
}

TEST(UBaseString, CopiesAreIndependent) {
    UString original("shared");
    UString copy(original);
    copy += "!";
    EXPECT_STREQ(original.c_str(), "shared");
    EXPECT_STREQ(copy.c_str(), "shared!");
    UString assigned;
    assigned = original;
    EXPECT_NE(assigned.GetData(), original.GetData());
    assigned = UString();
    EXPECT_EQ(assigned.Num(), 0);
}

} // namespace

// Text from a pointer and a length: the bytes need no terminator, a zero byte
// among them ends the text, and a piece of the string itself may be taken.
TEST(UBaseString, AssignBytesTakesTextUpToItsLengthOrAZero) {
    struct Case {
        const char* name;
        const char* bytes;
        size_t length;
        const char* text;
    };
    const Case cases[] = {
        {"part of a longer text", "mesh 0 {", 4, "mesh"},
        {"nothing", "abc", 0, ""},
        {"a zero among the bytes", "ab\0cd", 5, "ab"},
        {"the whole text", "abc", 3, "abc"},
    };
    for (const Case& c : cases) {
        UString text = UString::FromBytes(c.bytes, c.length);
        EXPECT_STREQ(text.c_str(), c.text) << c.name;
        EXPECT_EQ(text.Num(), int32_t(strlen(c.text)) + 1) << c.name << ": an assigned string counts its terminator";
    }

    UString own("version 1");
    own.AssignBytes(own.c_str() + 8, 1);
    EXPECT_STREQ(own.c_str(), "1");
    own = "short";
    own.AssignBytes("a longer text", 13);
    EXPECT_STREQ(own.c_str(), "a longer text");
}

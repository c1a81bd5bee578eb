#include "orlo/Utils/UList.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "orlo/Utils/UBaseString.h"

using orlo::UList;
using orlo::UString;

namespace {

std::vector<std::string> Forward(const UList<UString>& list) {
    std::vector<std::string> values;
    for (auto* node = list.GetFirst(); node != nullptr; node = node->next)
        values.push_back(node->value.c_str());
    return values;
}

std::vector<std::string> Backward(const UList<UString>& list) {
    std::vector<std::string> values;
    for (auto* node = list.GetLast(); node != nullptr; node = node->prev)
        values.insert(values.begin(), node->value.c_str());
    return values;
}

TEST(UList, AppendingLinksAfterTheLastNode) {
    UList<UString> list;
    EXPECT_EQ(list.Num(), 0);
    EXPECT_EQ(list.GetFirst(), nullptr);
    list.AddTail("a");
    EXPECT_EQ(list.GetFirst(), list.GetLast());
    list.AddTail("b");
    list.AddTail("c");
    EXPECT_EQ(list.Num(), 3);
    EXPECT_EQ(Forward(list), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(Backward(list), Forward(list));
}

TEST(UList, RemovingTheLastNodeUnlinksIt) {
    UList<UString> list;
    EXPECT_FALSE(list.RemoveTail());
    list.AddTail("a");
    list.AddTail("b");
    EXPECT_TRUE(list.RemoveTail());
    EXPECT_EQ(list.Num(), 1);
    EXPECT_EQ(list.GetLast()->next, nullptr);
    EXPECT_EQ(Forward(list), std::vector<std::string>{"a"});
    EXPECT_TRUE(list.RemoveTail());
    EXPECT_EQ(list.GetFirst(), nullptr);
    EXPECT_EQ(list.GetLast(), nullptr);
    EXPECT_EQ(list.Num(), 0);
    EXPECT_FALSE(list.RemoveTail());
    list.AddTail("again");
    EXPECT_EQ(Forward(list), std::vector<std::string>{"again"});
}

TEST(UList, CopiesHoldTheirOwnValues) {
    UList<UString> list;
    list.AddTail("x");
    list.AddTail("y");
    UList<UString> copy(list);
    copy.GetFirst()->value = "changed";
    EXPECT_EQ(Forward(list), (std::vector<std::string>{"x", "y"}));
    EXPECT_EQ(Forward(copy), (std::vector<std::string>{"changed", "y"}));
    copy = list;
    EXPECT_EQ(Forward(copy), Forward(list));
}

} // namespace

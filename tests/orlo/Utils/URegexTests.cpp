#include "orlo/Utils/URegex.h"

#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "RegexEngineAccess.h"

using orlo::ErrorDescription;
using orlo::URegex;
using orlo::UString;

namespace {

struct Match {
    int32_t position;
    int32_t length;
};

Match SearchIn(URegex<unsigned char>& regex, const std::string& text, size_t start = 0) {
    const unsigned char* begin = reinterpret_cast<const unsigned char*>(text.data());
    int32_t position = regex.Search(begin, begin + text.size(), begin + start);
    return {position, position >= 0 ? regex.GetMatchLength() : -1};
}

namespace engine = regex_engine_access;

TEST(URegex, CompileErrorCarriesEngineMessageAndHistory) {
    try {
        URegex<unsigned char> regex(UString("(ab"));
        FAIL() << "an unbalanced parenthesis compiled";
    } catch (const ErrorDescription& error) {
        EXPECT_STREQ(error.GetMessageText(), engine::ErrorMessage(engine::UnmatchedParenthesisCode()).c_str());
        EXPECT_STREQ(error.GetHistory(),
                     "orlo::URegex<unsigned char>::CreateOnigRegex() <- orlo::URegex<unsigned char>::URegex()");
        EXPECT_STREQ(error.GetFile(), "orlo/Utils/URegex");
    }
}

struct SearchCase {
    const char* pattern;
    const char* text;
    int32_t position;
    int32_t length;
};

// A failing row shows its pattern and text, not the bytes of the struct.
void PrintTo(const SearchCase& c, std::ostream* out) {
    *out << "pattern " << testing::PrintToString(c.pattern) << " over " << testing::PrintToString(c.text);
}

class URegexSearch : public testing::TestWithParam<SearchCase> {};

TEST_P(URegexSearch, FindsWhatRubySyntaxMeans) {
    const SearchCase& c = GetParam();
    URegex<unsigned char> regex{UString(c.pattern)};
    Match match = SearchIn(regex, c.text);
    EXPECT_EQ(match.position, c.position) << c.pattern;
    EXPECT_EQ(match.length, c.length) << c.pattern;
}

INSTANTIATE_TEST_SUITE_P(Cases, URegexSearch,
                         testing::Values(
                             // (?m): a dot crosses a line feed; without it, it stops there and $ matches before it.
                             SearchCase{"(?m)a.b", "xa\nb", 1, 3}, SearchCase{"a.b", "xa\nb", -1, -1},
                             SearchCase{"a.*$", "a12\nz", 0, 3}, SearchCase{"(?m)a.*", "a12\nz", 0, 5},
                             // Extended mode ignores tabs and comments.
                             SearchCase{"(?x)a\t\tb(?# comment)", "ab", 0, 2},
                             // Recursion by a numbered call.
                             SearchCase{"(\\{(?:[^{}]|\\g<1>)*\\})", "x{a{b}c}y", 1, 7},
                             // Look-behind, look-ahead and the text anchors.
                             SearchCase{"(?<=\\A\\{).*(?=\\}\\Z)", "{abc}", 1, 3},
                             SearchCase{"\\A[^-].+", "-ab", -1, -1},
                             // Lazy repetition.
                             SearchCase{"a.*?b", "aXbYb", 0, 3},
                             // Bytes above 127 are characters of their own in the ASCII encoding.
                             SearchCase{"\xE9+", "a\xE9\xE9z", 1, 2}));

TEST(URegex, PatternIsTheVisibleTextWithoutTerminator) {
    URegex<unsigned char> visible{UString("abc")};
    EXPECT_EQ(SearchIn(visible, "xxabcx").position, 2);
    EXPECT_EQ(visible.GetMatchLength(), 3);

    // A default string and an assigned empty one both compile the empty pattern.
    UString assignedEmpty;
    assignedEmpty = "";
    const UString noStorage;
    for (const UString* pattern : {&noStorage, static_cast<const UString*>(&assignedEmpty)}) {
        URegex<unsigned char> empty(*pattern);
        Match match = SearchIn(empty, "abc", 1);
        EXPECT_EQ(match.position, 1);
        EXPECT_EQ(match.length, 0);
    }
}

TEST(URegex, SecondSearchOverwritesTheRegion) {
    URegex<unsigned char> regex{UString("a+")};
    Match first = SearchIn(regex, "aaa b a");
    EXPECT_EQ(first.position, 0);
    EXPECT_EQ(first.length, 3);
    Match second = SearchIn(regex, "aaa b a", 3);
    EXPECT_EQ(second.position, 6);
    EXPECT_EQ(second.length, 1);
}

TEST(URegex, RetryLimitGrowsWithTheBytesSearched) {
    EXPECT_EQ(URegex<unsigned char>::GetRetryLimit(0), 10000000u);
    EXPECT_EQ(URegex<unsigned char>::GetRetryLimit(1250000), 10000000u);
    EXPECT_EQ(URegex<unsigned char>::GetRetryLimit(1250001), 10000008u);
    EXPECT_EQ(URegex<unsigned char>::GetRetryLimit(12000000), 96000000u);
}

TEST(URegex, LongValidTextNeedingMoreRetriesThanTheMinimumIsFound) {
    // Five retries per byte (four alternatives fail before the a): 12.5 million
    // for this text, beyond the minimum, within eight per byte.
    std::string text(2500000, 'a');
    text += 'b';
    URegex<unsigned char> regex{UString("\\A(?:v|w|x|y|z|a)*b")};
    Match match = SearchIn(regex, text);
    EXPECT_EQ(match.position, 0);
    EXPECT_EQ(match.length, int32_t(text.size()));
}

TEST(URegex, BlockThatNeverClosesEndsWithTheRetryError) {
    // Each quoted string in the open block matches two ways (as a string or
    // byte by byte): without a limit the engine tries all 2^40 combinations.
    std::string text = "{";
    for (int i = 0; i < 40; ++i)
        text += "\"m\" ";
    text += "{ }";
    URegex<unsigned char> regex{UString("(\"[^\"]*\")|(\\{(?:\\g<1>|[^{}]|\\g<2>)*\\})")};
    try {
        SearchIn(regex, text);
        ADD_FAILURE() << "a search with no end in sight came back";
    } catch (const ErrorDescription& error) {
        const std::string expected = "Search gave up after 10000000 retries in " + std::to_string(text.size()) +
                                     " bytes: the text is probably damaged (a brace or a quote that never closes).";
        EXPECT_EQ(error.GetMessageText(), expected);
        EXPECT_STREQ(error.GetHistory(), "orlo::URegex<unsigned char>::Search()");
    }
}

TEST(URegex, EngineFailureInsideSearchRaises) {
    unsigned int previous = engine::GetMatchStackLimit();
    engine::SetMatchStackLimit(1000);
    std::string block = "{";
    for (int i = 0; i < 2000; ++i)
        block += "x ";
    block += "}";
    try {
        URegex<unsigned char> regex{UString("(\\{(?:[^{}]|\\g<1>)*\\})")};
        SearchIn(regex, block);
        ADD_FAILURE() << "the search passed over the engine's failure";
    } catch (const ErrorDescription& error) {
        EXPECT_STREQ(error.GetMessageText(), engine::ErrorMessage(engine::MatchStackLimitCode()).c_str());
        EXPECT_STREQ(error.GetHistory(), "orlo::URegex<unsigned char>::Search()");
    }
    engine::SetMatchStackLimit(previous);
}

} // namespace

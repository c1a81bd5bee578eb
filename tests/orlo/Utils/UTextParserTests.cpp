#include "orlo/Utils/UTextParser.h"

#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "orlo/CoreServices/Implementations/UInputStream_Memory.h"
#include "orlo/Utils/TextParserPolicy_BlockSyntax.h"
#include "orlo/Utils/TextParserPolicy_CommandLineSyntax.h"

using namespace orlo;

namespace {

using BlockParser = UTextParser<TextParserPolicy_ParseString, TextParserPolicy_BlockSyntax>;
using CommandLineParser = UTextParser<TextParserPolicy_ParseString, TextParserPolicy_CommandLineSyntax>;
using StreamParser = UTextParser<TextParserPolicy_ParseStream<unsigned char>, TextParserPolicy_BlockSyntax>;

UString Text(const std::string& text) {
    return UString(text.c_str());
}

template <class P>
std::vector<std::string> InnerTexts(P& parser) {
    std::vector<std::string> tokens;
    UString token;
    while (parser.HasToken()) {
        parser.ReadString(token);
        tokens.push_back(token.c_str());
    }
    return tokens;
}

std::vector<int> ToVector(const UArray<int>& table) {
    return std::vector<int>(table.GetData(), table.GetData() + table.Num());
}

UString PeekCopy(const unsigned char* begin, int32_t length) {
    return UString(std::string(reinterpret_cast<const char*>(begin), size_t(length)).c_str());
}

// The four patterns written out a second time, each \t one tab: what the
// tokenizer compiles must be these bytes exactly.
const char* const kBlockMainPattern =
    "(?mx)\t\t\t\t\t(?# case sensitive, multiline, extended)\t\t\t\t\t\t\t(\t\t\t\t\t\t\t\t\t\t\t\t\t"
    "\t\t\t\t\t\t\t\t\t\t\"[^\"]*\"\t\t(?# match everything enclosed by quotes)\t\t\t\t\t\t\t)\t\t\t\t"
    "\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t|\t\t\t\t\t(?# or)\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t(\t\t\t\t\t"
    "\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\\{\t\t\t\t(?# match curly brace)\t\t\t\t\t\t\t\t\t\t\t\t\t("
    "?:\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\\g<1>\t\t(?# match everything enclosed by quote"
    "s)\t\t\t\t\t\t\t\t\t|\t\t\t(?# or)\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t[^\\{\\}]\t(?# match every"
    "thing anything except curly braces)\t\t\t\t\t\t\t|\t\t\t(?# or)\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t"
    "\t\\g<2>\t\t(?# match block recursively)\t\t\t\t\t\t\t\t\t\t\t)*\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t"
    "\t\t\t\t\t\t\\}\t\t\t\t(?# match curly brace)\t\t\t\t\t\t\t\t\t\t\t\t)\t\t\t\t\t\t\t\t\t\t\t\t\t"
    "\t\t\t\t\t\t\t\t\t|\t\t\t\t\t(?# or)\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t[^\\s\"\\{\\}]+\t\t(?# match"
    " non-whitespace/quotes/curly braces)\t\t\t\t\t";
const char* const kBlockRefinementPattern = "(?m)(?<=\\A\\{).*(?=\\}\\Z)|(?<=\\A\").*(?=\"\\Z)|\\A[^\\{\"].*";
const char* const kCommandLineMainPattern =
    "(?x)\t\t\t\t\t(?# case sensitive, single line, extended)\t\t\t\t\t\t\t(\t\t\t\t\t\t\t\t\t\t\t\t\t"
    "\t\t\t\t\t\t\t\t\t\t\"[^\"]*\"\t\t(?# match everything enclosed by quotes)\t\t\t\t\t\t\t)\t\t\t\t"
    "\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t|\t\t\t\t\t(?# or)\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t(?:\t\t\t\t"
    "\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t-\t\t\t\t(?# match dash)\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t(?:\t"
    "\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\\g<1>\t\t(?# match everything enclosed by quotes)\t"
    "\t\t\t\t\t\t\t\t|\t\t\t(?# or)\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t.\t\t\t(?# match any character"
    ")\t\t\t\t\t\t\t\t\t\t\t\t)*?\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t(?:\t\t\t\t\t\t\t\t\t\t\t"
    "\t\t\t\t\t\t\t\t\t\t\t\t(?=\\s-)\t(?# if lookahead matches a whitespace and a dash)\t\t\t\t\t\t\t"
    "|\t\t\t(?# or)\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t$\t\t\t(?# match end of string - multiline)\t\t"
    "\t\t\t\t\t\t\t)\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t)\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t"
    "\t\t\t|\t\t\t\t\t(?# or)\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t[^\\s]+\t\t\t\t(?# match non-whitespace)"
    "\t\t\t\t\t\t\t\t\t\t";
const char* const kCommandLineRefinementPattern = "(?:(?<=-)|(?=\\A[^-])).+";

// The first byte where a stored pattern parts from the expected one, with the
// text around it, or "" when they are equal.
std::string PatternDifference(const std::string& expected, const std::string& actual) {
    size_t at = 0;
    while (at < expected.size() && at < actual.size() && expected[at] == actual[at])
        ++at;
    if (at == expected.size() && at == actual.size())
        return "";
    auto around = [at](const std::string& text) {
        size_t begin = at < 20 ? 0 : at - 20;
        return testing::PrintToString(text.substr(begin, 40));
    };
    return "byte " + std::to_string(at) + " of " + std::to_string(expected.size()) + ": expected ..." +
           around(expected) + "..., stored ..." + around(actual) + "...";
}

TEST(UTextParser, PatternsAreStoredByteForByte) {
    struct Case {
        const char* label;
        const char* stored;
        const char* expected;
    };
    const Case cases[] = {
        {"block syntax, main", TextParserPolicy_BlockSyntax::MAIN_PATTERN, kBlockMainPattern},
        {"block syntax, refinement", TextParserPolicy_BlockSyntax::REFINEMENT_PATTERN, kBlockRefinementPattern},
        {"command line, main", TextParserPolicy_CommandLineSyntax::MAIN_PATTERN, kCommandLineMainPattern},
        {"command line, refinement", TextParserPolicy_CommandLineSyntax::REFINEMENT_PATTERN,
         kCommandLineRefinementPattern},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PatternDifference(c.expected, c.stored), "") << c.label;
    EXPECT_EQ(strlen(kBlockMainPattern), 684u);
    EXPECT_EQ(strlen(kCommandLineMainPattern), 714u);
}

TEST(UTextParser, BlockSyntaxSpansOfWordsStringsAndNestedBlocks) {
    UString text = Text("version 1\r\nname \"a b\" data { x { \"}\" y } z }");
    BlockParser parser(text);
    const UArray<int>& table = parser.GetTokenTable();
    ASSERT_EQ(table.Num(), 6 * 4);
    struct Span {
        int outerStart, outerLength, innerStart, innerLength;
    };
    const Span expected[] = {{0, 7, 0, 7},   {8, 1, 8, 1},   {11, 4, 11, 4},
                             {16, 5, 17, 3}, {22, 4, 22, 4}, {27, 17, 28, 15}};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(table[4 * i + 0], expected[i].outerStart) << "token " << i;
        EXPECT_EQ(table[4 * i + 1], expected[i].outerLength) << "token " << i;
        EXPECT_EQ(table[4 * i + 2], expected[i].innerStart) << "token " << i;
        EXPECT_EQ(table[4 * i + 3], expected[i].innerLength) << "token " << i;
    }
    EXPECT_EQ(InnerTexts(parser),
              (std::vector<std::string>{"version", "1", "name", "a b", "data", " x { \"}\" y } z "}));
}

struct TokenCase {
    const char* name;
    const char* text;
    std::vector<std::string> tokens;
};

// A failing row shows its name and text, not the bytes of the struct.
void PrintTo(const TokenCase& c, std::ostream* out) {
    *out << c.name << ": " << testing::PrintToString(c.text);
}

class BlockSyntaxTokens : public testing::TestWithParam<TokenCase> {};

TEST_P(BlockSyntaxTokens, Inner) {
    UString text = Text(GetParam().text);
    BlockParser parser(text);
    EXPECT_EQ(InnerTexts(parser), GetParam().tokens);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BlockSyntaxTokens,
    testing::Values(TokenCase{"EmptyQuotedString", "a \"\" b", {"a", "", "b"}},
                    TokenCase{"StrayClosingBrace", "a } b", {"a", "b"}},
                    TokenCase{"UnmatchedQuote", "a \" b", {"a", "b"}},
                    TokenCase{"UnclosedBlock", "a { b c", {"a", "b", "c"}}, TokenCase{"EmptyBlock", "k {}", {"k", ""}},
                    TokenCase{"QuotedStringAcrossLines", "\"a\r\nb\"", {"a\r\nb"}},
                    TokenCase{"BlockAcrossLines", "v {\r\n\t\t1 2\r\n\t}", {"v", "\r\n\t\t1 2\r\n\t"}},
                    TokenCase{"WordsEndAtQuotesAndBraces", "ab\"cd\"ef{g}", {"ab", "cd", "ef", "g"}},
                    TokenCase{"HighBytes", "\xE9t\xE9 \"\xFF\"", {"\xE9t\xE9", "\xFF"}},
                    TokenCase{"OnlyWhiteSpace", " \t\r\n ", {}}),
    [](const testing::TestParamInfo<TokenCase>& info) { return std::string(info.param.name); });

class CommandLineSyntaxTokens : public testing::TestWithParam<TokenCase> {};

TEST_P(CommandLineSyntaxTokens, Inner) {
    UString text = Text(GetParam().text);
    CommandLineParser parser(text);
    EXPECT_EQ(InnerTexts(parser), GetParam().tokens);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CommandLineSyntaxTokens,
    testing::Values(
        // An option owns its parameters up to a blank followed by a dash, or to the line end.
        TokenCase{"OptionsWithParameters", "-first 1 2 -second \"q r\"\nbare", {"first 1 2", "second \"q r\"", "bare"}},
        TokenCase{"NegativeNumberSplitsOption", "-offset -5", {"offset", "5"}},
        TokenCase{"QuotedDashDoesNotSplit", "-a \"x -y\" -b", {"a \"x -y\"", "b"}},
        TokenCase{"LoneDashes", "- -a -", {"a"}},
        TokenCase{"BareWordsKeepQuotes", "prog \"a b\" c", {"prog", "\"a b\"", "c"}},
        // Quotes are kept, so an empty quoted string is a token of two characters.
        TokenCase{"EmptyQuotedString", "\"\" x", {"\"\"", "x"}}),
    [](const testing::TestParamInfo<TokenCase>& info) { return std::string(info.param.name); });

TEST(UTextParser, NumbersConvertFromTheOuterSpan) {
    UString text = Text("12abc \"12\" -7 +3 1.5e2x \"2.5\" {4}");
    BlockParser parser(text);
    int i = -1;
    parser.ReadInt(i);
    EXPECT_EQ(i, 12);
    parser.ReadInt(i);
    EXPECT_EQ(i, 0) << "a quoted number starts at its quote";
    parser.ReadInt(i);
    EXPECT_EQ(i, -7);
    parser.ReadInt(i);
    EXPECT_EQ(i, 3);
    float f = -1.0f;
    parser.ReadFloat(f);
    EXPECT_EQ(f, 150.0f);
    parser.ReadFloat(f);
    EXPECT_EQ(f, 0.0f);
    parser.ReadInt(i);
    EXPECT_EQ(i, 0) << "a block starts at its brace";
    EXPECT_FALSE(parser.HasToken());
}

TEST(UTextParser, ReadsPastTheEndGiveEmptyValuesAndKeepTheCursor) {
    UString text = Text("1 2");
    BlockParser parser(text);
    TVector3<float> v{-1.0f, -1.0f, -1.0f};
    parser.ReadFloats(v);
    EXPECT_EQ(v, (TVector3<float>{1.0f, 2.0f, 0.0f}));
    int end = parser.GetCursor();
    EXPECT_EQ(end, 8);
    UString s("x");
    int i = -1;
    float f = -1.0f;
    parser.ReadString(s).ReadInt(i).ReadFloat(f);
    EXPECT_STREQ(s.c_str(), "");
    EXPECT_EQ(i, 0);
    EXPECT_EQ(f, 0.0f);
    EXPECT_EQ(parser.GetCursor(), end);
    EXPECT_STREQ(parser.PeekString().c_str(), "");
}

TEST(UTextParser, PeekDoesNotAdvance) {
    UString text = Text("a b");
    BlockParser parser(text);
    EXPECT_STREQ(parser.PeekString().c_str(), "a");
    EXPECT_STREQ(parser.PeekString().c_str(), "a");
    UString s;
    parser.ReadString(s);
    EXPECT_STREQ(parser.PeekString().c_str(), "b");
}

TEST(UTextParser, ZeroByteInsideATokenEndsItsText) {
    const char bytes[] = "\"ab\0cd\" e";
    UString text;
    text.AddUninitialized(int32_t(sizeof(bytes)));
    memcpy(text.GetData(), bytes, sizeof(bytes));
    BlockParser parser(text);
    EXPECT_EQ(InnerTexts(parser), (std::vector<std::string>{"ab", "e"}));
    EXPECT_EQ(memcmp(text.GetData(), bytes, sizeof(bytes)), 0) << "the text is left unchanged";
}

// A block read in place: the span of its content gives the tokens and the
// numbers that a copy of the content gives, and the parent text is untouched.
TEST(UTextParser, SpanOfABlockReadsAsItsCopy) {
    UString text = Text("v { 1.5 -2 \"q r\" w {x} 7e1} tail");
    BlockParser parser(text);
    UString keyword;
    parser.ReadString(keyword);
    const unsigned char* begin = nullptr;
    int32_t length = -1;
    parser.ReadSpan(begin, length);
    ASSERT_EQ(begin, reinterpret_cast<const unsigned char*>(text.c_str()) + 3);
    ASSERT_EQ(length, 23);
    UString copy = PeekCopy(begin, length);
    BlockParser fromCopy(copy);
    BlockParser fromSpan(begin, length);
    EXPECT_EQ(ToVector(fromSpan.GetTokenTable()), ToVector(fromCopy.GetTokenTable()));
    float f[2] = {};
    int i = 0;
    fromSpan.ReadFloat(f[0]).ReadInt(i);
    EXPECT_EQ(f[0], 1.5f);
    EXPECT_EQ(i, -2);
    EXPECT_EQ(InnerTexts(fromSpan), (std::vector<std::string>{"q r", "w", "x", "7e1"}));
    BlockParser again(begin, length);
    for (int k = 0; k < 6; ++k)
        again.ReadFloat(f[1]);
    EXPECT_EQ(f[1], 70.0f) << "the last number ends at the closing brace";
    EXPECT_STREQ(text.c_str(), "v { 1.5 -2 \"q r\" w {x} 7e1} tail");

    parser.ReadString(keyword);
    parser.ReadSpan(begin, length);
    EXPECT_EQ(length, 0) << "no token left: an empty span";
    EXPECT_FALSE(BlockParser(begin, length).HasToken());
}

// One tokenizer goes from block to block: after a rescan it reads the new text
// from its first token as a tokenizer of its own would, nothing of the text
// before is left, and the count of tokens left follows the reads.
TEST(UTextParser, RescanReadsTheNextTextAsAFreshTokenizer) {
    UString first = Text("1 2 3 4 5 6 7 8 {9 10} \"11\"");
    UString second = Text("-4.5 \"x y\" z");
    BlockParser parser(first);
    EXPECT_EQ(parser.GetTokensLeft(), 10);
    int skipped = 0;
    parser.ReadInt(skipped).ReadInt(skipped);
    EXPECT_EQ(parser.GetTokensLeft(), 8);

    parser.Rescan(reinterpret_cast<const unsigned char*>(second.c_str()), second.Length());
    BlockParser fresh(second);
    EXPECT_EQ(ToVector(parser.GetTokenTable()), ToVector(fresh.GetTokenTable()));
    EXPECT_EQ(parser.GetTokensLeft(), 3);
    float f = 0.0f;
    parser.ReadFloat(f);
    EXPECT_EQ(f, -4.5f);
    EXPECT_EQ(InnerTexts(parser), (std::vector<std::string>{"x y", "z"}));
    EXPECT_EQ(parser.GetTokensLeft(), 0);

    parser.Rescan(reinterpret_cast<const unsigned char*>(second.c_str()), 0);
    EXPECT_FALSE(parser.HasToken()) << "an empty text leaves no token of the one before";
    int value = -1;
    parser.ReadInt(value);
    EXPECT_EQ(value, 0);
}

// The block syntax is matched by the hand-written scanner unless the regex is
// asked for; both give the same table.
TEST(UTextParser, BlockSyntaxScanMethods) {
    UString text = Text("a { \"}\" b \"c\" { d } e");
    UString mainPattern;
    UList<UString> refinements;
    TextParserPolicy_BlockSyntax::Apply(mainPattern, refinements);
    EXPECT_TRUE(TextParserPolicy_BlockSyntax::IsBlockSyntax(mainPattern, refinements));
    TextParserPolicy_ParseString automatic(text, mainPattern, refinements);
    TextParserPolicy_ParseString regex(text, mainPattern, refinements, TextParserPolicy_ParseString::ScanMethod::Regex);
    EXPECT_EQ(ToVector(automatic.GetTokenTable()), ToVector(regex.GetTokenTable()));
    // The quoted brace closes the block, whose own closing brace is missing;
    // the next quote then pairs with the one before "c".
    EXPECT_EQ(ToVector(automatic.GetTokenTable()),
              (std::vector<int>{0, 1, 0, 1, 2, 4, 3, 2, 6, 5, 7, 3, 11, 1, 11, 1, 14, 5, 15, 3, 20, 1, 20, 1}));

    // Any other pattern set is matched by the regex: a changed pattern, a second refinement.
    UString changed = mainPattern;
    changed.GetData()[0] = ' ';
    EXPECT_FALSE(TextParserPolicy_BlockSyntax::IsBlockSyntax(changed, refinements));
    UList<UString> two = refinements;
    two.AddTail(UString(".*"));
    EXPECT_FALSE(TextParserPolicy_BlockSyntax::IsBlockSyntax(mainPattern, two));
    UString commandLine;
    UList<UString> commandLineRefinements;
    TextParserPolicy_CommandLineSyntax::Apply(commandLine, commandLineRefinements);
    EXPECT_FALSE(TextParserPolicy_BlockSyntax::IsBlockSyntax(commandLine, commandLineRefinements));
}

TEST(UTextParser, StreamSourceReadsTheRestAndRestoresThePosition) {
    const char data[] = "skip keep {me}";
    UInputStream_Memory stream("mem", data, sizeof(data) - 1);
    stream.SeekForward(5);
    StreamParser parser(&stream);
    EXPECT_EQ(stream.GetPosition(), 5u);
    EXPECT_EQ(parser.GetText().Num(), int32_t(sizeof(data) - 5));
    UString s;
    parser.ReadString(s);
    EXPECT_STREQ(s.c_str(), "keep");
    int i = -1;
    parser.ReadInt(i);
    EXPECT_EQ(i, 0);
    EXPECT_FALSE(parser.HasToken());
}

TEST(UTextParser, EmptyStreamHasNoTokens) {
    UInputStream_Memory stream("empty", "", 0);
    StreamParser parser(&stream);
    EXPECT_FALSE(parser.HasToken());
    UString s("x");
    parser.ReadString(s);
    EXPECT_STREQ(s.c_str(), "");
    EXPECT_EQ(parser.GetText().Num(), 1);
}

// Announces more bytes than it delivers, as a truncated file or a failing
// device would.
class ShortStream : public UInputStream_Memory {
public:
    ShortStream(const char* data, uint64_t delivered, uint64_t announced)
        : UInputStream_Memory("short", data, delivered), m_announced(announced) {}
    uint64_t GetSize() override { return m_announced; }

private:
    uint64_t m_announced;
};

TEST(UTextParser, StreamDeliveringLessIsCutToWhatArrived) {
    ShortStream stream("a b", 3, 4096);
    StreamParser parser(&stream);
    EXPECT_EQ(parser.GetText().Num(), 4);
    EXPECT_EQ(parser.GetText().Length(), 3);
    EXPECT_EQ(InnerTexts(parser), (std::vector<std::string>{"a", "b"}));
}

TEST(UTextParser, NullStreamFailsTheAssurance) {
    try {
        StreamParser parser(static_cast<IInputStream*>(nullptr));
        FAIL() << "a null stream was accepted";
    } catch (const ErrorDescription& error) {
        EXPECT_STREQ(error.GetMessageText(), "'assure' failed: text");
        EXPECT_STREQ(error.GetHistory(),
                     "orlo::TextParserPolicy_ParseStream<unsigned char>::TextParserPolicy_ParseStream()");
        EXPECT_STREQ(error.GetFile(), "orlo/Utils/UTextParser");
    }
}

} // namespace

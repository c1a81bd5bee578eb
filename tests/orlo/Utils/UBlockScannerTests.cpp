#include "orlo/Utils/UBlockScanner.h"

#include <cstring>
#include <ostream>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "orlo/Utils/TextParserPolicy_BlockSyntax.h"
#include "orlo/Utils/UTextParser.h"

using namespace orlo;

namespace orlo {
// The test names and failure messages of the tests that run on each path.
void PrintTo(UBlockScanner::Path path, std::ostream* out) {
    *out << (path == UBlockScanner::Path::Vector ? "vector path" : "byte-wise path");
}
} // namespace orlo

namespace {

using Table = std::vector<int>;

// The text as a terminated string whose count covers every byte, zero bytes included.
UString Bytes(const std::string& text) {
    UString bytes;
    bytes.AddUninitialized(int32_t(text.size()) + 1);
    memcpy(bytes.GetData(), text.data(), text.size());
    bytes.GetData()[text.size()] = 0;
    return bytes;
}

Table ToTable(const UArray<int>& tokens) {
    return Table(tokens.GetData(), tokens.GetData() + tokens.Num());
}

std::string Printable(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        if (c >= 0x20 && c < 0x7f && c != '\\') {
            out += char(c);
        } else {
            char escaped[8];
            snprintf(escaped, sizeof(escaped), "\\x%02x", c);
            out += escaped;
        }
    }
    return out;
}

Table ScannerTable(const std::string& text) {
    UArray<int> tokens;
    UBlockScanner(reinterpret_cast<const unsigned char*>(text.data()), int32_t(text.size())).Scan(tokens);
    return ToTable(tokens);
}

// The scanner's two ways through the bytes: the vector path of this build (SSE2)
// and the byte-wise path that the builds without SSE2 take.
using Path = UBlockScanner::Path;

const char* PathName(Path path) {
    return path == Path::Vector ? "vector path" : "byte-wise path";
}

std::vector<Path> Paths() {
    if (UBlockScanner::HasVectorPath())
        return {Path::Vector, Path::Bytewise};
    return {Path::Bytewise};
}

// Selects a path for as long as it lives.
class ScopedPath {
public:
    explicit ScopedPath(Path path) : m_before(UBlockScanner::SetPath(path)) {}
    ~ScopedPath() { UBlockScanner::SetPath(m_before); }
    ScopedPath(const ScopedPath&) = delete;
    ScopedPath& operator=(const ScopedPath&) = delete;

private:
    Path m_before;
};

// The scanner's table on every path against the one expected; false on the
// first difference.
bool ExpectScannerTables(const std::string& text, const Table& expected, const char* oracle) {
    for (Path path : Paths()) {
        ScopedPath selected(path);
        const Table table = ScannerTable(text);
        EXPECT_EQ(table, expected) << PathName(path) << " against " << oracle << ", text: \"" << Printable(text)
                                   << "\"";
        if (table != expected)
            return false;
    }
    return true;
}

// The table that the block syntax's patterns give through the regex engine;
// false when the engine gave up (retry limit): no verdict then.
bool RegexTable(const std::string& text, Table& table) {
    UString bytes = Bytes(text);
    UString mainPattern;
    UList<UString> refinements;
    TextParserPolicy_BlockSyntax::Apply(mainPattern, refinements);
    try {
        TextParserPolicy_ParseString parser(bytes, mainPattern, refinements,
                                            TextParserPolicy_ParseString::ScanMethod::Regex);
        table = ToTable(parser.GetTokenTable());
        return true;
    } catch (const ErrorDescription& error) {
        EXPECT_NE(strstr(error.GetMessageText(), "Search gave up"), nullptr) << error.GetMessageText();
        return false;
    }
}

// What the tokenizer with the block syntax gives: the hand-written scanner.
Table TokenizerTable(const std::string& text) {
    UString bytes = Bytes(text);
    UTextParser<TextParserPolicy_ParseString, TextParserPolicy_BlockSyntax> parser(bytes);
    return ToTable(parser.GetTokenTable());
}

// The regex and the scanner, on each path, on one text; true when the regex
// gave a verdict.
bool ExpectSameTables(const std::string& text) {
    Table expected;
    if (!RegexTable(text, expected))
        return false;
    ExpectScannerTables(text, expected, "the regex");
    return true;
}

// An oracle of its own: the engine's first match of a block found by a
// depth-first search in the pattern's order (quoted string, plain character,
// nested block; a closing brace ends a level), remembering the states
// (position, depth) that failed. Returns one past the block, or -1.
class MemoBlockMatcher {
public:
    explicit MemoBlockMatcher(const std::string& text) : m_text(text) {}

    int Match(size_t open) { return Continue(open + 1, 1); }

private:
    int Continue(size_t q, int depth) {
        // Iterative along runs of single choices; recursive at quotes.
        while (true) {
            if (q >= m_text.size() || m_failed.count({q, depth}) > 0)
                return -1;
            char c = m_text[q];
            if (c == '"') {
                size_t close = m_text.find('"', q + 1);
                if (close != std::string::npos) {
                    int end = Continue(close + 1, depth);
                    if (end >= 0)
                        return end;
                }
                int end = Continue(q + 1, depth);
                if (end < 0)
                    m_failed.insert({q, depth});
                return end;
            }
            if (c == '{') {
                ++depth;
            } else if (c == '}') {
                if (--depth == 0)
                    return int(q + 1);
            }
            ++q;
        }
    }

    const std::string& m_text;
    std::set<std::pair<size_t, int>> m_failed;
};

Table MemoTable(const std::string& text) {
    MemoBlockMatcher blocks(text);
    Table table;
    size_t p = 0;
    auto isSpace = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
    while (p < text.size()) {
        char c = text[p];
        if (c == '"') {
            size_t close = text.find('"', p + 1);
            if (close == std::string::npos) {
                ++p;
                continue;
            }
            table.insert(table.end(), {int(p), int(close + 1 - p), int(p + 1), int(close - p - 1)});
            p = close + 1;
        } else if (c == '{') {
            int end = blocks.Match(p);
            if (end < 0) {
                ++p;
                continue;
            }
            table.insert(table.end(), {int(p), int(end - p), int(p + 1), int(end - p - 2)});
            p = size_t(end);
        } else if (c == '}' || isSpace(c)) {
            ++p;
        } else {
            size_t q = p + 1;
            while (q < text.size() && !isSpace(text[q]) && text[q] != '"' && text[q] != '{' && text[q] != '}')
                ++q;
            table.insert(table.end(), {int(p), int(q - p), int(p), int(q - p)});
            p = q;
        }
    }
    return table;
}

struct ScanCase {
    const char* name;
    std::string text;
};

void PrintTo(const ScanCase& row, std::ostream* out) {
    *out << row.name;
}

class UBlockScannerAgainstRegex : public testing::TestWithParam<ScanCase> {};

TEST_P(UBlockScannerAgainstRegex, SameTable) {
    EXPECT_TRUE(ExpectSameTables(GetParam().text)) << "the regex gave no verdict";
    EXPECT_EQ(TokenizerTable(GetParam().text), ScannerTable(GetParam().text)) << "the tokenizer uses the scanner";
    ExpectScannerTables(GetParam().text, MemoTable(GetParam().text), "the oracle");
}

INSTANTIATE_TEST_SUITE_P(
    UBlockScanner, UBlockScannerAgainstRegex,
    testing::Values(
        ScanCase{"Empty", ""}, ScanCase{"Words", "version 1\r\nnumBones 2"},
        ScanCase{"NestedBlocksWithQuotedBrace", "name \"a b\" data { x { \"}\" y } z }"},
        ScanCase{"UnclosedBrace", "a { b c"}, ScanCase{"UnclosedNested", "a { b { c } d"},
        // The quoted brace closes a block whose own brace never closes: the
        // quote before it is taken as a plain character.
        ScanCase{"QuotedBraceClosesUnclosedBlock", "{ \"}\" "},
        ScanCase{"QuotedBraceClosesAfterWords", "k { a \"b } c\" d"},
        ScanCase{"TwoQuotedBracesOneUsed", "{ \"}\" \"}\" x"}, ScanCase{"OddQuotes", "\"a\" \"b"},
        ScanCase{"OddQuotesInBlock", "{\"a\" \"b}"}, ScanCase{"QuoteInWordInBlock", "{ a\"b }"},
        ScanCase{"NestedDamage", "x { a { \"}\" } \"}\" y"}, ScanCase{"DeepQuotedClosers", "{{{\"}}}\"}\"}\"}\""},
        ScanCase{"QuotesAcrossBlocks", "{ \" } { \" } \" }"}, ScanCase{"EmptyBlocks", "{}{{}} {{}{}}"},
        ScanCase{"EmptyQuotes", "\"\"\"\" \"\" x\"\""}, ScanCase{"StrayClosers", "}} a } { b }}"},
        ScanCase{"OpenersOnly", "{{{{ a \"b\" {"},
        ScanCase{"WhiteSpaceOfEveryKind", std::string("a\tb\nc\vd\fe\rf g\x1c h\x1fi\x85j\xA0k")},
        ScanCase{"HighBytes", "\xE9t\xE9 \"\xFF\" {\x80\x81} \xFF{"},
        ScanCase{"ZeroBytes", std::string("a\0b \"\0\" {\0}", 11)}, ScanCase{"LineBreakBeforeEnd", "{a}\n\"b\"\n c\n"},
        // Blocks nested deeper than the regex engine's default call depth (20).
        ScanCase{"NestedTwentyOneDeep", std::string(21, '{') + std::string(21, '}')},
        ScanCase{"NestedTwoHundredDeepAfterAWord", "m" + std::string(200, '{') + " \"}\" " + std::string(200, '}')},
        ScanCase{
            "NestedDeepWithZeroBytesAndAnUnclosedBrace",
            std::string("m{esh 0 {{{{{{{{{{{{{{{{{{{{{\015\012\011name}}}}\"\"\250\000\000}}}}}}}}}}}}}}}}}}\015\012"
                        "\011name \"\015\"\012m\011materi \011materi \"}\"",
                        95)},
        ScanCase{"MaterialNamesMissingLastBrace",
                 "mesh 0 {\r\n\tname \"m\"\r\n\tmaterialNames {\r\n\t\t\"A\"\r\n\t\t\"B}\"\r\n\t\t\"C\"\r\n\t}\r\n"}),
    [](const testing::TestParamInfo<ScanCase>& info) { return std::string(info.param.name); });

// Every byte value, alone and between words, inside quotes and inside a
// block: which bytes are white space, which end a word.
TEST(UBlockScanner, EveryByteValueAsTheRegexSeesIt) {
    for (int b = 0; b < 256; ++b) {
        const std::string c(1, char(b));
        SCOPED_TRACE(b);
        ExpectSameTables("a" + c + "a");
        ExpectSameTables(c);
        ExpectSameTables("{" + c + "}\"" + c + "\"");
    }
}

// Random texts, each against the regex (when it finishes) and the oracle.
struct RandomTexts {
    const char* name;
    unsigned seed;
    int count;
    unsigned maxLength; // lengths 0 to maxLength - 1
    // One byte in k is a quote or a brace, k drawn per text from this range.
    unsigned specialEveryMin;
    unsigned specialEveryMax;
    std::string plain; // the other bytes
    int minVerdicts;   // texts the regex must finish
};

void PrintTo(const RandomTexts& row, std::ostream* out) {
    *out << row.name;
}

const RandomTexts kRandomTexts[] = {
    // Short texts over the alphabet that matters.
    {"Short", 20261210, 4000, 24, 2, 2, "a \n", 3900},
    // Longer texts where quotes and braces are rare, as in a file of numbers:
    // the scanner then keeps thresholds for those bytes only.
    {"Sparse", 36, 1500, 240, 12, 12, "a1 \n\t.", 1400},
    // Long texts of every kind of byte, scanned 64 bytes at a time where they
    // hold no quote or brace.
    {"LongOfEveryKindOfByte", 64, 600, 400, 8, 127, std::string("a1-.  \t\n\v\f\r\0\x1c\x80\xff", 15), 550},
};

class RandomTextsAgainstTheRegex : public ::testing::TestWithParam<RandomTexts> {};

TEST_P(RandomTextsAgainstTheRegex, SameTables) {
    const RandomTexts& row = GetParam();
    const char special[] = {'{', '}', '"'};
    std::mt19937 random(row.seed);
    int verdicts = 0;
    for (int i = 0; i < row.count; ++i) {
        std::string text(random() % row.maxLength, ' ');
        const unsigned every = row.specialEveryMin + random() % (row.specialEveryMax - row.specialEveryMin + 1);
        for (char& c : text)
            c = random() % every == 0 ? special[random() % sizeof(special)] : row.plain[random() % row.plain.size()];
        if (ExpectSameTables(text))
            ++verdicts;
        ASSERT_TRUE(ExpectScannerTables(text, MemoTable(text), "the oracle"));
        if (HasFailure())
            break;
    }
    EXPECT_GT(verdicts, row.minVerdicts) << "the regex should finish on these texts";
}

INSTANTIATE_TEST_SUITE_P(UBlockScanner, RandomTextsAgainstTheRegex, ::testing::ValuesIn(kRandomTexts),
                         [](const ::testing::TestParamInfo<RandomTexts>& info) { return info.param.name; });

// A text without quotes and braces has bare words only: CountWords and the
// word cursor give the table's tokens without one, on each path; any quote or
// brace makes CountWords refuse the text.
void ExpectWordsAsInTheTable(const std::string& text) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    const int32_t length = int32_t(text.size());
    for (Path path : Paths()) {
        ScopedPath selected(path);
        SCOPED_TRACE(PathName(path));
        const int32_t count = UBlockScanner::CountWords(bytes, length);
        if (text.find_first_of("\"{}") != std::string::npos) {
            EXPECT_EQ(count, -1) << Printable(text);
            continue;
        }
        const Table table = ScannerTable(text);
        std::vector<int> tableStarts;
        for (size_t i = 0; i < table.size(); i += 4)
            tableStarts.push_back(table[i]);
        std::vector<int> cursorStarts;
        UBlockScanner::WordCursor cursor(bytes, length);
        for (const unsigned char* word = cursor.Next(); word != nullptr; word = cursor.Next())
            cursorStarts.push_back(int(word - bytes));
        EXPECT_EQ(count, int32_t(tableStarts.size())) << Printable(text);
        EXPECT_EQ(cursorStarts, tableStarts) << Printable(text);
        EXPECT_EQ(cursor.Next(), nullptr) << "stays at the end";
    }
}

TEST(UBlockScanner, WordsWithoutATable) {
    for (const std::string text : {"", " ", "a", " a", "a ", "\t1.0 -2\r\n3\v\f4 ", "1 \"2\" 3", "{ 1 }", "1}"})
        ExpectWordsAsInTheTable(text);
    // Random texts of every kind of byte but quotes and braces, over several
    // chunks, now and then with one of those.
    const std::string plain("a1-.  \t\n\v\f\r\0\x1c\x80\xff", 15);
    std::mt19937 random(20261211);
    for (int i = 0; i < 3000 && !HasFailure(); ++i) {
        std::string text(random() % 300, ' ');
        for (char& c : text)
            c = plain[random() % plain.size()];
        if (i % 10 == 0 && !text.empty())
            text[random() % text.size()] = "\"{}"[random() % 3];
        ExpectWordsAsInTheTable(text);
    }
}

// Texts of 64 bytes and more are scanned a chunk of 64 bytes at a time where
// they hold words and white space only: every byte value at the places where
// that bulk step begins and ends, inside a word that runs over a chunk's end
// and between short words.
TEST(UBlockScanner, EveryByteValueAroundTheChunksOfLongTexts) {
    for (int b = 0; b < 256; ++b) {
        for (int at : {0, 1, 15, 16, 62, 63, 64, 65, 127, 128, 140}) {
            SCOPED_TRACE(testing::Message() << "byte " << b << " at " << at);
            std::string longWord = std::string(141, 'w') + " x";
            longWord[size_t(at)] = char(b);
            ExpectSameTables(longWord);
            ExpectWordsAsInTheTable(longWord);
            std::string shortWords;
            for (int i = 0; i < 150; ++i)
                shortWords += i % 4 == 3 ? ' ' : 'x';
            shortWords[size_t(at)] = char(b);
            ExpectSameTables(shortWords);
            ExpectWordsAsInTheTable(shortWords);
            if (HasFailure())
                return;
        }
    }
}

// The differential tests above run on both paths only where the build has
// both: every x86-64 build does.
TEST(UBlockScanner, PathsSelectable) {
#if defined(__SSE2__)
    EXPECT_TRUE(UBlockScanner::HasVectorPath());
#endif
    const Path standard = UBlockScanner::HasVectorPath() ? Path::Vector : Path::Bytewise;
    EXPECT_EQ(UBlockScanner::GetPath(), standard);
    {
        ScopedPath selected(Path::Bytewise);
        EXPECT_EQ(UBlockScanner::GetPath(), Path::Bytewise);
        EXPECT_EQ(UBlockScanner::SetPath(Path::Vector), Path::Bytewise);
        EXPECT_EQ(UBlockScanner::GetPath(), standard) << "the vector path only where it is built in";
    }
    EXPECT_EQ(UBlockScanner::GetPath(), standard);
}

// The search for quotes, braces and zero bytes against a plain loop, on each
// path: every byte value at every place of texts around the widths of its bulk
// steps (8 and 16 bytes), searched from before, at and after it. The other
// bytes are either plain letters or the bytes one away from the ones looked
// for, whose borrows a word-wide test must not take for a find.
TEST(UBlockScanner, FindQuoteBraceOrZeroAgainstAPlainLoop) {
    const std::string sought("\"{}\0", 4);
    const std::string nearMisses("#|z\x01\xff!#|~", 9);
    for (Path path : Paths()) {
        ScopedPath selected(path);
        for (const std::string& background :
             {std::string(33, 'x'), nearMisses + nearMisses + nearMisses + nearMisses}) {
            for (int length : {1, 7, 8, 9, 15, 16, 17, 24, 31, 33}) {
                for (int at = 0; at < length; ++at) {
                    for (int b = 0; b < 256; ++b) {
                        std::string text = background.substr(0, size_t(length));
                        text[size_t(at)] = char(b);
                        const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
                        for (int from : {0, at, at + 1}) {
                            int expected = from;
                            while (expected < length && sought.find(text[size_t(expected)]) == std::string::npos)
                                ++expected;
                            const int32_t found = UBlockScanner::FindQuoteBraceOrZero(bytes, from, length);
                            if (found != expected) {
                                ADD_FAILURE() << PathName(path) << ": " << found << " for " << expected << " in \""
                                              << Printable(text) << "\" from " << from;
                                return;
                            }
                        }
                    }
                }
            }
        }
    }
}

// A writer that fails leaves a file cut short: the damaged files that made the
// regex search take exponential time.
std::string Meshes(int count, int deletedBrace) {
    std::string text = "version 1\r\nnumMeshes " + std::to_string(count) + "\r\n";
    for (int m = 0; m < count; ++m) {
        text += "mesh " + std::to_string(m) + " {\r\n\tname \"mesh" + std::to_string(m) + "\"\r\n";
        text += "\tmaterialNames {\r\n\t\t\"red\"\r\n\t\t\"green\"\r\n\t}\r\n";
        text += "\tvertices {\r\n\t\t0.0000 1.0000 2.0000\r\n\t\t3.0000 4.0000 5.0000\r\n\t}\r\n";
        if (m != deletedBrace)
            text += "}\r\n";
    }
    return text;
}

std::string MaterialNames(int count) {
    std::string text = "numMeshes 1\r\nmesh 0 {\r\n\tname \"m\"\r\n\tmaterialNames {\r\n";
    for (int i = 0; i < count; ++i)
        text += "\t\t\"Material" + std::to_string(i) + "\"\r\n";
    text += "\t}\r\n\tvertices {\r\n\t\t1.0000 2.0000 3.0000\r\n\t}\r\n";
    return text;
}

TEST(UBlockScanner, DamagedFilesSmallEnoughForTheRegex) {
    EXPECT_TRUE(ExpectSameTables(Meshes(4, 0)));
    EXPECT_TRUE(ExpectSameTables(Meshes(4, 2)));
    EXPECT_TRUE(ExpectSameTables(MaterialNames(6)));
}

int CountBlocks(const std::string& text, const Table& table) {
    int blocks = 0;
    for (size_t i = 0; i < table.size(); i += 4)
        blocks += text[size_t(table[i])] == '{';
    return blocks;
}

// The tests that have no regex to compare with, on each path in turn.
class UBlockScannerOnEachPath : public testing::TestWithParam<Path> {
    ScopedPath m_path{GetParam()};
};

INSTANTIATE_TEST_SUITE_P(UBlockScanner, UBlockScannerOnEachPath, testing::ValuesIn(Paths()),
                         [](const testing::TestParamInfo<Path>& info) {
                             return std::string(info.param == Path::Vector ? "Vector" : "Bytewise");
                         });

TEST_P(UBlockScannerOnEachPath, DamagedFilesTheRegexCannotFinish) {
    // Mesh 0 never closes by its braces, but the engine's first match takes
    // the opening quote of its name as a plain character and pairs the other
    // quotes across the meshes, which leaves one brace less to close: the
    // block runs to the end of the file.
    const std::string meshes = Meshes(18, 0);
    const Table table = ScannerTable(meshes);
    EXPECT_EQ(table, MemoTable(meshes));
    ASSERT_EQ(table.size(), 7u * 4);
    const int firstBrace = int(meshes.find('{'));
    EXPECT_EQ(table[24], firstBrace);
    EXPECT_EQ(table[24] + table[25], int(meshes.size()) - 2) << "up to the last closing brace";

    // The names' quotes pair across the names, so that the brace of the names
    // closes the mesh; the vertices block follows as a block of its own.
    const std::string names = MaterialNames(18);
    const Table nameTable = ScannerTable(names);
    EXPECT_EQ(nameTable, MemoTable(names));
    EXPECT_EQ(CountBlocks(names, nameTable), 2);
    EXPECT_EQ(names[size_t(nameTable[16] + nameTable[17] - 1)], '}');
    EXPECT_EQ(names.substr(size_t(nameTable[16] + nameTable[17]), 11), "\r\n\tvertices");

    // Many more: the thresholds are computed once for all of them.
    const std::string many = Meshes(3000, 0);
    const Table manyTable = ScannerTable(many);
    ASSERT_EQ(manyTable.size(), 7u * 4);
    EXPECT_EQ(manyTable[24] + manyTable[25], int(many.size()) - 2);
    // The last mesh unclosed: its names' quotes pair across them, the brace of
    // the names closes it, and its vertices block follows.
    const std::string last = Meshes(3000, 2999);
    const Table lastTable = ScannerTable(last);
    EXPECT_EQ(lastTable, MemoTable(last));
    EXPECT_EQ(CountBlocks(last, lastTable), 3001);
    const std::string manyNames = MaterialNames(100000);
    EXPECT_EQ(CountBlocks(manyNames, ScannerTable(manyNames)), 2);
}

// Depths beyond one byte: the thresholds move to wider counts and stay exact.
TEST_P(UBlockScannerOnEachPath, DeepNestingBeyondNarrowThresholds) {
    for (int depth : {200, 300, 70000}) {
        SCOPED_TRACE(depth);
        // An unclosed outer block whose closers hide in quotes, then `depth`
        // closing braces that only count for the block when nested that deep.
        std::string text = "{ \"}\" " + std::string(size_t(depth), '{') + " \"}\" " + std::string(size_t(depth), '}');
        const Table table = ScannerTable(text);
        if (depth < 1000) {
            EXPECT_EQ(table, MemoTable(text));
        }
        ASSERT_FALSE(table.empty());
        EXPECT_EQ(text[size_t(table[0])], '{');
    }
}

} // namespace

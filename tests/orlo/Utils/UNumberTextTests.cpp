#include "orlo/Utils/UNumberText.h"

#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "orlo/Utils/TextParserPolicy_BlockSyntax.h"
#include "orlo/Utils/UTextParser.h"

using orlo::UNumberText;

namespace {

struct IntCase {
    const char* text;
    int32_t value;
};

// Failing rows show their text and value, not the bytes of the struct.
void PrintTo(const IntCase& c, std::ostream* out) {
    *out << testing::PrintToString(c.text) << " -> " << c.value;
}

class ParseIntCases : public testing::TestWithParam<IntCase> {};

TEST_P(ParseIntCases, AsTheCLocaleAtoi) {
    EXPECT_EQ(UNumberText::ParseInt(GetParam().text), GetParam().value) << "\"" << GetParam().text << "\"";
}

INSTANTIATE_TEST_SUITE_P(Cases, ParseIntCases,
                         testing::Values(IntCase{"12abc", 12}, IntCase{"\"12\"", 0}, IntCase{" \t\r\n\v\f-34", -34},
                                         IntCase{"+7", 7}, IntCase{"+-7", 0}, IntCase{"- 7", 0}, IntCase{"", 0},
                                         IntCase{"x1", 0}, IntCase{"007", 7}, IntCase{"1.9", 1},
                                         IntCase{"2147483647", 2147483647},
                                         // Unsigned 32-bit text wraps, so what was written unsigned reads back.
                                         IntCase{"4294967295", -1}, IntCase{"2147483648", INT32_MIN},
                                         IntCase{"4999 ", 4999}, IntCase{"-2147483648", INT32_MIN},
                                         // Beyond -2^31 ... 2^32-1 it saturates instead of wrapping into a small value.
                                         IntCase{"4294967296", -1}, IntCase{"4294967297", -1},
                                         IntCase{"-4294967295", INT32_MIN}, IntCase{"-4294967296", INT32_MIN},
                                         IntCase{"-2147483649", INT32_MIN}, IntCase{"99999999999999999999999", -1},
                                         IntCase{"-99999999999999999999999", INT32_MIN}));

struct DoubleCase {
    const char* text;
    double value;
};

void PrintTo(const DoubleCase& c, std::ostream* out) {
    *out << testing::PrintToString(c.text) << " -> " << testing::PrintToString(c.value);
}

class ParseDoubleCases : public testing::TestWithParam<DoubleCase> {};

TEST_P(ParseDoubleCases, AsTheCLocaleAtof) {
    double parsed = UNumberText::ParseDouble(GetParam().text);
    double expected = GetParam().value;
    if (std::isnan(expected)) {
        EXPECT_TRUE(std::isnan(parsed)) << GetParam().text;
    } else {
        EXPECT_EQ(parsed, expected) << "\"" << GetParam().text << "\"";
        EXPECT_EQ(std::signbit(parsed), std::signbit(expected)) << "\"" << GetParam().text << "\"";
    }
}

const double kInfinity = std::numeric_limits<double>::infinity();

INSTANTIATE_TEST_SUITE_P(
    Cases, ParseDoubleCases,
    testing::Values(DoubleCase{"1.5", 1.5}, DoubleCase{"  -2.25x", -2.25}, DoubleCase{"+.5", 0.5},
                    DoubleCase{"1,5", 1.0}, DoubleCase{"1e3", 1000.0}, DoubleCase{"1e", 1.0}, DoubleCase{"1e+", 1.0},
                    DoubleCase{"2E-2", 0.02}, DoubleCase{"-0.0000", -0.0}, DoubleCase{"\"2.5\"", 0.0},
                    DoubleCase{"", 0.0}, DoubleCase{".", 0.0}, DoubleCase{"-", 0.0}, DoubleCase{"+-1", 0.0},
                    DoubleCase{"0x1.8p1", 3.0}, DoubleCase{"-0x10", -16.0}, DoubleCase{"0x", 0.0},
                    DoubleCase{"-0xg", -0.0}, DoubleCase{"inf", kInfinity}, DoubleCase{"-Infinity", -kInfinity},
                    DoubleCase{"nan", std::numeric_limits<double>::quiet_NaN()}, DoubleCase{"1e400", kInfinity},
                    DoubleCase{"-1e400", -kInfinity}, DoubleCase{"1e-400", 0.0}, DoubleCase{"-1e-400", -0.0},
                    DoubleCase{"0.000000001e-399", 0.0}, DoubleCase{"100000e-400", 0.0},
                    DoubleCase{"0x1p99999", kInfinity}, DoubleCase{"4.9406564584124654e-324", 4.9406564584124654e-324},
                    DoubleCase{"-12", -12.0}, DoubleCase{"0.5000}", 0.5}, DoubleCase{"1e-5\r\n", 1e-5},
                    DoubleCase{"1.5e2x", 150.0}, DoubleCase{"1e5e3", 100000.0}, DoubleCase{"-0", -0.0},
                    DoubleCase{"0x1g", 1.0}, DoubleCase{"00x1", 0.0}, DoubleCase{"1.", 1.0},
                    DoubleCase{"2.5e-310", 2.5e-310}, DoubleCase{"1.7976931348623159e308", kInfinity}));

// The ordinary decimal forms, which take the quick path, against the C
// library itself (the test process runs in the C locale).
TEST(UNumberText, OrdinaryDecimalsAsStrtod) {
    std::mt19937 random(11);
    const char* const tails[] = {"", " ", "}", "\"", "\r\n", "x", "e", "e+", ".", "e7q"};
    for (int i = 0; i < 20000; ++i) {
        std::string text = random() % 2 ? "-" : "";
        text += std::to_string(random() % 100000);
        if (random() % 3 != 0) {
            text += ".";
            text += std::to_string(random() % 100000);
        }
        if (random() % 4 == 0) {
            // Piece by piece: GCC 12 warns about a chain of string additions here.
            text += random() % 2 ? "e" : "E";
            text += random() % 2 ? "-" : "";
            text += std::to_string(random() % 330);
        }
        text += tails[random() % (sizeof(tails) / sizeof(tails[0]))];
        double expected = strtod(text.c_str(), nullptr);
        double parsed = UNumberText::ParseDouble(text.c_str());
        ASSERT_EQ(std::signbit(parsed), std::signbit(expected)) << text;
        ASSERT_EQ(parsed, expected) << text;
    }
}

struct FormatCase {
    float value;
    const char* text;
};

void PrintTo(const FormatCase& c, std::ostream* out) {
    *out << testing::PrintToString(c.value) << " -> " << testing::PrintToString(c.text);
}

class FormatFixed4Cases : public testing::TestWithParam<FormatCase> {};

TEST_P(FormatFixed4Cases, AsTheCLocalePrintf) {
    char buffer[UNumberText::FIXED4_BUFFER_SIZE];
    int32_t length = UNumberText::FormatFixed4(GetParam().value, buffer);
    EXPECT_STREQ(buffer, GetParam().text);
    EXPECT_EQ(length, int32_t(std::string(GetParam().text).size()));
}

INSTANTIATE_TEST_SUITE_P(Cases, FormatFixed4Cases,
                         testing::Values(FormatCase{1.0f, "1.0000"}, FormatCase{-0.5f, "-0.5000"},
                                         FormatCase{0.00004f, "0.0000"}, FormatCase{-0.00004f, "-0.0000"},
                                         FormatCase{-0.0f, "-0.0000"},
                                         // Exact ties between two results round to even, as the C library does.
                                         FormatCase{0.03125f, "0.0312"}, FormatCase{0.09375f, "0.0938"},
                                         // 0.00005 and 1.00005 as floats lie just below the tie.
                                         FormatCase{0.00005f, "0.0000"}, FormatCase{1.00005f, "1.0000"},
                                         FormatCase{2.71828f, "2.7183"}, FormatCase{-123.45675f, "-123.4567"},
                                         FormatCase{3.4028235e38f, "340282346638528859811704183484516925440.0000"},
                                         FormatCase{std::numeric_limits<float>::infinity(), "inf"}));

// Against the C library itself, over floats of every magnitude (random bit
// patterns), doubles with long mantissas, values around the rounding ties and
// the edges of the exact integer path (2^36 for floats, 64-bit products).
TEST(UNumberText, FormatFixed4AsPrintfAcrossTheRanges) {
    auto expectAsPrintf = [](double value) {
        char expected[512];
        // The C libraries differ on the sign of a NaN (mingw-w64's printf
        // leaves it out); the text written is glibc's, as std::to_chars gives it.
        if (std::isnan(value))
            snprintf(expected, sizeof(expected), "%snan", std::signbit(value) ? "-" : "");
        else
            snprintf(expected, sizeof(expected), "%.4f", value);
        char buffer[UNumberText::FIXED4_BUFFER_SIZE];
        if (strlen(expected) >= sizeof(buffer))
            return; // beyond what a float can need
        const int32_t length = UNumberText::FormatFixed4(value, buffer);
        ASSERT_STREQ(buffer, expected) << testing::PrintToString(value);
        ASSERT_EQ(length, int32_t(strlen(expected)));
    };
    std::mt19937 random(20261211);
    for (int i = 0; i < 300000 && !HasFailure(); ++i) {
        const uint32_t bits = uint32_t(random());
        float asFloat = 0.0f;
        memcpy(&asFloat, &bits, sizeof(asFloat));
        expectAsPrintf(asFloat);
        // Small and ordinary magnitudes are what meshes hold.
        const float scaled = float(ldexp(double(bits % 1000000), int(random() % 50) - 40));
        expectAsPrintf(random() % 2 ? scaled : -scaled);
        uint64_t doubleBits = (uint64_t(random()) << 32) | random();
        double asDouble = 0.0;
        memcpy(&asDouble, &doubleBits, sizeof(asDouble));
        expectAsPrintf(asDouble);
    }
    // Ties and their neighbours: k / 2^n for small n, which are exact halves
    // of 0.0001 or near them, and the limits of the integer path.
    for (int n = 1; n <= 20; ++n)
        for (int k = -2000; k <= 2000 && !HasFailure(); ++k) {
            const double tie = ldexp(double(k), -n);
            expectAsPrintf(tie);
            expectAsPrintf(nextafter(tie, 1e300));
            expectAsPrintf(nextafter(tie, -1e300));
        }
    for (int e = 30; e <= 70; ++e)
        for (double m : {1.0, 1.5, 1.9999999, 1.0 + ldexp(1.0, -23)}) {
            expectAsPrintf(ldexp(m, e));
            expectAsPrintf(-ldexp(m, e));
        }
    for (double tiny : {ldexp(1.0, -64), ldexp(1.0, -63), ldexp(1.0, -65), ldexp(1.7, -64), ldexp(1.0, -1074),
                        std::numeric_limits<double>::denorm_min(), std::numeric_limits<double>::quiet_NaN(),
                        -std::numeric_limits<double>::infinity(), 0.0, -0.0, 0.00005, 0.00015, 0.99995, 1e-5})
        expectAsPrintf(tiny);
}

// A host may switch the process to a locale with a decimal comma; the number
// text of files must not change.
TEST(UNumberText, CommaDecimalLocaleChangesNothing) {
    std::string previous = std::setlocale(LC_ALL, nullptr);
    const char* names[] = {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "German_Germany.1252"};
    const char* chosen = nullptr;
    for (const char* name : names)
        if (std::setlocale(LC_ALL, name) != nullptr) {
            chosen = name;
            break;
        }
    if (chosen == nullptr)
        GTEST_SKIP() << "no comma-decimal locale (de_DE) on this machine; generate one with localedef to run this";
    char probe[32];
    snprintf(probe, sizeof(probe), "%.1f", 1.5);
    bool commaInEffect = std::string(probe) == "1,5";

    char buffer[UNumberText::FIXED4_BUFFER_SIZE];
    UNumberText::FormatFixed4(-1234.5, buffer);
    std::string formatted = buffer;
    double parsed = UNumberText::ParseDouble("2.75");
    double parsedComma = UNumberText::ParseDouble("2,75");
    orlo::UString text("0.5 -1.25e1");
    orlo::UTextParser<orlo::TextParserPolicy_ParseString, orlo::TextParserPolicy_BlockSyntax> parser(text);
    float first = 0.0f;
    float second = 0.0f;
    parser.ReadFloat(first).ReadFloat(second);
    std::setlocale(LC_ALL, previous.c_str());

    EXPECT_TRUE(commaInEffect) << chosen << " did not switch to a decimal comma";
    EXPECT_EQ(formatted, "-1234.5000");
    EXPECT_EQ(parsed, 2.75);
    EXPECT_EQ(parsedComma, 2.0);
    EXPECT_EQ(first, 0.5f);
    EXPECT_EQ(second, -12.5f);
}

} // namespace

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../../support/DeflateWriter.h"
#include "../../support/Fixtures.h"
#include "orlo/Utils/DecompressorPolicy_Deflate.h"

using orlo::DecompressorPolicy_Deflate;
using orlo::UArray;
using orlo_test::DeflateWriter;
using orlo_test::ReadFixture;
using orlo_test::ToArray;
using orlo_test::ToVector;

namespace {

using Bytes = std::vector<unsigned char>;

Bytes Text(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

struct Outcome {
    bool success;
    Bytes output;
    DecompressorPolicy_Deflate::Failure failure;
};

Outcome Inflate(const Bytes& input) {
    DecompressorPolicy_Deflate decoder;
    UArray<unsigned char> in = ToArray(input);
    UArray<unsigned char> out;
    bool success = decoder.Decompress(in, out);
    return {success, ToVector(out), decoder.GetFailure()};
}

// The code-length code of the dynamic blocks below: 2, 17 and 18 of length 2,
// 0 and 1 of length 3, so 2 = 00, 17 = 01, 18 = 10, 0 = 110, 1 = 111.
void WriteCodeLengthCode(DeflateWriter& w) {
    const int order[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
    int lengths[19] = {};
    lengths[2] = 2;
    lengths[17] = 2;
    lengths[18] = 2;
    lengths[0] = 3;
    lengths[1] = 3;
    for (int i = 0; i < 18; ++i)
        w.Bits(uint32_t(lengths[order[i]]), 3);
}

// A dynamic block with the literal/length symbols 'a', 256 and 257 (length
// 3), all of code length 2, and one distance code, 2 (distance 3), of length 1.
// The three zero lengths of symbol 258 and distance codes 0 and 1 are one
// repeat that runs from the literal/length lengths into the distance lengths.
// `zeroRunExtra` adds zeros to that run (beyond the lengths' count when > 0).
DeflateWriter DynamicBlock(uint32_t zeroRunExtra = 0) {
    DeflateWriter w;
    w.BlockHeader(true, 2);
    w.Bits(259 - 257, 5).Bits(3 - 1, 5).Bits(18 - 4, 4);
    WriteCodeLengthCode(w);
    w.Code(2, 2).Bits(97 - 11, 7);          // 18: zeros for 0..96
    w.Code(0, 2);                           // 'a' = 97: length 2
    w.Code(2, 2).Bits(138 - 11, 7);         // 18: zeros for 98..235
    w.Code(2, 2).Bits(20 - 11, 7);          // 18: zeros for 236..255
    w.Code(0, 2).Code(0, 2);                // 256, 257: length 2
    w.Code(1, 2).Bits(0 + zeroRunExtra, 3); // 17: 3 zeros for 258, distance 0, 1
    w.Code(7, 3);                           // distance 2: length 1
    // Codes: 'a' = 00, 256 = 01, 257 = 10; distance 2 = 0.
    w.Code(0, 2).Code(0, 2).Code(0, 2); // "aaa"
    w.Code(2, 2).Code(0, 1);            // length 3, distance 3
    w.Code(1, 2);                       // end of block
    return w;
}

} // namespace

// Streams made by zlib at build time, decoded and compared with their input.
TEST(DecompressorPolicy_Deflate, DecodesWhatZlibMakes) {
    const char* cases[] = {
        "text_default",
        "text_fixed",
        "text_huffman_only",
        "text_rle",
        "text_level0_stored",
        "text_level1",
        "text_level9_small_window",
        "text_full_flush_blocks",
        "random_default",
        "random_level9",
        "runs_level9",
        "mixed_full_flush",
        "empty",
    };
    for (const char* name : cases) {
        bool found = false;
        Bytes compressed = ReadFixture(std::string("deflate/") + name + ".deflate", &found);
        ASSERT_TRUE(found) << name;
        Bytes plain = ReadFixture(std::string("deflate/") + name + ".plain");
        Outcome outcome = Inflate(compressed);
        EXPECT_TRUE(outcome.success) << name;
        EXPECT_TRUE(outcome.output == plain) << name << ": " << outcome.output.size() << " of " << plain.size();
    }
}

TEST(DecompressorPolicy_Deflate, EdgeCasesOfTheFormat) {
    struct Case {
        const char* name;
        Bytes stream;
        bool success;
        Bytes output;
    };
    Bytes run(259, 'z');
    const Case cases[] = {
        {"zero-length stored block", DeflateWriter().Stored(false, {}).FixedLiterals(true, "A").Bytes(), true,
         Text("A")},
        {"stored block after a partial byte",
         DeflateWriter().FixedLiterals(false, "x").Stored(true, Text("hello")).Bytes(), true, Text("xhello")},
        {"distance 1 length 258",
         DeflateWriter().BlockHeader(true, 1).Fixed('z').Fixed(285).Code(0, 5).Fixed(256).Bytes(), true, run},
        {"several blocks, the last one final",
         DeflateWriter().FixedLiterals(false, "ab").Stored(false, Text("cd")).FixedLiterals(true, "ef").Bytes(), true,
         Text("abcdef")},
        {"input after the final block is left alone",
         DeflateWriter().FixedLiterals(true, "end").RawByte(0xFF).RawByte(0xFF).Bytes(), true, Text("end")},
        {"block type 3 after good blocks keeps their bytes",
         DeflateWriter().FixedLiterals(false, "kept").BlockHeader(true, 3).Bytes(), false, Text("kept")},
        {"zero-length repeat across both alphabets", DynamicBlock().Bytes(), true, Text("aaaaaa")},
        {"an empty final stored block", DeflateWriter().Stored(true, {}).Bytes(), true, Bytes()},
    };
    for (const Case& c : cases) {
        Outcome outcome = Inflate(c.stream);
        EXPECT_EQ(outcome.success, c.success) << c.name;
        EXPECT_TRUE(outcome.output == c.output) << c.name;
    }
}

TEST(DecompressorPolicy_Deflate, RefusesDamagedStreams) {
    // Dynamic block header whose code-length code is 18 of length 1 and 16 of
    // length 1: 16 = 0, 18 = 1.
    auto repeatFirst = [] {
        DeflateWriter w;
        w.BlockHeader(true, 2).Bits(0, 5).Bits(0, 5).Bits(0, 4);
        w.Bits(1, 3).Bits(0, 3).Bits(1, 3).Bits(0, 3); // 16: 1, 17: 0, 18: 1, 0: 0
        w.Code(0, 1).Bits(0, 2);                       // 16 with nothing before it
        return w.Bytes();
    }();
    // Literal/length lengths that ask for more codes than exist: 'a', 256
    // and 257 all of length 1. Unchecked, "a" and the end of the block would
    // decode.
    auto threeOnes = [] {
        DeflateWriter w;
        w.BlockHeader(true, 2).Bits(258 - 257, 5).Bits(0, 5).Bits(18 - 4, 4);
        WriteCodeLengthCode(w);
        w.Code(2, 2).Bits(97 - 11, 7).Code(7, 3);                   // zeros, 'a': 1
        w.Code(2, 2).Bits(138 - 11, 7).Code(2, 2).Bits(20 - 11, 7); // zeros to 255
        w.Code(7, 3).Code(7, 3).Code(7, 3);                         // 256, 257, distance 0: 1
        w.Code(0, 1).Code(1, 1);
        return w.Bytes();
    }();
    // The unused pattern of an incomplete code: 11 in DynamicBlock's code.
    auto unusedPattern = [] {
        DeflateWriter w;
        w.BlockHeader(true, 2);
        w.Bits(259 - 257, 5).Bits(3 - 1, 5).Bits(18 - 4, 4);
        WriteCodeLengthCode(w);
        w.Code(2, 2).Bits(97 - 11, 7).Code(0, 2).Code(2, 2).Bits(138 - 11, 7).Code(2, 2).Bits(20 - 11, 7);
        w.Code(0, 2).Code(0, 2).Code(1, 2).Bits(0, 3).Code(7, 3);
        for (int i = 0; i < 8; ++i)
            w.Code(3, 2); // 11 belongs to no symbol
        return w.Bytes();
    }();

    using F = DecompressorPolicy_Deflate;
    struct Case {
        const char* name;
        Bytes stream;
        F::Failure failure;
    };
    const Case cases[] = {
        {"no input at all", Bytes(), F::FAILURE_INPUT_ENDED},
        {"a block header cut short", Bytes{0x01}, F::FAILURE_INPUT_ENDED},
        {"a fixed block without its end", DeflateWriter().BlockHeader(true, 1).Fixed('a').Bytes(),
         F::FAILURE_INPUT_ENDED},
        {"a block of the reserved type", DeflateWriter().BlockHeader(true, 3).Bytes(), F::FAILURE_RESERVED_BLOCK_TYPE},
        {"distance before the start of the output",
         DeflateWriter().BlockHeader(true, 1).Fixed('a').Fixed(258).Code(1, 5).Fixed(256).Bytes(),
         F::FAILURE_DISTANCE_BEFORE_START},
        {"distance at the very start", DeflateWriter().BlockHeader(true, 1).Fixed(257).Code(0, 5).Fixed(256).Bytes(),
         F::FAILURE_DISTANCE_BEFORE_START},
        {"literal/length symbol 286", DeflateWriter().BlockHeader(true, 1).Fixed(286).Fixed(256).Bytes(),
         F::FAILURE_LENGTH_SYMBOL_OUT_OF_RANGE},
        {"literal/length symbol 287", DeflateWriter().BlockHeader(true, 1).Fixed(287).Fixed(256).Bytes(),
         F::FAILURE_LENGTH_SYMBOL_OUT_OF_RANGE},
        // After a literal, with a distance code that would fit: only the symbol
        // check stands between them and a length read past the table.
        {"literal/length symbol 286 after a literal",
         DeflateWriter().BlockHeader(true, 1).Fixed('a').Fixed(286).Code(0, 5).Fixed(256).Bytes(),
         F::FAILURE_LENGTH_SYMBOL_OUT_OF_RANGE},
        {"literal/length symbol 287 after a literal",
         DeflateWriter().BlockHeader(true, 1).Fixed('a').Fixed(287).Code(0, 5).Fixed(256).Bytes(),
         F::FAILURE_LENGTH_SYMBOL_OUT_OF_RANGE},
        {"distance code 30", DeflateWriter().BlockHeader(true, 1).Fixed('a').Fixed(257).Code(30, 5).Fixed(256).Bytes(),
         F::FAILURE_DISTANCE_CODE_OUT_OF_RANGE},
        {"distance code 31", DeflateWriter().BlockHeader(true, 1).Fixed('a').Fixed(257).Code(31, 5).Fixed(256).Bytes(),
         F::FAILURE_DISTANCE_CODE_OUT_OF_RANGE},
        {"stored block longer than the input",
         [] {
             Bytes b = DeflateWriter().Stored(true, Text("four")).Bytes();
             b.pop_back();
             return b;
         }(),
         F::FAILURE_STORED_PAST_INPUT},
        {"stored block without its lengths", Bytes{0x01, 0x04, 0x00}, F::FAILURE_INPUT_ENDED},
        {"stored length and its complement disagree", DeflateWriter().Stored(true, Text("abc"), 0x0100).Bytes(),
         F::FAILURE_STORED_LENGTH_COMPLEMENT},
        {"repeat code 16 first", repeatFirst, F::FAILURE_REPEAT_WITHOUT_PREVIOUS_LENGTH},
        {"repeat running past the code lengths", DynamicBlock(2).Bytes(), F::FAILURE_CODE_LENGTHS_PAST_COUNT},
        {"more codes of a length than exist", threeOnes, F::FAILURE_CODE_LENGTHS_OVERSUBSCRIBED},
        {"a code that matches no symbol", unusedPattern, F::FAILURE_CODE_MATCHES_NO_SYMBOL},
        {"a dynamic block cut in its header",
         [] {
             Bytes b = DynamicBlock().Bytes();
             b.resize(6);
             return b;
         }(),
         F::FAILURE_INPUT_ENDED},
    };
    for (const Case& c : cases) {
        Outcome outcome = Inflate(c.stream);
        EXPECT_FALSE(outcome.success) << c.name;
        EXPECT_STREQ(F::DescribeFailure(outcome.failure), F::DescribeFailure(c.failure)) << c.name;
    }
    // A stream that decodes leaves no failure behind from an earlier one.
    DecompressorPolicy_Deflate decoder;
    UArray<unsigned char> out;
    UArray<unsigned char> bad = ToArray(Bytes{0x01});
    UArray<unsigned char> good = ToArray(DynamicBlock().Bytes());
    EXPECT_FALSE(decoder.Decompress(bad, out));
    EXPECT_TRUE(decoder.Decompress(good, out));
    EXPECT_EQ(decoder.GetFailure(), F::FAILURE_NONE);
}

TEST(DecompressorPolicy_Deflate, RefusesEveryTruncationOfARealStream) {
    Bytes compressed = ReadFixture("deflate/text_default.deflate");
    ASSERT_GT(compressed.size(), 1000u);
    for (size_t keep : {size_t(0), size_t(1), size_t(2), compressed.size() / 3, compressed.size() / 2,
                        compressed.size() - 2, compressed.size() - 1}) {
        Bytes cut(compressed.begin(), compressed.begin() + keep);
        EXPECT_FALSE(Inflate(cut).success) << keep << " bytes kept";
    }
}

TEST(DecompressorPolicy_Deflate, OutputLimitStopsLongerStreams) {
    Bytes compressed = ReadFixture("deflate/runs_level9.deflate");
    Bytes plain = ReadFixture("deflate/runs_level9.plain");
    UArray<unsigned char> in = ToArray(compressed);
    DecompressorPolicy_Deflate decoder;
    UArray<unsigned char> out;
    EXPECT_TRUE(decoder.Decompress(in, out, uint32_t(plain.size())));
    EXPECT_TRUE(ToVector(out) == plain);
    EXPECT_FALSE(decoder.Decompress(in, out, uint32_t(plain.size() - 1)));
    EXPECT_EQ(decoder.GetFailure(), DecompressorPolicy_Deflate::FAILURE_OUTPUT_PAST_LIMIT);
    EXPECT_LE(out.Num(), int32_t(plain.size() - 1));

    // Stored data is limited as well.
    UArray<unsigned char> stored = ToArray(DeflateWriter().Stored(true, Text("0123456789")).Bytes());
    EXPECT_FALSE(decoder.Decompress(stored, out, 9));
    EXPECT_TRUE(decoder.Decompress(stored, out, 10));
}

// A declared size is not trusted for the reservation: it starts at a small
// multiple of the input and grows with the output, never past the limit;
// without a limit, three times the input is reserved.
TEST(DecompressorPolicy_Deflate, ReservationFollowsTheInput) {
    UArray<unsigned char> in = ToArray(DeflateWriter().FixedLiterals(true, "tiny").Bytes());
    DecompressorPolicy_Deflate decoder;
    UArray<unsigned char> out;
    EXPECT_TRUE(decoder.Decompress(in, out, 0xFFFFFFF0u));
    EXPECT_LE(uint64_t(out.Max()), DecompressorPolicy_Deflate::INITIAL_GROWTH * uint64_t(in.Num()) + 64);
    EXPECT_TRUE(ToVector(out) == Text("tiny"));

    // 13 bits give 258 bytes: the output grows far beyond the first
    // reservation, to exactly the declared size and no further.
    const uint32_t size = 1 + 258 * 4000;
    UArray<unsigned char> runs = ToArray(DeflateWriter().FixedRuns(true, 'r', 4000).Bytes());
    EXPECT_TRUE(decoder.Decompress(runs, out, size));
    EXPECT_EQ(out.Num(), int32_t(size));
    EXPECT_LE(out.Max(), int32_t(size + 63));
    EXPECT_FALSE(decoder.Decompress(runs, out, size - 1));
    EXPECT_LE(out.Max(), int32_t(size - 1 + 63));

    Bytes compressed = ReadFixture("deflate/text_default.deflate");
    UArray<unsigned char> text = ToArray(compressed);
    EXPECT_TRUE(decoder.Decompress(text, out));
    EXPECT_GE(out.Max(), 3 * text.Num());
}

// One decoder serves one stream after the other: the tables of a dynamic
// block are replaced by the next one's.
TEST(DecompressorPolicy_Deflate, DecoderIsReusable) {
    DecompressorPolicy_Deflate decoder;
    for (const char* name : {"text_default", "mixed_full_flush", "text_default"}) {
        UArray<unsigned char> in = ToArray(ReadFixture(std::string("deflate/") + name + ".deflate"));
        UArray<unsigned char> out;
        EXPECT_TRUE(decoder.Decompress(in, out)) << name;
        EXPECT_TRUE(ToVector(out) == ReadFixture(std::string("deflate/") + name + ".plain")) << name;
    }
}

// The decoder against zlib on many streams: zlib compresses random inputs
// with every level and strategy, then damaged copies of those streams are fed
// to both. Built where zlib is available (natively); zlib is only the oracle.

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

#include "../support/Fixtures.h"
#include "orlo/Utils/DecompressorPolicy_Deflate.h"

using orlo::DecompressorPolicy_Deflate;
using orlo::UArray;
using Bytes = std::vector<unsigned char>;

namespace {

Bytes Compress(const Bytes& input, int level, int strategy, int windowBits, int memLevel) {
    z_stream stream = {};
    EXPECT_EQ(deflateInit2(&stream, level, Z_DEFLATED, -windowBits, memLevel, strategy), Z_OK);
    Bytes output(deflateBound(&stream, uLong(input.size())) + 64);
    stream.next_in = const_cast<Bytef*>(input.data());
    stream.avail_in = uInt(input.size());
    stream.next_out = output.data();
    stream.avail_out = uInt(output.size());
    EXPECT_EQ(deflate(&stream, Z_FINISH), Z_STREAM_END);
    output.resize(stream.total_out);
    deflateEnd(&stream);
    return output;
}

// zlib's verdict: true with the output when the stream ends properly.
bool ZlibInflate(const Bytes& input, Bytes& output) {
    z_stream stream = {};
    inflateInit2(&stream, -15);
    output.assign(1 << 17, 0);
    stream.next_in = const_cast<Bytef*>(input.data());
    stream.avail_in = uInt(input.size());
    stream.next_out = output.data();
    stream.avail_out = uInt(output.size());
    int result = inflate(&stream, Z_FINISH);
    output.resize(stream.total_out);
    inflateEnd(&stream);
    return result == Z_STREAM_END;
}

bool OurInflate(const Bytes& input, Bytes& output) {
    DecompressorPolicy_Deflate decoder;
    UArray<unsigned char> in = orlo_test::ToArray(input);
    UArray<unsigned char> out;
    bool success = decoder.Decompress(in, out, 1u << 17);
    output = orlo_test::ToVector(out);
    return success;
}

// Inputs from pure noise to long runs, with text-like stretches between.
Bytes MakeInput(std::mt19937& random, size_t size) {
    Bytes input;
    std::uniform_int_distribution<int> kind(0, 3);
    std::uniform_int_distribution<int> byte(0, 255);
    while (input.size() < size) {
        switch (kind(random)) {
        case 0:
            for (int i = 0; i < 200; ++i)
                input.push_back((unsigned char)byte(random));
            break;
        case 1:
            input.insert(input.end(), size_t(byte(random)) + 3, (unsigned char)byte(random));
            break;
        case 2: {
            const char* words[] = {"vertex ", "normal ", "0.0000 ", "-1.2500 ", "\r\n\t", "bone \"Root\" "};
            for (int i = 0; i < 40; ++i) {
                const char* word = words[byte(random) % 6];
                input.insert(input.end(), word, word + strlen(word));
            }
            break;
        }
        default:
            if (input.size() > 10) {
                size_t from = size_t(byte(random)) % input.size();
                size_t length = std::min<size_t>(input.size() - from, 300);
                Bytes copy(input.begin() + long(from), input.begin() + long(from + length));
                input.insert(input.end(), copy.begin(), copy.end());
            }
        }
    }
    input.resize(size);
    return input;
}

} // namespace

TEST(DeflateOracle, DecodesEveryLevelAndStrategyOfZlib) {
    std::mt19937 random(1951);
    const int strategies[] = {Z_DEFAULT_STRATEGY, Z_FILTERED, Z_HUFFMAN_ONLY, Z_RLE, Z_FIXED};
    for (int round = 0; round < 60; ++round) {
        Bytes input = MakeInput(random, size_t(random() % 70000));
        int level = int(random() % 10);
        int strategy = strategies[random() % 5];
        int windowBits = 9 + int(random() % 7);
        int memLevel = 1 + int(random() % 9);
        Bytes compressed = Compress(input, level, strategy, windowBits, memLevel);
        Bytes output;
        ASSERT_TRUE(OurInflate(compressed, output))
            << "round " << round << " level " << level << " strategy " << strategy;
        ASSERT_TRUE(output == input) << "round " << round;
    }
}

// Damaged streams: whenever zlib accepts one, the decoder must give the same
// bytes; whatever it refuses, it refuses without reading out of bounds.
TEST(DeflateOracle, AgreesWithZlibOnDamagedStreams) {
    std::mt19937 random(6151);
    int agreedAccepted = 0;
    for (int round = 0; round < 2000; ++round) {
        Bytes compressed = Compress(MakeInput(random, 2000 + size_t(random() % 6000)), int(random() % 10),
                                    round % 3 == 0 ? Z_FIXED : Z_DEFAULT_STRATEGY, 15, 8);
        int flips = 1 + int(random() % 4);
        for (int i = 0; i < flips; ++i)
            compressed[random() % compressed.size()] ^= (unsigned char)(1u << (random() % 8));
        if (random() % 4 == 0)
            compressed.resize(random() % compressed.size());

        Bytes expected;
        Bytes output;
        bool zlibAccepts = ZlibInflate(compressed, expected);
        bool weAccept = OurInflate(compressed, output);
        if (zlibAccepts) {
            ASSERT_TRUE(weAccept) << "round " << round;
            ASSERT_TRUE(output == expected) << "round " << round;
            ++agreedAccepted;
        }
    }
    // Some damage leaves a valid stream (flipped literal bits): the comparison ran.
    EXPECT_GT(agreedAccepted, 0);
}

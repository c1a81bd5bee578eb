#pragma once

#include <cstdint>

#include "orlo/Utils/UArray.h"

namespace orlo {

// Decodes a raw deflate stream held whole in memory into a byte array. There
// is no window: the output array itself is the history that back-references
// copy from. Huffman symbols are decoded bit by bit against canonical code
// ranges, one code length after the other.
//
// Nothing in the input is trusted: every way a stream can be damaged ends
// the decoding with false, and GetFailure() names which one it was.
//
//     DecompressorPolicy_Deflate decoder;
//     if (!decoder.Decompress(compressed, plain, declaredSize))
//         report(DecompressorPolicy_Deflate::DescribeFailure(decoder.GetFailure()));
class DecompressorPolicy_Deflate {
public:
    enum Failure {
        FAILURE_NONE,
        FAILURE_INPUT_ENDED,
        FAILURE_RESERVED_BLOCK_TYPE,
        FAILURE_STORED_LENGTH_COMPLEMENT,
        FAILURE_STORED_PAST_INPUT,
        FAILURE_CODE_MATCHES_NO_SYMBOL,
        FAILURE_LENGTH_SYMBOL_OUT_OF_RANGE,
        FAILURE_DISTANCE_CODE_OUT_OF_RANGE,
        FAILURE_DISTANCE_BEFORE_START,
        FAILURE_REPEAT_WITHOUT_PREVIOUS_LENGTH,
        FAILURE_CODE_LENGTHS_PAST_COUNT,
        FAILURE_CODE_LENGTHS_OVERSUBSCRIBED,
        FAILURE_OUTPUT_PAST_LIMIT,
        FAILURE_NO_MEMORY_FOR_TABLES,
    };

    DecompressorPolicy_Deflate();
    ~DecompressorPolicy_Deflate();
    DecompressorPolicy_Deflate(const DecompressorPolicy_Deflate&) = delete;
    DecompressorPolicy_Deflate& operator=(const DecompressorPolicy_Deflate&) = delete;

    // Empties `output`, reserves three times the input length and decodes
    // every block. True once a block marked final has been decoded to its end;
    // false on any failure, with what was decoded before it left in `output`.
    bool Decompress(const UArray<unsigned char>& input, UArray<unsigned char>& output);

    // As above for a stream that must not produce more than `outputLimit`
    // bytes (the size its producer declared): producing more is a failure.
    // The declared size is not trusted for the reservation: it starts at
    // INITIAL_GROWTH times the input (never beyond the limit) and doubles as
    // the output needs it, up to the limit.
    static constexpr uint64_t INITIAL_GROWTH = 4;
    bool Decompress(const UArray<unsigned char>& input, UArray<unsigned char>& output, uint32_t outputLimit);

    // Why the last Decompress returned false; FAILURE_NONE after a success.
    Failure GetFailure() const { return m_failure; }
    // A short text for a failure, for messages: "a distance reaching before
    // the start of the output".
    static const char* DescribeFailure(Failure failure);

    // One literal/length symbol of the fixed code; -1 when the input ends.
    int32_t GetNextFixedHuffmanCode();

    // The most output a deflate stream of `inputLength` bytes can produce:
    // a length of 258 costs at least two bits in a dynamic block.
    static uint64_t GetLargestOutput(uint64_t inputLength) { return inputLength * 1032 + 258; }

private:
    static constexpr int MAX_CODE_LENGTH = 15;

    // The symbols of one code length: codes firstCode..lastCode, in
    // ascending symbol order, so the symbol of code c is symbols[c - firstCode].
    struct CodeLengthEntry {
        int32_t count;
        uint32_t firstCode;
        uint32_t lastCode;
        uint32_t* symbols;
    };

    struct DynamicTable {
        CodeLengthEntry entries[MAX_CODE_LENGTH + 1];
    };

    bool Run(const UArray<unsigned char>& input, UArray<unsigned char>& output, uint64_t reservation,
             uint64_t outputLimit);

    // Records why decoding stops; always false, for `return Fail(...)`.
    bool Fail(Failure failure);

    // Bits come from a 64-bit buffer, the least significant first, refilled a
    // byte at a time; m_input points past the last byte taken into it.
    void Refill();
    bool ReadBit(uint32_t& bit);
    // `count` bits (at most 16), the first one read as bit 0.
    bool ReadBits(int count, uint32_t& value);
    // Drops the rest of a partly read byte and hands the whole bytes still in
    // the buffer back to the input, for a stored block's byte-aligned data.
    void AlignToByte();

    bool DecodeStoredBlock();
    bool DecodeCompressedBlock(bool fixed);
    bool ReadDynamicTables();
    // Gives the symbols of `count` code lengths their canonical codes; false
    // for a set of lengths that asks for more codes than exist.
    bool BuildTable(DynamicTable& table, const uint8_t* lengths, int count);
    void ReleaseTable(DynamicTable& table);
    int32_t DecodeSymbol(const DynamicTable& table);
    int32_t DecodeFixedDistance();

    // Room for `length` more output bytes, growing the capacity by doubling
    // but never past the output limit; false when they would pass it.
    bool MakeRoom(uint32_t length);
    bool AppendLiteral(unsigned char byte);
    bool AppendCopy(uint32_t length, uint32_t distance);

    const unsigned char* m_input = nullptr;
    const unsigned char* m_inputEnd = nullptr;
    uint64_t m_bitBuffer = 0;
    int m_bitCount = 0;
    Failure m_failure = FAILURE_NONE;
    UArray<unsigned char>* m_output = nullptr;
    uint64_t m_outputLimit = 0;
    DynamicTable m_literalTable;
    DynamicTable m_distanceTable;
};

} // namespace orlo

#pragma once

#include <cstdint>
#include <vector>

namespace orlo_test {

// Writes deflate streams bit by bit, for streams that no compressor makes:
// edge cases and damaged ones.
class DeflateWriter {
public:
    // Header fields and extra bits: least significant bit first.
    DeflateWriter& Bits(uint32_t value, int count) {
        for (int i = 0; i < count; ++i)
            Bit((value >> i) & 1u);
        return *this;
    }
    // Huffman codes: most significant bit first.
    DeflateWriter& Code(uint32_t code, int length) {
        for (int i = length - 1; i >= 0; --i)
            Bit((code >> i) & 1u);
        return *this;
    }
    DeflateWriter& BlockHeader(bool final, uint32_t type) { return Bits(final ? 1 : 0, 1).Bits(type, 2); }

    // A literal/length symbol of the fixed code.
    DeflateWriter& Fixed(uint32_t symbol) {
        if (symbol < 144)
            return Code(0x30 + symbol, 8);
        if (symbol < 256)
            return Code(0x190 + symbol - 144, 9);
        if (symbol < 280)
            return Code(symbol - 256, 7);
        return Code(0xC0 + symbol - 280, 8);
    }
    // A fixed-code block holding these literals.
    DeflateWriter& FixedLiterals(bool final, const char* text) {
        BlockHeader(final, 1);
        for (const char* p = text; *p != 0; ++p)
            Fixed(uint8_t(*p));
        return Fixed(256);
    }
    // A fixed-code block of one literal followed by `runs` copies of 258
    // bytes at distance 1: 1 + 258 * runs bytes of it from 13 bits a run.
    DeflateWriter& FixedRuns(bool final, char byte, int runs) {
        BlockHeader(final, 1);
        Fixed(uint8_t(byte));
        for (int i = 0; i < runs; ++i)
            Fixed(285).Code(0, 5);
        return Fixed(256);
    }
    // A stored block: to the byte boundary, LEN, NLEN, the bytes.
    DeflateWriter& Stored(bool final, const std::vector<uint8_t>& data, uint16_t complement_xor = 0) {
        BlockHeader(final, 0);
        AlignToByte();
        uint16_t length = uint16_t(data.size());
        Bits(length, 16).Bits(uint16_t(~length ^ complement_xor), 16);
        for (uint8_t byte : data)
            Bits(byte, 8);
        return *this;
    }
    DeflateWriter& AlignToByte() {
        while (m_bitCount != 0)
            Bit(0);
        return *this;
    }
    DeflateWriter& RawByte(uint8_t byte) {
        AlignToByte();
        return Bits(byte, 8);
    }

    std::vector<uint8_t> Bytes() const { return m_bytes; }

private:
    void Bit(uint32_t bit) {
        if (m_bitCount == 0)
            m_bytes.push_back(0);
        m_bytes.back() |= uint8_t(bit << m_bitCount);
        m_bitCount = (m_bitCount + 1) & 7;
    }

    std::vector<uint8_t> m_bytes;
    int m_bitCount = 0;
};

} // namespace orlo_test

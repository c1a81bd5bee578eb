#pragma once

#include <cstddef>
#include <cstdint>

namespace orlo {

// Number text of the file formats, the same in every process locale: the C
// locale's results, whatever locale the host has set.
class UNumberText {
public:
    // A float needs at most 47 characters at four decimals.
    static constexpr size_t FIXED4_BUFFER_SIZE = 64;

    // As the C locale's atoi: leading white space, an optional sign, decimal
    // digits up to the first character that cannot continue the number; 0 when
    // there is none. Values from 2^31 to 2^32-1 wrap to the same 32 bits (every
    // unsigned 32-bit text reads back to the bits written); beyond -2^31 ... 2^32-1
    // the result saturates at INT32_MIN or at -1 (0xFFFFFFFF), values that no
    // count or index check accepts.
    static int32_t ParseInt(const char* text);

    // As the C locale's atof (strtod): leading white space, an optional sign,
    // decimal or 0x hexadecimal digits with fraction and exponent, inf, infinity
    // and nan; 0 when there is no number. Overflow gives an infinity, underflow
    // zero.
    static double ParseDouble(const char* text);

    // As the C locale's "%.4f": optional '-', the integer digits, '.', four
    // rounded decimals, never an exponent. Writes into `buffer` (at least
    // FIXED4_BUFFER_SIZE bytes, terminated) and returns the length.
    static int32_t FormatFixed4(double value, char* buffer);
};

} // namespace orlo

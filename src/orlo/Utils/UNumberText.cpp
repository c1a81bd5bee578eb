#include "orlo/Utils/UNumberText.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

namespace orlo {

namespace {

// White space of the C locale.
bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsHexDigit(char c) {
    return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// A range error of from_chars leaves the value alone; strtod gives an infinity
// for a number too large and zero for one too small. Decides which from the
// digits: the position of the leading digit plus the exponent.
bool IsTooLarge(const char* begin, const char* end, bool hexadecimal) {
    const char exponentMark = hexadecimal ? 'p' : 'e';
    const int digitWeight = hexadecimal ? 4 : 1;
    int64_t leading = 0;
    const char* p = begin;
    while (p < end && *p == '0')
        ++p;
    if (p < end && *p != '.' && std::tolower(static_cast<unsigned char>(*p)) != exponentMark) {
        for (; p < end && (hexadecimal ? IsHexDigit(*p) : IsDigit(*p)); ++p)
            leading += digitWeight;
    } else {
        if (p < end && *p == '.')
            ++p;
        leading = -digitWeight;
        for (; p < end && *p == '0'; ++p)
            leading -= digitWeight;
    }
    p = begin;
    while (p < end && std::tolower(static_cast<unsigned char>(*p)) != exponentMark)
        ++p;
    int64_t exponent = 0;
    if (p < end) {
        ++p;
        bool negative = p < end && *p == '-';
        if (p < end && (*p == '-' || *p == '+'))
            ++p;
        for (; p < end && IsDigit(*p); ++p)
            if (exponent < 1000000000)
                exponent = exponent * 10 + (*p - '0');
        if (negative)
            exponent = -exponent;
    }
    return leading + exponent > 0;
}

// Characters that can stand in a number strtod reads, "nan(chars)" included.
struct NumberBytes {
    bool entries[256];
    constexpr NumberBytes() : entries() {
        for (int c = 0; c < 256; ++c)
            entries[c] = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '.' ||
                         c == '+' || c == '-' || c == '(' || c == ')' || c == '_';
    }
};

constexpr NumberBytes kNumberBytes;

bool CanBeInNumber(char c) {
    return kNumberBytes.entries[static_cast<unsigned char>(c)];
}

// The end of an ordinary decimal number at `p` (digits, an optional fraction,
// an optional exponent with digits), or null when the text is anything else
// or goes on with a character that could still belong to a number in one of
// the rarer forms (hexadecimal, "1e5e", ...).
const char* EndOfPlainDecimal(const char* p) {
    if (!IsDigit(*p) || (p[0] == '0' && (p[1] == 'x' || p[1] == 'X')))
        return nullptr;
    while (IsDigit(*p))
        ++p;
    if (*p == '.') {
        ++p;
        while (IsDigit(*p))
            ++p;
    }
    if (*p == 'e' || *p == 'E') {
        const char* exponent = p + 1;
        if (*exponent == '-' || *exponent == '+')
            ++exponent;
        if (!IsDigit(*exponent))
            return nullptr;
        while (IsDigit(*exponent))
            ++exponent;
        p = exponent;
    }
    return CanBeInNumber(*p) ? nullptr : p;
}

// Parses an unsigned number (no sign) as strtod would; false when none starts here.
bool ParseMagnitude(const char* text, double& value) {
    // The number ends before the first character that cannot be in one; the
    // rest of the text may be long, so it is not measured.
    const char* end = text;
    while (CanBeInNumber(*end))
        ++end;
    if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        const char* digits = text + 2;
        bool hasDigits = IsHexDigit(digits[0]) || (digits[0] == '.' && IsHexDigit(digits[1]));
        if (hasDigits) {
            auto result = std::from_chars(digits, end, value, std::chars_format::hex);
            if (result.ec == std::errc::result_out_of_range)
                value = IsTooLarge(digits, result.ptr, true) ? std::numeric_limits<double>::infinity() : 0.0;
            return true;
        }
        // "0x" without digits: the number is the 0.
    }
    if (text[0] == '-' || text[0] == '+')
        return false;
    auto result = std::from_chars(text, end, value, std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range) {
        value = IsTooLarge(text, result.ptr, false) ? std::numeric_limits<double>::infinity() : 0.0;
        return true;
    }
    return result.ec == std::errc();
}

// Skips leading white space and one sign, as the C library's conversions do;
// true for a minus.
bool SkipSpaceAndSign(const char*& p) {
    while (IsSpace(*p))
        ++p;
    bool negative = *p == '-';
    if (*p == '-' || *p == '+')
        ++p;
    return negative;
}

} // namespace

int32_t UNumberText::ParseInt(const char* text) {
    const char* p = text;
    bool negative = SkipSpaceAndSign(p);
    // Anything beyond 2^32 is out of range either way; the magnitude stops there.
    const uint64_t beyond = uint64_t(1) << 32;
    uint64_t magnitude = 0;
    for (; IsDigit(*p); ++p) {
        magnitude = magnitude * 10 + unsigned(*p - '0');
        if (magnitude > beyond)
            magnitude = beyond;
    }
    // Unsigned 32-bit text wraps, so that a value written unsigned (a bone index
    // of -1 is 4294967295) reads back to the same bits. Beyond -2^31 ... 2^32-1 it
    // saturates: cutting those bits would turn 4294967296 into a valid 0.
    if (negative)
        return magnitude >= (uint64_t(1) << 31) ? INT32_MIN : -static_cast<int32_t>(magnitude);
    if (magnitude >= beyond)
        return static_cast<int32_t>(UINT32_MAX);
    return static_cast<int32_t>(static_cast<uint32_t>(magnitude));
}

double UNumberText::ParseDouble(const char* text) {
    // The file's own numbers ("-12", "0.5000", "1e-5") go straight to
    // from_chars, which reads them as strtod does; anything else (white space,
    // '+', hexadecimal, inf and nan, a value out of range) takes the long way.
    if (const char* end = EndOfPlainDecimal(text[0] == '-' ? text + 1 : text)) {
        double value = 0.0;
        auto result = std::from_chars(text, end, value, std::chars_format::general);
        if (result.ec == std::errc() && result.ptr == end)
            return value;
    }
    const char* p = text;
    bool negative = SkipSpaceAndSign(p);
    double value = 0.0;
    if (!ParseMagnitude(p, value))
        return 0.0;
    return negative ? -value : value;
}

namespace {

// |value| x 10^4 rounded to the nearest integer, ties to even, computed
// exactly from the value's bits, which is how the C library rounds the exact
// binary value for "%.4f"; false when the product does not fit 64 bits (large
// values, infinities, NaN), which the caller leaves to the library. Every
// float's mantissa has 24 bits, so every float below 2^36 fits.
bool ScaledByTenThousand(double value, uint64_t& scaled) {
    uint64_t bits = 0;
    memcpy(&bits, &value, sizeof(bits));
    const int exponentBits = int((bits >> 52) & 0x7ff);
    uint64_t mantissa = bits & ((uint64_t(1) << 52) - 1);
    if (exponentBits == 0x7ff)
        return false;
    int exponent = -1074;
    if (exponentBits != 0) {
        mantissa |= uint64_t(1) << 52;
        exponent = exponentBits - 1075;
    }
    if (mantissa == 0) {
        scaled = 0;
        return true;
    }
    // |value| = mantissa x 2^exponent, with the mantissa as short as it goes.
    const int trailingZeros = __builtin_ctzll(mantissa);
    mantissa >>= trailingZeros;
    exponent += trailingZeros;
    if (mantissa >= uint64_t(1) << 50)
        return false;
    const uint64_t product = mantissa * 10000; // below 2^64
    if (exponent >= 0) {
        if (exponent > 63 || product > (~uint64_t(0) >> exponent))
            return false;
        scaled = product << exponent;
        return true;
    }
    const int shift = -exponent;
    if (shift > 64) {
        scaled = 0; // below a half
        return true;
    }
    if (shift == 64) {
        // The product over 2^64 is below 1; above a half it rounds up.
        scaled = product > (uint64_t(1) << 63) ? 1 : 0;
        return true;
    }
    const uint64_t quotient = product >> shift;
    const uint64_t remainder = product & ((uint64_t(1) << shift) - 1);
    const uint64_t half = uint64_t(1) << (shift - 1);
    scaled = quotient + ((remainder > half || (remainder == half && (quotient & 1) != 0)) ? 1 : 0);
    return true;
}

} // namespace

int32_t UNumberText::FormatFixed4(double value, char* buffer) {
    uint64_t scaled = 0;
    if (!ScaledByTenThousand(value, scaled)) {
        auto result = std::to_chars(buffer, buffer + FIXED4_BUFFER_SIZE - 1, value, std::chars_format::fixed, 4);
        *result.ptr = 0;
        return static_cast<int32_t>(result.ptr - buffer);
    }
    // The digits from the last one back, then the sign: a negative value
    // keeps its '-' even where it rounds to zero, as "%.4f" does.
    char digits[32];
    char* p = digits + sizeof(digits);
    for (int i = 0; i < 4; ++i) {
        *--p = char('0' + scaled % 10);
        scaled /= 10;
    }
    *--p = '.';
    do {
        *--p = char('0' + scaled % 10);
        scaled /= 10;
    } while (scaled != 0);
    if (std::signbit(value))
        *--p = '-';
    const int32_t length = static_cast<int32_t>(digits + sizeof(digits) - p);
    memcpy(buffer, p, size_t(length));
    buffer[length] = 0;
    return length;
}

} // namespace orlo

#pragma once

// Reads a string-source tokenizer to its end, one read kind after the other
// (string, int, float, two, three and four floats), and checks what the
// tokenizer promises about its token table and its reads.

#include <cstring>

#include "FuzzSupport.h"
#include "orlo/Math/TVector2.h"
#include "orlo/Math/TVector3.h"
#include "orlo/Utils/UTextParser.h"

namespace orlo_fuzz {

// Every span lies inside the text, outer spans follow each other without
// overlapping, and each inner span lies inside its outer span.
inline void CheckTokenTable(const orlo::TextParserPolicy_ParseString& parser, const orlo::UString& text) {
    const orlo::UArray<int>& table = parser.GetTokenTable();
    const int length = text.Length();
    FUZZ_CHECK(table.Num() % 4 == 0);
    FUZZ_CHECK(parser.GetCursor() == (table.Num() == 0 ? -1 : 0));
    int end = 0;
    for (int i = 0; i < table.Num(); i += 4) {
        const int outerStart = table[i], outerLength = table[i + 1];
        const int innerStart = table[i + 2], innerLength = table[i + 3];
        FUZZ_CHECK(outerStart >= end && outerLength > 0 && outerStart + outerLength <= length);
        FUZZ_CHECK(innerStart >= outerStart && innerLength >= 0);
        FUZZ_CHECK(innerStart + innerLength <= outerStart + outerLength);
        end = outerStart + outerLength;
    }
}

inline void ReadToEnd(orlo::TextParserPolicy_ParseString& parser, const orlo::UString& text) {
    CheckTokenTable(parser, text);
    const orlo::UArray<int>& table = parser.GetTokenTable();
    const orlo::UString before(text);
    orlo::UString value;
    int read = 0;
    while (parser.HasToken()) {
        const int cursor = parser.GetCursor();
        const orlo::UString peeked = parser.PeekString();
        switch (read++ % 6) {
        case 0: {
            parser.ReadString(value);
            // The inner span up to its first zero byte.
            const char* inner = text.c_str() + table[cursor + 2];
            const size_t length = strnlen(inner, size_t(table[cursor + 3]));
            FUZZ_CHECK(size_t(value.Length()) == length && memcmp(value.c_str(), inner, length) == 0);
            FUZZ_CHECK(value == peeked);
            break;
        }
        case 1: {
            int number = 0;
            parser.ReadInt(number);
            break;
        }
        case 2: {
            float number = 0;
            parser.ReadFloat(number);
            break;
        }
        case 3: {
            orlo::TVector2<float> vector;
            parser.ReadFloats(vector);
            break;
        }
        case 4: {
            orlo::TVector3<float> vector;
            parser.ReadFloats(vector);
            break;
        }
        default: {
            float vector[4] = {};
            parser.ReadFloats(vector);
            break;
        }
        }
        FUZZ_CHECK(parser.GetCursor() > cursor && parser.GetCursor() <= table.Num());
    }
    // Past the end: no error, empty strings and zeros, the cursor stays.
    const int cursor = parser.GetCursor();
    int number = 1;
    float real = 1;
    parser.ReadString(value).ReadInt(number).ReadFloat(real);
    FUZZ_CHECK(value.Length() == 0 && number == 0 && real == 0);
    FUZZ_CHECK(parser.GetCursor() == cursor && parser.PeekString().Length() == 0);
    // String reads put back the byte they borrow for the terminator.
    FUZZ_CHECK(text.Num() == before.Num() && memcmp(text.GetData(), before.GetData(), size_t(text.Num())) == 0);
}

} // namespace orlo_fuzz

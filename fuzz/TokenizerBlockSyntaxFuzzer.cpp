// The block syntax (data text: quoted strings, nested blocks, bare words) over
// the bytes as a string source, then every read to the end; the words of a
// text without quotes and braces as the word cursor finds them; and over the same
// bytes as a stream source, which must find the same tokens and leave the
// stream where it was.

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "FuzzSupport.h"
#include "TokenizerReads.h"
#include "orlo/CoreServices/Implementations/UInputStream_Memory.h"
#include "orlo/ErrorDescription.h"
#include "orlo/Utils/TextParserPolicy_BlockSyntax.h"
#include "orlo/Utils/UBlockScanner.h"
#include "orlo/Utils/UTextParser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    orlo_fuzz::SetUpOnce();
    const orlo::UString text = orlo_fuzz::ToText(data, size);
    orlo::UArray<int> table;
    bool stringRaised = false;
    try {
        orlo::UTextParser<orlo::TextParserPolicy_ParseString, orlo::TextParserPolicy_BlockSyntax> parser(text);
        table = parser.GetTokenTable();
        orlo_fuzz::ReadToEnd(parser, text);
    } catch (const orlo::ErrorDescription&) {
        // A search that gives up on damaged text: an error, as it should be.
        stringRaised = true;
    }

    // Without quotes and braces the tokens are bare words, which the word
    // cursor finds without a table: the same starts, as many.
    const int32_t words = orlo::UBlockScanner::CountWords(data, int32_t(size));
    const bool plain =
        memchr(data, '"', size) == nullptr && memchr(data, '{', size) == nullptr && memchr(data, '}', size) == nullptr;
    FUZZ_CHECK(plain == (words >= 0));
    if (plain && !stringRaised) {
        FUZZ_CHECK(words * 4 == table.Num());
        orlo::UBlockScanner::WordCursor cursor(data, int32_t(size));
        for (int32_t i = 0; i < table.Num(); i += 4)
            FUZZ_CHECK(cursor.Next() == data + table[i]);
        FUZZ_CHECK(cursor.Next() == nullptr);
    }

    orlo::UInputStream_Memory stream("fuzz.txt", data, size);
    orlo::IInputStream* source = &stream;
    bool streamRaised = false;
    try {
        orlo::UTextParser<orlo::TextParserPolicy_ParseStream<unsigned char>, orlo::TextParserPolicy_BlockSyntax> parser(
            source);
        FUZZ_CHECK(stream.GetPosition() == 0);
        const orlo::UArray<int>& streamTable = parser.GetParser().GetTokenTable();
        FUZZ_CHECK(streamTable.Num() == table.Num());
        FUZZ_CHECK(table.Num() == 0 || memcmp(streamTable.GetData(), table.GetData(), sizeof(int) * table.Num()) == 0);
    } catch (const orlo::ErrorDescription&) {
        streamRaised = true;
    }
    FUZZ_CHECK(streamRaised == stringRaised);
    return 0;
}

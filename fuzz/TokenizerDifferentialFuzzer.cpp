// The block syntax's two scanners on the same bytes: the hand-written scanner
// (through the tokenizer, over a string and over a span) must give exactly the
// token table of the regex engine. A search that gives up (retry limit) gives
// no verdict.

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "FuzzSupport.h"
#include "orlo/ErrorDescription.h"
#include "orlo/Utils/TextParserPolicy_BlockSyntax.h"
#include "orlo/Utils/UBlockScanner.h"
#include "orlo/Utils/UTextParser.h"

namespace {

bool SameTables(const orlo::UArray<int>& a, const orlo::UArray<int>& b) {
    return a.Num() == b.Num() && (a.Num() == 0 || memcmp(a.GetData(), b.GetData(), size_t(a.Num()) * sizeof(int)) == 0);
}

void PrintTable(const char* label, const orlo::UArray<int>& table) {
    fprintf(stderr, "%s:", label);
    for (int32_t i = 0; i < table.Num(); ++i)
        fprintf(stderr, "%s%d", i % 4 == 0 ? "  " : " ", table[i]);
    fprintf(stderr, "\n");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    orlo_fuzz::SetUpOnce();
    const orlo::UString text = orlo_fuzz::ToText(data, size);

    orlo::UString mainPattern;
    orlo::UList<orlo::UString> refinements;
    orlo::TextParserPolicy_BlockSyntax::Apply(mainPattern, refinements);
    orlo::UArray<int> expected;
    try {
        orlo::TextParserPolicy_ParseString regex(text, mainPattern, refinements,
                                                 orlo::TextParserPolicy_ParseString::ScanMethod::Regex);
        expected = regex.GetTokenTable();
    } catch (const orlo::ErrorDescription& error) {
        // The engine gave up on this text: nothing to compare with.
        FUZZ_CHECK(strstr(error.GetMessageText(), "Search gave up") != nullptr);
        return 0;
    }

    orlo::UArray<int> scanned;
    orlo::UBlockScanner(data, int32_t(size)).Scan(scanned);
    if (!SameTables(scanned, expected)) {
        PrintTable("regex  ", expected);
        PrintTable("scanner", scanned);
    }
    FUZZ_CHECK(SameTables(scanned, expected));

    orlo::UTextParser<orlo::TextParserPolicy_ParseString, orlo::TextParserPolicy_BlockSyntax> parser(text);
    FUZZ_CHECK(SameTables(parser.GetTokenTable(), expected));
    orlo::UTextParser<orlo::TextParserPolicy_ParseString, orlo::TextParserPolicy_BlockSyntax> span(
        reinterpret_cast<const unsigned char*>(text.c_str()), int32_t(size));
    FUZZ_CHECK(SameTables(span.GetTokenTable(), expected));
    return 0;
}

// The command-line syntax (quoted strings, options with their parameters, bare words) over
// the bytes as a string source, then every read to the end.

#include <cstddef>
#include <cstdint>

#include "FuzzSupport.h"
#include "TokenizerReads.h"
#include "orlo/ErrorDescription.h"
#include "orlo/Utils/TextParserPolicy_CommandLineSyntax.h"
#include "orlo/Utils/UTextParser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    orlo_fuzz::SetUpOnce();
    const orlo::UString text = orlo_fuzz::ToText(data, size);
    try {
        orlo::UTextParser<orlo::TextParserPolicy_ParseString, orlo::TextParserPolicy_CommandLineSyntax> parser(text);
        orlo_fuzz::ReadToEnd(parser, text);
    } catch (const orlo::ErrorDescription&) {
        // A search that gives up on damaged text: an error, as it should be.
    }
    return 0;
}

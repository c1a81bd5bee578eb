#pragma once

#include "orlo/Utils/UBaseString.h"
#include "orlo/Utils/UList.h"

namespace orlo {

// Data text: quoted strings, blocks in balanced curly braces (which may hold
// quoted strings and further blocks) and bare words, across lines. The
// refinement pattern unwraps a block or a quoted string to its content.
class TextParserPolicy_BlockSyntax {
public:
    // The patterns are compiled as stored, tabs and comments included.
    static const char MAIN_PATTERN[];
    static const char REFINEMENT_PATTERN[];

    // Stores the main pattern and appends the one refinement pattern.
    static void Apply(UBaseString<unsigned char>& mainPattern, UList<UBaseString<unsigned char>>& refinementPatterns);

    // True when the patterns are exactly this set's, which UBlockScanner
    // matches by hand.
    static bool IsBlockSyntax(const UBaseString<unsigned char>& mainPattern,
                              const UList<UBaseString<unsigned char>>& refinementPatterns);
};

} // namespace orlo

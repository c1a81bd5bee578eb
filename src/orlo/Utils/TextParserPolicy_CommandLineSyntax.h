#pragma once

#include "orlo/Utils/UBaseString.h"
#include "orlo/Utils/UList.h"

namespace orlo {

// Options text within one line: quoted strings, options that run from their
// dash up to the next blank followed by a dash (so their parameters belong to
// them), and bare words. The refinement pattern drops an option's dash.
class TextParserPolicy_CommandLineSyntax {
public:
    // The patterns are compiled as stored, tabs and comments included.
    static const char MAIN_PATTERN[];
    static const char REFINEMENT_PATTERN[];

    // Stores the main pattern and appends the one refinement pattern.
    static void Apply(UBaseString<unsigned char>& mainPattern, UList<UBaseString<unsigned char>>& refinementPatterns);
};

} // namespace orlo

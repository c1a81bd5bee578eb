#include "orlo/Utils/TextParserPolicy_BlockSyntax.h"

#include <cstring>

namespace orlo {

// Extended mode: the tabs and (?# ) comments carry no meaning.
const char TextParserPolicy_BlockSyntax::MAIN_PATTERN[] =
    "(?mx)\t\t\t\t\t(?# case sensitive, multiline, extended)\t\t\t\t\t\t\t(\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t"
    "\t\t\t\t\t\t\t\t\"[^\"]*\"\t\t(?# match everything enclosed by quotes)\t\t\t\t\t\t\t)\t\t\t\t\t\t\t\t"
    "\t\t\t\t\t\t\t\t\t\t\t\t\t\t|\t\t\t\t\t(?# or)\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t(\t\t\t\t\t\t\t\t\t\t\t"
    "\t\t\t\t\t\t\t\t\t\t\t\t\\{\t\t\t\t(?# match curly brace)\t\t\t\t\t\t\t\t\t\t\t\t\t(?:\t\t\t\t\t\t\t"
    "\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\\g<1>\t\t(?# match everything enclosed by quotes)\t\t\t\t\t\t\t\t\t"
    "|\t\t\t(?# or)\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t[^\\{\\}]\t(?# match everything anything except cu"
    "rly braces)\t\t\t\t\t\t\t|\t\t\t(?# or)\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\\g<2>\t\t(?# match block"
    " recursively)\t\t\t\t\t\t\t\t\t\t\t)*\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\\}\t\t\t\t(?# matc"
    "h curly brace)\t\t\t\t\t\t\t\t\t\t\t\t)\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t|\t\t\t\t\t(?# or"
    ")\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t[^\\s\"\\{\\}]+\t\t(?# match non-whitespace/quotes/curly braces)\t\t"
    "\t\t\t";

const char TextParserPolicy_BlockSyntax::REFINEMENT_PATTERN[] =
    "(?m)(?<=\\A\\{).*(?=\\}\\Z)|(?<=\\A\").*(?=\"\\Z)|\\A[^\\{\"].*";

void TextParserPolicy_BlockSyntax::Apply(UBaseString<unsigned char>& mainPattern,
                                         UList<UBaseString<unsigned char>>& refinementPatterns) {
    mainPattern = MAIN_PATTERN;
    refinementPatterns.AddTail(UBaseString<unsigned char>(REFINEMENT_PATTERN));
}

bool TextParserPolicy_BlockSyntax::IsBlockSyntax(const UBaseString<unsigned char>& mainPattern,
                                                 const UList<UBaseString<unsigned char>>& refinementPatterns) {
    auto* refinement = refinementPatterns.GetFirst();
    return refinement != nullptr && refinement->next == nullptr && strcmp(mainPattern.c_str(), MAIN_PATTERN) == 0 &&
           mainPattern.Length() == int32_t(sizeof(MAIN_PATTERN) - 1) &&
           strcmp(refinement->value.c_str(), REFINEMENT_PATTERN) == 0 &&
           refinement->value.Length() == int32_t(sizeof(REFINEMENT_PATTERN) - 1);
}

} // namespace orlo

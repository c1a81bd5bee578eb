#include "orlo/Utils/TextParserPolicy_CommandLineSyntax.h"

namespace orlo {

// Extended mode: the tabs and (?# ) comments carry no meaning.
const char TextParserPolicy_CommandLineSyntax::MAIN_PATTERN[] =
    "(?x)\t\t\t\t\t(?# case sensitive, single line, extended)\t\t\t\t\t\t\t(\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t"
    "\t\t\t\t\t\t\t\t\"[^\"]*\"\t\t(?# match everything enclosed by quotes)\t\t\t\t\t\t\t)\t\t\t\t\t\t\t\t"
    "\t\t\t\t\t\t\t\t\t\t\t\t\t\t|\t\t\t\t\t(?# or)\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t(?:\t\t\t\t\t\t\t\t\t\t"
    "\t\t\t\t\t\t\t\t\t\t\t\t\t-\t\t\t\t(?# match dash)\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t(?:\t\t\t\t\t\t\t\t\t"
    "\t\t\t\t\t\t\t\t\t\t\t\t\t\t\\g<1>\t\t(?# match everything enclosed by quotes)\t\t\t\t\t\t\t\t\t|\t\t"
    "\t(?# or)\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t.\t\t\t(?# match any character)\t\t\t\t\t\t\t\t\t\t\t\t"
    ")*?\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t(?:\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t(?=\\"
    "s-)\t(?# if lookahead matches a whitespace and a dash)\t\t\t\t\t\t\t|\t\t\t(?# or)\t\t\t\t\t\t\t\t\t"
    "\t\t\t\t\t\t\t\t\t$\t\t\t(?# match end of string - multiline)\t\t\t\t\t\t\t\t\t)\t\t\t\t\t\t\t\t\t\t"
    "\t\t\t\t\t\t\t\t\t\t\t)\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t|\t\t\t\t\t(?# or)\t\t\t\t\t\t\t\t"
    "\t\t\t\t\t\t\t\t[^\\s]+\t\t\t\t(?# match non-whitespace)\t\t\t\t\t\t\t\t\t\t";

const char TextParserPolicy_CommandLineSyntax::REFINEMENT_PATTERN[] = "(?:(?<=-)|(?=\\A[^-])).+";

void TextParserPolicy_CommandLineSyntax::Apply(UBaseString<unsigned char>& mainPattern,
                                               UList<UBaseString<unsigned char>>& refinementPatterns) {
    mainPattern = MAIN_PATTERN;
    refinementPatterns.AddTail(UBaseString<unsigned char>(REFINEMENT_PATTERN));
}

} // namespace orlo

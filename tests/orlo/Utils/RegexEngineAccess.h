#pragma once

#include <string>

// Direct calls into the regex engine for the tests, kept in a source of their
// own: the engine's header and the C library's regex.h (which GoogleTest pulls
// in) declare the same structure.
namespace regex_engine_access {

std::string ErrorMessage(int code);
int UnmatchedParenthesisCode();
int MatchStackLimitCode();
unsigned int GetMatchStackLimit();
void SetMatchStackLimit(unsigned int limit);

} // namespace regex_engine_access

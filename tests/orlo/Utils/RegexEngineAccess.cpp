#include "RegexEngineAccess.h"

#include <oniguruma.h>

namespace regex_engine_access {

std::string ErrorMessage(int code) {
    OnigUChar text[ONIG_MAX_ERROR_MESSAGE_LEN + 1] = {};
    onig_error_code_to_str(text, code);
    return reinterpret_cast<const char*>(text);
}

int UnmatchedParenthesisCode() {
    return ONIGERR_END_PATTERN_WITH_UNMATCHED_PARENTHESIS;
}
int MatchStackLimitCode() {
    return ONIGERR_MATCH_STACK_LIMIT_OVER;
}
unsigned int GetMatchStackLimit() {
    return onig_get_match_stack_limit_size();
}
void SetMatchStackLimit(unsigned int limit) {
    onig_set_match_stack_limit_size(limit);
}

} // namespace regex_engine_access

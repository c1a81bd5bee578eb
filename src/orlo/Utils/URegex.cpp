#include "orlo/Utils/URegex.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstring>

#include <oniguruma.h>

namespace orlo {

template <class T>
URegex<T>::URegex(const UBaseString<T>& pattern) {
    ORLO_GUARD
    m_pattern = pattern;
    m_regex = nullptr;
    m_region = nullptr;
    m_options = ONIG_OPTION_NONE;
    CreateOnigRegex();
    ORLO_UNGUARD_MEMBER
}

template <class T>
URegex<T>::~URegex() {
    if (m_matchParam != nullptr)
        onig_free_match_param(m_matchParam);
    if (m_region != nullptr)
        onig_region_free(m_region, 1);
    if (m_regex != nullptr)
        onig_free(m_regex);
}

template <class T>
void URegex<T>::CreateOnigRegex() {
    // The terminator is never part of the pattern.
    const OnigUChar* begin = reinterpret_cast<const OnigUChar*>(m_pattern.c_str());
    const OnigUChar* end = begin + m_pattern.Length();
    // A process-wide setting of the engine, the same for every pattern.
    onig_set_subexp_call_max_nest_level(SUBEXP_CALL_NEST_LIMIT);
    OnigErrorInfo errorInfo;
    int result = onig_new(&m_regex, begin, end, m_options, ONIG_ENCODING_ASCII, ONIG_SYNTAX_RUBY, &errorInfo);
    if (result != ONIG_NORMAL) {
        m_regex = nullptr;
        OnigUChar message[ONIG_MAX_ERROR_MESSAGE_LEN + 1] = {};
        onig_error_code_to_str(message, result, &errorInfo);
        ORLO_RAISE_MEMBER(reinterpret_cast<const char*>(message));
    }
    m_region = onig_region_new();
    // The retry limits are set per search, from the length of the text searched.
    m_matchParam = onig_new_match_param();
    if (m_region == nullptr || m_matchParam == nullptr) {
        // The constructor raises, so no destructor will release these.
        if (m_matchParam != nullptr)
            onig_free_match_param(m_matchParam);
        if (m_region != nullptr)
            onig_region_free(m_region, 1);
        onig_free(m_regex);
        m_matchParam = nullptr;
        m_region = nullptr;
        m_regex = nullptr;
        char name[MEMBER_NAME_SIZE];
        RaiseBadAlloc(ORLO_SOURCE_FILE, ORLO_THIS_MEMBER_NAME(name), "regex region allocation failed", __LINE__);
    }
    onig_initialize_match_param(m_matchParam);
}

template <class T>
uint64_t URegex<T>::GetRetryLimit(uint64_t bytes) {
    // The block pattern backtracks about once per byte of a valid block, so the
    // engine's fixed default would fail a large but valid file. A damaged one
    // (a brace that never closes) makes it try every way of matching each
    // quoted string, which grows exponentially: the limit grows with the text
    // only, so such a file fails in a time proportional to its size.
    const uint64_t perByte = bytes * RETRY_LIMIT_PER_BYTE;
    return perByte > RETRY_LIMIT_MINIMUM ? perByte : RETRY_LIMIT_MINIMUM;
}

template <class T>
int32_t URegex<T>::Search(const T* text, const T* end, const T* start) {
    const OnigUChar* str = reinterpret_cast<const OnigUChar*>(text);
    const OnigUChar* stop = reinterpret_cast<const OnigUChar*>(end);
    const uint64_t bytes = end > start ? uint64_t(end - start) : 0;
    uint64_t limit = GetRetryLimit(bytes);
    if (limit > ULONG_MAX)
        limit = ULONG_MAX;
    // One limit for each match attempt and the same for the whole search, so
    // that many start positions cannot multiply it.
    onig_set_retry_limit_in_match_of_match_param(m_matchParam, static_cast<unsigned long>(limit));
    onig_set_retry_limit_in_search_of_match_param(m_matchParam, static_cast<unsigned long>(limit));
    int result = onig_search_with_param(m_regex, str, stop, reinterpret_cast<const OnigUChar*>(start), stop, m_region,
                                        m_options, m_matchParam);
    if (result >= 0 || result == ONIG_MISMATCH)
        return result;
    if (result == ONIGERR_RETRY_LIMIT_IN_MATCH_OVER || result == ONIGERR_RETRY_LIMIT_IN_SEARCH_OVER) {
        // Built in place: no allocation on the way to the error.
        char message[200] = "Search gave up after ";
        char* cursor = message + strlen(message);
        cursor = std::to_chars(cursor, cursor + 24, limit).ptr;
        cursor = std::copy_n(" retries in ", 12, cursor);
        cursor = std::to_chars(cursor, cursor + 24, bytes).ptr;
        const char* tail = " bytes: the text is probably damaged (a brace or a quote that never closes).";
        memcpy(cursor, tail, strlen(tail) + 1);
        ORLO_RAISE_MEMBER(message);
    }
    OnigUChar message[ONIG_MAX_ERROR_MESSAGE_LEN + 1] = {};
    onig_error_code_to_str(message, result);
    ORLO_RAISE_MEMBER(reinterpret_cast<const char*>(message));
}

template <class T>
int32_t URegex<T>::GetMatchLength() const {
    return m_region->end[0] - m_region->beg[0];
}

template class URegex<unsigned char>;

void ReleaseRegexEngine() {
    onig_end();
}

} // namespace orlo

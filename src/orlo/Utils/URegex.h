#pragma once

#include <cstdint>

#include "orlo/Utils/UBaseString.h"

// The engine's types, declared here so that its header stays with the one
// source that calls it.
struct re_pattern_buffer;
struct re_registers;
struct OnigMatchParamStruct;

namespace orlo {

// One compiled regular expression: ASCII encoding (a byte is a character),
// Ruby syntax, no options; everything else comes from inline flags in the
// pattern. The only place in the system that calls the regex engine.
//
// Built in place and never copied; the tokenizer keeps them in
// UArray<URegex<unsigned char>> built with Emplace.
template <class T>
class URegex {
    static_assert(sizeof(T) == 1, "8-bit text only");

public:
    // Copies and compiles the pattern; raises ErrorDescription with the engine's
    // message when it does not compile.
    explicit URegex(const UBaseString<T>& pattern);
    ~URegex();
    URegex(const URegex&) = delete;
    URegex& operator=(const URegex&) = delete;

    // Searches forward from `start` to `end` in the text that begins at `text`.
    // Returns the match position counted in bytes from `text`, or -1 when
    // nothing matches. A search that the engine cannot finish raises
    // ErrorDescription rather than passing for a mismatch: one that needs more
    // retries than GetRetryLimit allows for the bytes from `start` to `end`
    // with a message saying so, any other (out of memory) with the engine's.
    int32_t Search(const T* text, const T* end, const T* start);

    // Retries one search may take over `bytes` bytes of text.
    static constexpr uint64_t RETRY_LIMIT_MINIMUM = 10000000;
    static constexpr uint64_t RETRY_LIMIT_PER_BYTE = 8;
    static uint64_t GetRetryLimit(uint64_t bytes);

    // How deep a pattern may call its own groups (a block in a block ...).
    // The engine's own default is 20, beyond which it fails the outer match
    // without a word: a block nested 21 deep would read as loose braces and
    // words. The limit only bounds the engine's match stack.
    static constexpr int SUBEXP_CALL_NEST_LIMIT = 10000;

    // Length of the whole match of the last successful search.
    int32_t GetMatchLength() const;

    const UBaseString<T>& GetPattern() const { return m_pattern; }

private:
    void CreateOnigRegex();

    UBaseString<T> m_pattern;
    re_pattern_buffer* m_regex = nullptr;
    re_registers* m_region = nullptr;
    unsigned int m_options = 0;
    OnigMatchParamStruct* m_matchParam = nullptr;
};

// Releases the engine's process-wide tables, for a module that is about to be
// unloaded while the process goes on: they would otherwise be lost with it.
// Call it only when no expression is alive; compiling one afterwards sets
// the tables up again.
void ReleaseRegexEngine();

} // namespace orlo

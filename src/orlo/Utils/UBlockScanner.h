#pragma once

#include <cstdint>

#include "orlo/Utils/UArray.h"

namespace orlo {

// The block syntax's tokens found by hand: the same token table that the
// block-syntax main pattern and its unwrap refinement give through the regex
// engine, for any text, damaged ones included, in time linear in the text.
//
//     UArray<int> tokens;
//     UBlockScanner(text, length).Scan(tokens);   // four ints per token
//
// The tokens are those of the pattern: a quoted string (up to the next quote),
// a block in braces and a bare word. A block may hold quoted strings, single
// characters other than braces (a lone quote among them) and nested blocks,
// tried in that order, as the engine tries them. In a block whose closing
// brace is missing that order matters: the engine's first match may take a
// quote as a plain character, so that a brace inside a later quoted string
// closes the block, or the quotes pair across strings and hide a brace. The
// scanner finds the same first match without trying
// every pairing: within a block the position and the nesting depth decide all
// that can still follow, and whether a position can still end the block is
// monotone in the depth, so one backward pass gives, for each position, the
// deepest nesting from which the block can still be closed. That pass runs
// only when a block runs off the end of the text; well-formed blocks are
// matched in one forward pass.
//
// Speed: on the vector path, where SSE2 is there (every x86-64 build; the
// 32-bit build only when compiled for it), a stretch of words and white space
// is classified 64 bytes at a time and quotes and braces are looked for 16 at
// a time; the byte-wise path, the only one of the other builds, goes byte by
// byte (eight at a time for quotes and braces), with the same table. SetPath
// selects the byte-wise path where both are built in, so that the tests cover
// it on every machine.
//
// Memory: the text is not copied; the table is counted first and sized once
// (the count keeps the start and end of each block token). A damaged text
// costs thresholds from the
// first unclosed block on: eight bytes per quote or brace where those are at
// most one byte in eight (files of numbers: little), otherwise one per byte of
// text, one byte each while they fit (they are bounded by the closing braces
// that follow), two or four bytes otherwise.
class UBlockScanner {
public:
    enum class Path { Vector, Bytewise };
    // Whether this build has the vector path (the default wherever it has).
    static bool HasVectorPath();
    static Path GetPath();
    // For every scanner, cursor and search started after it, in the whole
    // process; returns the path before. Where the vector path is not built
    // in, the byte-wise one stays.
    static Path SetPath(Path path);

    // The text need not be terminated; it must outlive the scanner.
    UBlockScanner(const unsigned char* text, int32_t length);
    UBlockScanner(const UBlockScanner&) = delete;
    UBlockScanner& operator=(const UBlockScanner&) = delete;

    // Appends outer start, outer length, inner start and inner length of each
    // token, in text order; starts count from the first byte of the text.
    void Scan(UArray<int>& tokens);

    // The first quote, brace or zero byte at or after `from`, or `length`: the
    // bytes that a check of a whole text's pairing looks at, found fast.
    static int32_t FindQuoteBraceOrZero(const unsigned char* text, int32_t from, int32_t length);

    // The white space that ends a bare word: tab, line feed, vertical tab, form
    // feed, carriage return and space (bytes from 0x80 on are word bytes).
    static bool IsSpace(unsigned char c);

    // A text that holds no quote and no brace (a block of numbers, as the
    // writer makes them) has only bare words for tokens, outer and inner span
    // alike: the maximal runs of bytes that are not white space. These two
    // give them without a table.
    //
    // The number of words of such a text, or -1 when the text holds a quote
    // or a brace (its tokens then need Scan).
    static int32_t CountWords(const unsigned char* text, int32_t length);

    // The words of such a text, one after the other. Quotes and braces end a
    // word and start none.
    class WordCursor {
    public:
        // The text need not be terminated; it must outlive the cursor.
        WordCursor(const unsigned char* text, int32_t length);

        // The first byte of the next word, or null after the last.
        const unsigned char* Next();

    private:
        const unsigned char* m_text;
        int64_t m_length;
        // The 64 bytes being looked at, and the starts of their words not yet
        // handed out.
        int64_t m_chunkAt;
        uint64_t m_starts = 0;
        bool m_afterWord = false;
        bool m_vector;
    };

private:
    // VECTOR, here and below: the vector path, which the build may not have
    // (then both instantiations go byte by byte).
    template <bool VECTOR>
    static int32_t CountWordsOn(const unsigned char* text, int32_t length);
    // One walk over the text: with `tokens` null, counts the tokens and appends
    // the start and end of each block to `blocks`; otherwise appends the
    // tokens, taking the blocks from `blocks`. Returns the number of tokens.
    template <bool VECTOR>
    int32_t Walk(UArray<int>* tokens, UArray<int32_t>& blocks);
    // Position of the first quote at or after `from`, or -1.
    int32_t FindQuote(int32_t from);
    // The first quote or brace at or after `from`, or the length.
    int32_t NextBlockByte(int32_t from) const;
    // One past the closing brace of the block opening at `open`, or -1 when no
    // block starts there.
    template <bool VECTOR>
    int32_t MatchBlock(int32_t open);
    // Unsteered, the engine's first choice at every step, which is its match
    // whenever it does not run off the end of the text (-1 when it does).
    // Steered by the thresholds, the first match, for a block that succeeds.
    template <bool VECTOR, bool STEERED>
    int32_t Match(int32_t open);
    void ComputeThresholds(int32_t from);
    void ComputeSparseThresholds(int32_t from, int32_t count);
    template <class TCount>
    bool ComputeThresholdsAs(UArray<TCount>& thresholds, int32_t from);
    // Deepest nesting from which the block can still be closed at `position`
    // (0: it cannot); defined from m_thresholdsFrom to the end of the text.
    int32_t GetThreshold(int32_t position) const;

    const unsigned char* m_text;
    int32_t m_length;
    bool m_vector;
    // The last answer of FindQuote: no quote from m_quoteFrom up to m_quoteAt
    // (-1: none up to the end).
    int32_t m_quoteFrom = -1;
    int32_t m_quoteAt = -1;
    // -1 until a block runs off the end; then either the quotes and braces
    // with their thresholds (sparse), or one of the per-byte arrays, the
    // narrowest that holds every threshold.
    static constexpr int64_t SPARSE_BYTES_PER_ENTRY = 8;
    int32_t m_thresholdsFrom = -1;
    bool m_sparse = false;
    UArray<int32_t> m_specialPositions;
    UArray<int32_t> m_specialThresholds;
    UArray<uint8_t> m_thresholds8;
    UArray<uint16_t> m_thresholds16;
    UArray<int32_t> m_thresholds32;
};

} // namespace orlo

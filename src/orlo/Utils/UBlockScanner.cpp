#include "orlo/Utils/UBlockScanner.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstring>
#include <initializer_list>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace orlo {

namespace {

enum ByteClass : unsigned char { WORD, SPACE, QUOTE, OPEN, CLOSE };

struct ByteClasses {
    unsigned char entries[256];
    constexpr ByteClasses() : entries() {
        for (int i = 0; i < 256; ++i)
            entries[i] = WORD;
        for (unsigned char c : {'\t', '\n', '\v', '\f', '\r', ' '})
            entries[c] = SPACE;
        entries[static_cast<unsigned char>('"')] = QUOTE;
        entries[static_cast<unsigned char>('{')] = OPEN;
        entries[static_cast<unsigned char>('}')] = CLOSE;
    }
};

constexpr ByteClasses kClasses;

// Inside a block only quotes and braces matter.
struct BlockBytes {
    bool entries[256];
    constexpr BlockBytes() : entries() {
        entries[static_cast<unsigned char>('"')] = true;
        entries[static_cast<unsigned char>('{')] = true;
        entries[static_cast<unsigned char>('}')] = true;
    }
};

constexpr BlockBytes kBlockBytes;

// The bulk steps take 64 bytes at a time, one bit each.
constexpr int32_t CHUNK = 64;

#if defined(__SSE2__)
constexpr bool HAS_VECTOR_PATH = true;
#else
constexpr bool HAS_VECTOR_PATH = false;
#endif

// Read once by each scanner, cursor and search, so that one of them never
// mixes the two ways.
std::atomic<bool> g_vectorPath{HAS_VECTOR_PATH};

bool UseVectorPath() {
    return HAS_VECTOR_PATH && g_vectorPath.load(std::memory_order_relaxed);
}

#if defined(__SSE2__)

// Sixteen bytes at a time: one bit per byte that is a quote or a brace (or a
// zero byte, when asked).
template <bool WITH_ZERO = false>
int QuotesAndBraces16(const unsigned char* at) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
    const __m128i quote = _mm_cmpeq_epi8(bytes, _mm_set1_epi8('"'));
    const __m128i open = _mm_cmpeq_epi8(bytes, _mm_set1_epi8('{'));
    const __m128i close = _mm_cmpeq_epi8(bytes, _mm_set1_epi8('}'));
    __m128i found = _mm_or_si128(quote, _mm_or_si128(open, close));
    if constexpr (WITH_ZERO)
        found = _mm_or_si128(found, _mm_cmpeq_epi8(bytes, _mm_setzero_si128()));
    return _mm_movemask_epi8(found);
}

// The classes of 64 bytes as bit masks, bit i for the byte at `at + i`: the
// white space, and the quotes and braces; the rest are word bytes.
struct ChunkClasses {
    uint64_t space;
    uint64_t special;
};

// One bit per byte of white space among sixteen.
uint32_t Spaces16(const unsigned char* at) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
    // Tab to carriage return are 9 to 13: 0 to 4 once 9 is taken off.
    const __m128i fromTab = _mm_sub_epi8(bytes, _mm_set1_epi8('\t'));
    const __m128i control = _mm_cmpeq_epi8(_mm_min_epu8(fromTab, _mm_set1_epi8(4)), fromTab);
    const __m128i space = _mm_or_si128(control, _mm_cmpeq_epi8(bytes, _mm_set1_epi8(' ')));
    return uint32_t(_mm_movemask_epi8(space)) & 0xffffu;
}

ChunkClasses ClassifyChunk(const unsigned char* at) {
    ChunkClasses classes{0, 0};
    for (int part = 0; part < 4; ++part) {
        const uint32_t specialBits = uint32_t(QuotesAndBraces16(at + 16 * part)) & 0xffffu;
        classes.space |= uint64_t(Spaces16(at + 16 * part)) << (16 * part);
        classes.special |= uint64_t(specialBits) << (16 * part);
    }
    return classes;
}

#endif

// The word bytes among the `count` bytes at `at` (64 at most), bit i for the
// byte at `at + i`; `special` gets the quotes and braces. Bits from `count` on
// are neither. VECTOR: with SSE2, where the build has it.
template <bool VECTOR>
uint64_t WordBytes(const unsigned char* at, int64_t count, uint64_t& special) {
#if defined(__SSE2__)
    if (VECTOR && count >= CHUNK) {
        const ChunkClasses classes = ClassifyChunk(at);
        special = classes.special;
        return ~(classes.space | classes.special);
    }
#endif
    uint64_t words = 0;
    special = 0;
    for (int64_t i = 0; i < count && i < CHUNK; ++i) {
        const unsigned char byteClass = kClasses.entries[at[i]];
        if (byteClass == WORD)
            words |= uint64_t(1) << i;
        else if (byteClass != SPACE)
            special |= uint64_t(1) << i;
    }
    return words;
}

// The first bytes of words among word bytes, given whether the byte before
// the first one is a word byte.
uint64_t WordStarts(uint64_t words, bool afterWord) {
    return words & ~((words << 1) | uint64_t(afterWord));
}

// The first quote or brace (or zero byte, when asked) at or after `q`, or
// `length`.
template <bool VECTOR, bool WITH_ZERO = false>
int32_t SkipToBlockByte(const unsigned char* text, int32_t q, int32_t length) {
#if defined(__SSE2__)
    if constexpr (VECTOR) {
        while (q + 16 <= length) {
            const int found = QuotesAndBraces16<WITH_ZERO>(text + q);
            if (found != 0)
                return q + __builtin_ctz(unsigned(found));
            q += 16;
        }
        while (q < length && !kBlockBytes.entries[text[q]] && (!WITH_ZERO || text[q] != 0))
            ++q;
        return q;
    }
#endif
    // A word of the text at a time, the usual test for a zero byte on the
    // word and on the word XORed with each of the three.
    constexpr uint64_t ONES = 0x0101010101010101ull;
    constexpr uint64_t HIGHS = 0x8080808080808080ull;
    while (q + 8 <= length) {
        uint64_t word;
        memcpy(&word, text + q, 8);
        const uint64_t quote = word ^ (ONES * '"');
        const uint64_t open = word ^ (ONES * '{');
        const uint64_t close = word ^ (ONES * '}');
        uint64_t zeros = ((quote - ONES) & ~quote) | ((open - ONES) & ~open) | ((close - ONES) & ~close);
        if constexpr (WITH_ZERO)
            zeros |= (word - ONES) & ~word;
        if (zeros & HIGHS)
            break;
        q += 8;
    }
    while (q < length && !kBlockBytes.entries[text[q]] && (!WITH_ZERO || text[q] != 0))
        ++q;
    return q;
}

void AddToken(UArray<int>& tokens, int32_t outerStart, int32_t outerLength, int32_t innerStart, int32_t innerLength) {
    int32_t at = tokens.AddUninitialized(4);
    int* entry = tokens.GetData() + at;
    entry[0] = outerStart;
    entry[1] = outerLength;
    entry[2] = innerStart;
    entry[3] = innerLength;
}

#if defined(__SSE2__)

// Walk's bulk step over the `plain` bytes at `p` that hold words and white
// space only (the 64-byte chunk there classified by `classes`): counts or adds
// their words, the last one followed past the chunk; returns where Walk goes on.
int32_t WalkWords(const unsigned char* text, int32_t length, const ChunkClasses& classes, int32_t plain, int32_t p,
                  UArray<int>* tokens, int32_t& count) {
    // Bit i stands for the byte at p + i. From the first quote or brace on,
    // every byte counts as the end of a word: a word ends there as well.
    const uint64_t ends = plain < CHUNK ? classes.space | (~uint64_t(0) << plain) : classes.space;
    const uint64_t words = ~ends;
    // p itself is never inside a token.
    const uint64_t starts = WordStarts(words, false);
    // Only the last word can run on past the chunk, and only when no quote or
    // brace cut it short.
    const bool runsOn = (words >> (CHUNK - 1)) != 0;
    if (tokens == nullptr) {
        count += __builtin_popcountll(starts);
    } else {
        for (uint64_t left = starts; left != 0; left &= left - 1) {
            const int32_t start = __builtin_ctzll(left);
            const uint64_t after = ends >> start;
            if (after == 0)
                break; // the word that runs on, added below
            AddToken(*tokens, p + start, __builtin_ctzll(after), p + start, __builtin_ctzll(after));
        }
    }
    if (!runsOn)
        return p + plain;
    const int32_t start = p + (CHUNK - 1 - __builtin_clzll(starts));
    int32_t q = p + CHUNK;
    while (q < length && kClasses.entries[text[q]] == WORD)
        ++q;
    if (tokens != nullptr)
        AddToken(*tokens, start, q - start, start, q - start);
    return q;
}

#endif

} // namespace

bool UBlockScanner::HasVectorPath() {
    return HAS_VECTOR_PATH;
}

UBlockScanner::Path UBlockScanner::GetPath() {
    return UseVectorPath() ? Path::Vector : Path::Bytewise;
}

UBlockScanner::Path UBlockScanner::SetPath(Path path) {
    const bool wasVector = g_vectorPath.exchange(HAS_VECTOR_PATH && path == Path::Vector);
    return HAS_VECTOR_PATH && wasVector ? Path::Vector : Path::Bytewise;
}

UBlockScanner::UBlockScanner(const unsigned char* text, int32_t length)
    : m_text(text), m_length(length), m_vector(UseVectorPath()) {}

int32_t UBlockScanner::FindQuoteBraceOrZero(const unsigned char* text, int32_t from, int32_t length) {
    return UseVectorPath() ? SkipToBlockByte<true, true>(text, from, length)
                           : SkipToBlockByte<false, true>(text, from, length);
}

int32_t UBlockScanner::NextBlockByte(int32_t from) const {
    return m_vector ? SkipToBlockByte<true>(m_text, from, m_length) : SkipToBlockByte<false>(m_text, from, m_length);
}

bool UBlockScanner::IsSpace(unsigned char c) {
    return kClasses.entries[c] == SPACE;
}

int32_t UBlockScanner::CountWords(const unsigned char* text, int32_t length) {
    return UseVectorPath() ? CountWordsOn<true>(text, length) : CountWordsOn<false>(text, length);
}

template <bool VECTOR>
int32_t UBlockScanner::CountWordsOn(const unsigned char* text, int32_t length) {
    int32_t count = 0;
    bool afterWord = false;
    for (int64_t at = 0; at < length; at += CHUNK) {
        uint64_t special = 0;
        const uint64_t words = WordBytes<VECTOR>(text + at, length - at, special);
        if (special != 0)
            return -1;
        count += __builtin_popcountll(WordStarts(words, afterWord));
        afterWord = (words >> (CHUNK - 1)) != 0;
    }
    return count;
}

UBlockScanner::WordCursor::WordCursor(const unsigned char* text, int32_t length)
    : m_text(text), m_length(length), m_chunkAt(-CHUNK), m_vector(UseVectorPath()) {}

const unsigned char* UBlockScanner::WordCursor::Next() {
    while (m_starts == 0) {
        if (m_chunkAt + CHUNK >= m_length)
            return nullptr;
        m_chunkAt += CHUNK;
        uint64_t special = 0;
        const int64_t count = m_length - m_chunkAt;
        const uint64_t words = m_vector ? WordBytes<true>(m_text + m_chunkAt, count, special)
                                        : WordBytes<false>(m_text + m_chunkAt, count, special);
        m_starts = WordStarts(words, m_afterWord);
        m_afterWord = (words >> (CHUNK - 1)) != 0;
    }
    const int32_t bit = __builtin_ctzll(m_starts);
    m_starts &= m_starts - 1;
    return m_text + m_chunkAt + bit;
}

void UBlockScanner::Scan(UArray<int>& tokens) {
    // Two walks: the first counts the tokens and keeps where each block
    // starts and ends, so that the table is sized once (growing it would copy
    // it again and again); the second fills it.
    UArray<int32_t> blocks;
    const int32_t count = m_vector ? Walk<true>(nullptr, blocks) : Walk<false>(nullptr, blocks);
    const int64_t wanted = int64_t(tokens.Num()) + 4 * int64_t(count);
    if (wanted <= INT32_MAX)
        tokens.Reserve(int32_t(wanted));
    if (m_vector)
        Walk<true>(&tokens, blocks);
    else
        Walk<false>(&tokens, blocks);
}

template <bool VECTOR>
int32_t UBlockScanner::Walk(UArray<int>* tokens, UArray<int32_t>& blocks) {
    const unsigned char* text = m_text;
    const int32_t length = m_length;
    const bool counting = tokens == nullptr;
    int32_t count = 0;
    int32_t nextBlock = 0; // in `blocks`, while filling
    int32_t p = 0;
    while (p < length) {
#if defined(__SSE2__)
        if (VECTOR && p + CHUNK <= length) {
            // Words and white space in bulk, up to the first quote or brace.
            const ChunkClasses classes = ClassifyChunk(text + p);
            const int32_t plain = classes.special != 0 ? __builtin_ctzll(classes.special) : CHUNK;
            if (plain > 0) {
                p = WalkWords(text, length, classes, plain, p, tokens, count);
                continue;
            }
        }
#endif
        switch (kClasses.entries[text[p]]) {
        case SPACE:
        case CLOSE:
            // A stray closing brace starts no token.
            ++p;
            break;
        case QUOTE: {
            int32_t close = FindQuote(p + 1);
            if (close < 0) {
                // A quote without its partner starts no token.
                ++p;
                break;
            }
            if (!counting)
                AddToken(*tokens, p, close + 1 - p, p + 1, close - p - 1);
            ++count;
            p = close + 1;
            break;
        }
        case OPEN: {
            int32_t end = -1;
            if (counting) {
                end = MatchBlock<VECTOR>(p);
                if (end >= 0) {
                    blocks.Add(p);
                    blocks.Add(end);
                }
            } else if (nextBlock < blocks.Num() && blocks[nextBlock] == p) {
                end = blocks[nextBlock + 1];
                nextBlock += 2;
            }
            if (end < 0) {
                // Nor does a brace that no closing brace matches: what follows
                // it is scanned on its own.
                ++p;
                break;
            }
            if (!counting)
                AddToken(*tokens, p, end - p, p + 1, end - p - 2);
            ++count;
            p = end;
            break;
        }
        default: {
            int32_t q = p + 1;
            while (q < length && kClasses.entries[text[q]] == WORD)
                ++q;
            if (!counting)
                AddToken(*tokens, p, q - p, p, q - p);
            ++count;
            p = q;
            break;
        }
        }
    }
    return count;
}

int32_t UBlockScanner::FindQuote(int32_t from) {
    if (from >= m_quoteFrom && m_quoteFrom >= 0 && (m_quoteAt < 0 || from <= m_quoteAt))
        return m_quoteAt;
    m_quoteFrom = from;
    m_quoteAt = -1;
    if (from < m_length) {
        const void* found = memchr(m_text + from, '"', size_t(m_length - from));
        if (found != nullptr)
            m_quoteAt = int32_t(static_cast<const unsigned char*>(found) - m_text);
    }
    return m_quoteAt;
}

template <bool VECTOR>
int32_t UBlockScanner::MatchBlock(int32_t open) {
    if (m_thresholdsFrom < 0) {
        int32_t end = Match<VECTOR, false>(open);
        if (end >= 0)
            return end;
        // The thresholds hold for every later block as well: computed once.
        ComputeThresholds(open + 1);
    }
    if (GetThreshold(open + 1) < 1)
        return -1;
    return Match<VECTOR, true>(open);
}

template <bool VECTOR, bool STEERED>
int32_t UBlockScanner::Match(int32_t open) {
    const unsigned char* text = m_text;
    const int32_t length = m_length;
    int32_t depth = 1;
    int32_t q = open + 1;
    while (true) {
        q = SkipToBlockByte<VECTOR>(text, q, length);
        if (q >= length)
            return -1; // never when steered: the thresholds say the block closes
        unsigned char c = text[q];
        if (c == '"') {
            // A quoted string if its partner follows, else the quote alone;
            // when steered, the quoted string only if the block can still
            // close after it.
            const int32_t close = FindQuote(q + 1);
            const bool quoted = close >= 0 && (!STEERED || depth <= GetThreshold(close + 1));
            q = quoted ? close + 1 : q + 1;
        } else if (c == '{') {
            ++depth;
            ++q;
        } else {
            ++q;
            if (--depth == 0)
                return q;
        }
    }
}

void UBlockScanner::ComputeThresholds(int32_t from) {
    m_thresholdsFrom = from;
    // The thresholds change only at quotes and braces: where those are few (a
    // file of numbers), they are kept for those bytes alone.
    int64_t specials = 0;
    for (int32_t q = NextBlockByte(from); q < m_length; q = NextBlockByte(q + 1))
        ++specials;
    if (specials * SPARSE_BYTES_PER_ENTRY <= int64_t(m_length - from)) {
        ComputeSparseThresholds(from, int32_t(specials));
        return;
    }
    if (ComputeThresholdsAs(m_thresholds8, from))
        return;
    m_thresholds8.Empty();
    if (ComputeThresholdsAs(m_thresholds16, from))
        return;
    m_thresholds16.Empty();
    ComputeThresholdsAs(m_thresholds32, from);
}

void UBlockScanner::ComputeSparseThresholds(int32_t from, int32_t count) {
    // As ComputeThresholdsAs, over the quotes and braces only: the threshold
    // after a byte is that of the next quote or brace (0 after the last).
    m_sparse = true;
    m_specialPositions.AddUninitialized(count);
    m_specialThresholds.AddUninitialized(count);
    int32_t* positions = m_specialPositions.GetData();
    int32_t* thresholds = m_specialThresholds.GetData();
    int32_t k = 0;
    for (int32_t q = NextBlockByte(from); q < m_length; q = NextBlockByte(q + 1))
        positions[k++] = q;
    int32_t nextQuote = -1; // index of the next quote
    for (k = count - 1; k >= 0; --k) {
        const int32_t next = k + 1 < count ? thresholds[k + 1] : 0;
        switch (m_text[positions[k]]) {
        case '}':
            thresholds[k] = next + 1;
            break;
        case '{':
            thresholds[k] = next > 0 ? next - 1 : 0;
            break;
        default: { // a quote
            const int32_t afterPartner = nextQuote >= 0 && nextQuote + 1 < count ? thresholds[nextQuote + 1] : 0;
            thresholds[k] = nextQuote >= 0 && afterPartner > next ? afterPartner : next;
            nextQuote = k;
            break;
        }
        }
    }
}

template <class TCount>
bool UBlockScanner::ComputeThresholdsAs(UArray<TCount>& thresholds, int32_t from) {
    // threshold(q) from threshold(q + 1), backwards from the end, where no
    // block can close:
    //   '}'                       threshold(q + 1) + 1 (it closes one level)
    //   '{'                       threshold(q + 1) - 1, at least 0
    //   '"' with a partner at r   the larger of threshold(r + 1) (the quoted
    //                             string) and threshold(q + 1) (the quote alone)
    //   anything else             threshold(q + 1)
    // A closing brace adds one, so the counts stay below the number of
    // closing braces that follow.
    const int32_t count = m_length - from + 1;
    thresholds.Empty();
    thresholds.AddUninitialized(count);
    TCount* at = thresholds.GetData(); // at[i] for position from + i
    const unsigned char* text = m_text + from;
    const TCount limit = std::numeric_limits<TCount>::max();
    at[count - 1] = 0;
    int32_t nextQuote = -1;
    for (int32_t i = count - 2; i >= 0; --i) {
        TCount next = at[i + 1];
        switch (text[i]) {
        case '}':
            if (next == limit)
                return false;
            at[i] = TCount(next + 1);
            break;
        case '{':
            at[i] = next > 0 ? TCount(next - 1) : TCount(0);
            break;
        case '"':
            at[i] = nextQuote >= 0 && at[nextQuote + 1] > next ? at[nextQuote + 1] : next;
            nextQuote = i;
            break;
        default:
            at[i] = next;
            break;
        }
    }
    return true;
}

int32_t UBlockScanner::GetThreshold(int32_t position) const {
    if (m_sparse) {
        // That of the first quote or brace at or after the position.
        const int32_t* positions = m_specialPositions.GetData();
        const int32_t count = m_specialPositions.Num();
        const int32_t k = int32_t(std::lower_bound(positions, positions + count, position) - positions);
        return k < count ? m_specialThresholds[k] : 0;
    }
    const int32_t index = position - m_thresholdsFrom;
    if (m_thresholds8.Num() > 0)
        return m_thresholds8[index];
    if (m_thresholds16.Num() > 0)
        return m_thresholds16[index];
    return m_thresholds32[index];
}

} // namespace orlo

#pragma once

#include <cstdint>

#include "orlo/CoreServices/Interfaces/IInputStream.h"
#include "orlo/Math/TVector2.h"
#include "orlo/Math/TVector3.h"
#include "orlo/Utils/UArray.h"
#include "orlo/Utils/UBaseString.h"
#include "orlo/Utils/UList.h"

namespace orlo {

// The tokenizer: cuts a whole text into tokens once, at construction, and
// hands them out one after the other. A token is a quoted string, a block in
// balanced braces or a bare word (or, with the command-line syntax, an option
// with its parameters); each is kept as two spans of the text: the outer span
// that the main pattern matched and the inner span left by the refinement
// patterns. String reads deliver the inner text; numeric reads convert from
// the first byte of the outer span.
//
// Two choices make a tokenizer: its text source (TextParserPolicy_ParseString
// over a caller's string, TextParserPolicy_ParseStream<unsigned char> over the
// rest of an input stream) and its pattern set (TextParserPolicy_BlockSyntax,
// TextParserPolicy_CommandLineSyntax):
//
//     UTextParser<TextParserPolicy_ParseString, TextParserPolicy_BlockSyntax> parser(text);
//
// A string source may also be a span of a larger text (a block's content read
// with ReadSpan, for example): nothing is copied, and the tokens are those the
// span would give as a string of its own. Numeric reads may look at the byte
// after the span, which only ends the number when the span is a token's inner
// text (a closing brace or quote, white space, or the end of the text follow).
//
// The block syntax's patterns are matched by UBlockScanner, which gives the
// regex engine's table in linear time; ScanMethod::Regex forces the engine.
//
// Reading past the last token is no error: strings read empty, numbers 0.

// Fills the main pattern and appends the refinement patterns of a pattern set.
using TextParserSyntaxFunction = void (*)(UBaseString<unsigned char>& mainPattern,
                                          UList<UBaseString<unsigned char>>& refinementPatterns);

// The string source: the tokenizer proper, over a string that belongs to the
// caller and must outlive it and stay unchanged.
class TextParserPolicy_ParseString {
public:
    // How the main pattern is matched: by a scanner written for it where there
    // is one (the block syntax), or always by the regex engine.
    enum class ScanMethod { Automatic, Regex };

    TextParserPolicy_ParseString(const UBaseString<unsigned char>& text, TextParserSyntaxFunction syntax);
    TextParserPolicy_ParseString(const UBaseString<unsigned char>& text, const UBaseString<unsigned char>& mainPattern,
                                 const UList<UBaseString<unsigned char>>& refinementPatterns,
                                 ScanMethod method = ScanMethod::Automatic);
    // Over `length` bytes at `text`, which must outlive the tokenizer.
    TextParserPolicy_ParseString(const unsigned char* text, int32_t length, TextParserSyntaxFunction syntax);
    // The text is referred to, not copied: a temporary would be gone.
    TextParserPolicy_ParseString(UBaseString<unsigned char>&&, TextParserSyntaxFunction) = delete;
    TextParserPolicy_ParseString(const TextParserPolicy_ParseString&) = delete;
    TextParserPolicy_ParseString& operator=(const TextParserPolicy_ParseString&) = delete;

    // Tokenizes `length` bytes at `text` in place of the text so far, with the
    // same patterns, from its first token on. The token table keeps its
    // storage: a reader that goes through many blocks sizes it once.
    void Rescan(const unsigned char* text, int32_t length);

    bool HasToken() const;
    // Tokens left to read, the current one included.
    int32_t GetTokensLeft() const { return HasToken() ? (m_tokens.Num() - m_cursor) / 4 : 0; }
    // The inner text of the current token, or the empty string; does not advance.
    UBaseString<unsigned char> PeekString() const;

    TextParserPolicy_ParseString& ReadString(UBaseString<unsigned char>& value);
    // As ReadString, but the inner span itself is handed out, not a copy:
    // `length` bytes at `begin`, inside the text (an empty span when no token
    // is left). A zero byte in the span is part of it.
    TextParserPolicy_ParseString& ReadSpan(const unsigned char*& begin, int32_t& length);
    TextParserPolicy_ParseString& ReadInt(int& value);
    TextParserPolicy_ParseString& ReadFloat(float& value);
    TextParserPolicy_ParseString& ReadFloats(TVector2<float>& value);
    TextParserPolicy_ParseString& ReadFloats(TVector3<float>& value);
    TextParserPolicy_ParseString& ReadFloats(float (&value)[4]);

    // Four ints per token: outer start, outer length, inner start, inner length.
    const UArray<int>& GetTokenTable() const { return m_tokens; }
    int GetCursor() const { return m_cursor; }

private:
    void Scan();
    // Moves to the next token while one is left.
    void Advance();
    const char* OuterBegin() const;

    void ScanWithRegex();

    UBaseString<unsigned char> m_mainPattern;
    UList<UBaseString<unsigned char>> m_refinementPatterns;
    UArray<int> m_tokens;
    // The text scanned: a caller's string without its terminator, or a span.
    const unsigned char* m_text;
    int32_t m_textLength;
    ScanMethod m_scanMethod = ScanMethod::Automatic;
    int m_cursor = -1;
    UBaseString<unsigned char> m_currentToken;
};

// The stream source: reads the rest of a stream into a text of its own, puts
// the stream back where it was, and tokenizes that text with a string source.
template <class T>
class TextParserPolicy_ParseStream {
    static_assert(sizeof(T) == 1, "8-bit text only");

public:
    TextParserPolicy_ParseStream(IInputStream* stream, TextParserSyntaxFunction syntax);
    TextParserPolicy_ParseStream(const TextParserPolicy_ParseStream&) = delete;
    TextParserPolicy_ParseStream& operator=(const TextParserPolicy_ParseStream&) = delete;

    bool HasToken() const { return m_parser.HasToken(); }
    UBaseString<unsigned char> PeekString() const { return m_parser.PeekString(); }
    TextParserPolicy_ParseStream& ReadString(UBaseString<unsigned char>& value) {
        m_parser.ReadString(value);
        return *this;
    }
    TextParserPolicy_ParseStream& ReadSpan(const unsigned char*& begin, int32_t& length) {
        m_parser.ReadSpan(begin, length);
        return *this;
    }
    TextParserPolicy_ParseStream& ReadInt(int& value) {
        m_parser.ReadInt(value);
        return *this;
    }

    // The stream's bytes followed by one terminator.
    const UBaseString<T>& GetText() const { return m_text; }
    const TextParserPolicy_ParseString& GetParser() const { return m_parser; }

private:
    static UBaseString<T> ReadRest(IInputStream* stream);

    UBaseString<T> m_text;
    TextParserPolicy_ParseString m_parser;
};

template <class TSource, class TSyntax>
class UTextParser : public TSource {
public:
    template <class TInput>
    explicit UTextParser(TInput&& input) : TSource(static_cast<TInput&&>(input), &TSyntax::Apply) {}
    // A span of a text (string source only).
    UTextParser(const unsigned char* text, int32_t length) : TSource(text, length, &TSyntax::Apply) {}
};

} // namespace orlo

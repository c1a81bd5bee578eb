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
// Reading past the last token is no error: strings read empty, numbers 0.

// Fills the main pattern and appends the refinement patterns of a pattern set.
using TextParserSyntaxFunction = void (*)(UBaseString<unsigned char>& mainPattern,
                                          UList<UBaseString<unsigned char>>& refinementPatterns);

// The string source: the tokenizer proper, over a string that belongs to the
// caller and must outlive it and stay unchanged.
class TextParserPolicy_ParseString {
public:
    TextParserPolicy_ParseString(const UBaseString<unsigned char>& text, TextParserSyntaxFunction syntax);
    TextParserPolicy_ParseString(const UBaseString<unsigned char>& text, const UBaseString<unsigned char>& mainPattern,
                                 const UList<UBaseString<unsigned char>>& refinementPatterns);
    // The text is referred to, not copied: a temporary would be gone.
    TextParserPolicy_ParseString(UBaseString<unsigned char>&&, TextParserSyntaxFunction) = delete;
    TextParserPolicy_ParseString(const TextParserPolicy_ParseString&) = delete;
    TextParserPolicy_ParseString& operator=(const TextParserPolicy_ParseString&) = delete;

    bool HasToken() const;
    // The inner text of the current token, or the empty string; does not advance.
    UBaseString<unsigned char> PeekString() const;

    TextParserPolicy_ParseString& ReadString(UBaseString<unsigned char>& value);
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

    UBaseString<unsigned char> m_mainPattern;
    UList<UBaseString<unsigned char>> m_refinementPatterns;
    UArray<int> m_tokens;
    const UBaseString<unsigned char>* m_text;
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
};

} // namespace orlo

#include "orlo/Utils/UTextParser.h"

#include <cstring>

#include "orlo/Utils/TextParserPolicy_BlockSyntax.h"
#include "orlo/Utils/UBlockScanner.h"
#include "orlo/Utils/UNumberText.h"
#include "orlo/Utils/URegex.h"

namespace orlo {

namespace {

const unsigned char* TextOf(const UBaseString<unsigned char>& text) {
    return reinterpret_cast<const unsigned char*>(text.c_str());
}

} // namespace

TextParserPolicy_ParseString::TextParserPolicy_ParseString(const UBaseString<unsigned char>& text,
                                                           TextParserSyntaxFunction syntax)
    : m_text(TextOf(text)), m_textLength(text.Length()) {
    syntax(m_mainPattern, m_refinementPatterns);
    Scan();
}

TextParserPolicy_ParseString::TextParserPolicy_ParseString(const UBaseString<unsigned char>& text,
                                                           const UBaseString<unsigned char>& mainPattern,
                                                           const UList<UBaseString<unsigned char>>& refinementPatterns,
                                                           ScanMethod method)
    : m_mainPattern(mainPattern), m_refinementPatterns(refinementPatterns), m_text(TextOf(text)),
      m_textLength(text.Length()), m_scanMethod(method) {
    Scan();
}

TextParserPolicy_ParseString::TextParserPolicy_ParseString(const unsigned char* text, int32_t length,
                                                           TextParserSyntaxFunction syntax)
    : m_text(text), m_textLength(length) {
    syntax(m_mainPattern, m_refinementPatterns);
    Scan();
}

void TextParserPolicy_ParseString::Rescan(const unsigned char* text, int32_t length) {
    m_text = text;
    m_textLength = length;
    m_tokens.Reset();
    m_cursor = -1;
    Scan();
}

void TextParserPolicy_ParseString::Scan() {
    if (m_scanMethod == ScanMethod::Automatic &&
        TextParserPolicy_BlockSyntax::IsBlockSyntax(m_mainPattern, m_refinementPatterns))
        UBlockScanner(m_text, m_textLength).Scan(m_tokens);
    else
        ScanWithRegex();
    if (m_tokens.Num() > 0)
        m_cursor = 0;
}

void TextParserPolicy_ParseString::ScanWithRegex() {
    URegex<unsigned char> mainRegex(m_mainPattern);
    UArray<URegex<unsigned char>> refinements;
    for (auto* node = m_refinementPatterns.GetFirst(); node != nullptr; node = node->next)
        refinements.Emplace(node->value);

    const unsigned char* text = m_text;
    const int32_t length = m_textLength;
    const unsigned char* end = text + length;
    int32_t offset = 0;
    while (offset < length) {
        int32_t outerStart = mainRegex.Search(text, end, text + offset);
        if (outerStart < 0)
            break;
        int32_t outerLength = mainRegex.GetMatchLength();
        int32_t innerStart = outerStart;
        int32_t innerLength = outerLength;
        bool kept = true;
        for (URegex<unsigned char>& refinement : refinements) {
            if (innerLength == 0) {
                kept = false;
                break;
            }
            // Searched inside the span only, so that its anchors and
            // look-behinds see nothing around it.
            const unsigned char* span = text + innerStart;
            int32_t found = refinement.Search(span, span + innerLength, span);
            if (found < 0) {
                kept = false;
                break;
            }
            innerStart += found;
            innerLength = refinement.GetMatchLength();
        }
        if (kept) {
            m_tokens.Add(outerStart);
            m_tokens.Add(outerLength);
            m_tokens.Add(innerStart);
            m_tokens.Add(innerLength);
        }
        // The patterns never match nothing; should one do so, step on anyway.
        offset = outerStart + (outerLength > 0 ? outerLength : 1);
    }
}

bool TextParserPolicy_ParseString::HasToken() const {
    return m_cursor >= 0 && m_cursor < m_tokens.Num() - 3;
}

void TextParserPolicy_ParseString::Advance() {
    if (m_cursor >= 0 && m_cursor < m_tokens.Num() - 3)
        m_cursor += 4;
}

const char* TextParserPolicy_ParseString::OuterBegin() const {
    return reinterpret_cast<const char*>(m_text) + m_tokens[m_cursor];
}

UBaseString<unsigned char> TextParserPolicy_ParseString::PeekString() const {
    UBaseString<unsigned char> value;
    if (HasToken())
        value.AssignBytes(m_text + m_tokens[m_cursor + 2], size_t(m_tokens[m_cursor + 3]));
    else
        value = "";
    return value;
}

TextParserPolicy_ParseString& TextParserPolicy_ParseString::ReadString(UBaseString<unsigned char>& value) {
    if (HasToken()) {
        m_currentToken.AssignBytes(m_text + m_tokens[m_cursor + 2], size_t(m_tokens[m_cursor + 3]));
        Advance();
    } else {
        m_currentToken = "";
    }
    value = m_currentToken;
    return *this;
}

TextParserPolicy_ParseString& TextParserPolicy_ParseString::ReadSpan(const unsigned char*& begin, int32_t& length) {
    if (HasToken()) {
        begin = m_text + m_tokens[m_cursor + 2];
        length = m_tokens[m_cursor + 3];
        Advance();
    } else {
        begin = m_text + m_textLength;
        length = 0;
    }
    return *this;
}

TextParserPolicy_ParseString& TextParserPolicy_ParseString::ReadInt(int& value) {
    value = 0;
    if (HasToken()) {
        // From the first byte of the outer span, not limited to the token: the
        // text is terminated, and the conversion stops where the number does.
        value = UNumberText::ParseInt(OuterBegin());
        Advance();
    }
    return *this;
}

TextParserPolicy_ParseString& TextParserPolicy_ParseString::ReadFloat(float& value) {
    value = 0.0f;
    if (HasToken()) {
        value = static_cast<float>(UNumberText::ParseDouble(OuterBegin()));
        Advance();
    }
    return *this;
}

TextParserPolicy_ParseString& TextParserPolicy_ParseString::ReadFloats(TVector2<float>& value) {
    return ReadFloat(value.x).ReadFloat(value.y);
}

TextParserPolicy_ParseString& TextParserPolicy_ParseString::ReadFloats(TVector3<float>& value) {
    return ReadFloat(value.x).ReadFloat(value.y).ReadFloat(value.z);
}

TextParserPolicy_ParseString& TextParserPolicy_ParseString::ReadFloats(float (&value)[4]) {
    return ReadFloat(value[0]).ReadFloat(value[1]).ReadFloat(value[2]).ReadFloat(value[3]);
}

template <class T>
TextParserPolicy_ParseStream<T>::TextParserPolicy_ParseStream(IInputStream* stream, TextParserSyntaxFunction syntax)
    : m_text(ReadRest(stream)), m_parser(m_text, syntax) {}

template <class T>
UBaseString<T> TextParserPolicy_ParseStream<T>::ReadRest(IInputStream* stream) {
    // Its checks are reported as the constructor's, which it serves.
    char name[MEMBER_NAME_SIZE];
    ORLO_MEMBER_NAME(TextParserPolicy_ParseStream, "TextParserPolicy_ParseStream", name);
    IInputStream* text = stream;
    assure_named(text, name);
    uint64_t position = text->GetPosition();
    uint64_t size = text->GetSize();
    uint64_t wanted = size > position ? size - position : 0;
    // The text is counted in 32 bits, its terminator included.
    assure_named(wanted < 0x7fffffffu, name);

    UBaseString<T> buffer;
    buffer.AddUninitialized(int32_t(wanted) + 1);
    uint64_t delivered = wanted > 0 ? text->Serialize(buffer.GetData(), wanted) : 0;
    // A stream that delivers less than it announced: keep what arrived.
    if (delivered < wanted)
        buffer.Remove(int32_t(delivered) + 1, int32_t(wanted - delivered));
    else
        delivered = wanted;
    buffer.GetData()[delivered] = 0;

    text->SeekToStart();
    text->SeekForward(position);
    return buffer;
}

template class TextParserPolicy_ParseStream<unsigned char>;

} // namespace orlo

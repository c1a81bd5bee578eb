#include "orlo/Utils/UCommandLine.h"

#include "orlo/Utils/TextParserPolicy_CommandLineSyntax.h"
#include "orlo/Utils/UTextParser.h"

namespace orlo {

template <class T>
void UBaseCommandLine<T>::Parse(const UBaseString<T>& options) {
    ORLO_GUARD
    UBaseString<T> source(options);
    m_arguments.Empty();
    m_name = "";
    if (source.IsEmpty())
        return;
    UTextParser<TextParserPolicy_ParseString, TextParserPolicy_CommandLineSyntax> parser(source);
    parser.ReadString(m_name);
    UBaseString<T> text;
    while (parser.HasToken()) {
        text = parser.PeekString();
        if (text.IsEmpty())
            break;
        int32_t index = m_arguments.Add(UBaseCommandArgument<T>());
        m_arguments[index].Parse(text);
        parser.ReadString(text);
    }
    ORLO_UNGUARD_MEMBER
}

template <class T>
UBaseCommandArgument<T> UBaseCommandLine<T>::GetArgument(int32_t index) const {
    if (index < 0 || index >= m_arguments.Num())
        return UBaseCommandArgument<T>();
    return m_arguments[index];
}

template class UBaseCommandLine<unsigned char>;

} // namespace orlo

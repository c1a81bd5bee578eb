#include "orlo/Utils/UCommandArgument.h"

#include "orlo/Utils/TextParserPolicy_CommandLineSyntax.h"
#include "orlo/Utils/UTextParser.h"

namespace orlo {

template <class T>
void UBaseCommandArgument<T>::Parse(const UBaseString<T>& text) {
    ORLO_GUARD
    // The text may be one of this argument's own strings.
    UBaseString<T> source(text);
    m_parameters.Empty();
    m_name = "";
    if (source.IsEmpty())
        return;
    UTextParser<TextParserPolicy_ParseString, TextParserPolicy_CommandLineSyntax> parser(source);
    parser.ReadString(m_name);
    while (parser.HasToken() && !parser.PeekString().IsEmpty()) {
        int32_t index = m_parameters.Add(UBaseString<T>());
        parser.ReadString(m_parameters[index]);
    }
    ORLO_UNGUARD_MEMBER
}

template class UBaseCommandArgument<unsigned char>;

} // namespace orlo

#pragma once

#include <cstdint>

#include "orlo/Utils/UArray.h"
#include "orlo/Utils/UBaseString.h"

namespace orlo {

// One argument of a command line: a name and its parameters, cut from the
// text of one option token (the option without its dash). A quoted parameter
// keeps its quotes. Copied freely: users take copies by index.
template <class T>
class UBaseCommandArgument {
public:
    UBaseCommandArgument() = default;
    explicit UBaseCommandArgument(const UBaseString<T>& text) { Parse(text); }

    // Clears the argument and fills it from `text`.
    void Parse(const UBaseString<T>& text);

    const UBaseString<T>& GetName() const { return m_name; }
    int32_t GetParameterCount() const { return m_parameters.Num(); }
    const UBaseString<T>& GetParameter(int32_t index) const { return m_parameters[index]; }

private:
    UBaseString<T> m_name;
    UArray<UBaseString<T>> m_parameters;
};

using UCommandArgument = UBaseCommandArgument<unsigned char>;

} // namespace orlo

#pragma once

#include <cstdint>

#include "orlo/Utils/UArray.h"
#include "orlo/Utils/UBaseString.h"
#include "orlo/Utils/UCommandArgument.h"

namespace orlo {

// An options text cut into a name (its first token, for a program the
// program) and the arguments that follow, each an option with its
// parameters. It knows no option names: what an argument means is its users'
// business.
template <class T>
class UBaseCommandLine {
public:
    UBaseCommandLine() = default;
    explicit UBaseCommandLine(const UBaseString<T>& options) { Parse(options); }

    // Clears the command line and fills it from `options`.
    void Parse(const UBaseString<T>& options);

    const UBaseString<T>& GetName() const { return m_name; }
    int32_t GetArgumentCount() const { return m_arguments.Num(); }
    // A copy of the argument; an empty one for an index outside the list.
    UBaseCommandArgument<T> GetArgument(int32_t index) const;

private:
    UBaseString<T> m_name;
    UArray<UBaseCommandArgument<T>> m_arguments;
};

using UCommandLine = UBaseCommandLine<unsigned char>;

} // namespace orlo

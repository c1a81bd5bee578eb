#pragma once

#include <cstddef>
#include <cstring>

namespace orlo {

// Type names as the library's reports write them: class types carry their
// keyword and template argument lists close with " >" after a nested list,
// for example "class orlo::UArray<class orlo::UBaseString<unsigned char> >".
// TTypeName<T>::Get() gives a text that lives for the whole process.

// Struct-keyed types say so by specialising this to true.
template <class T>
struct TIsStructKeyed {
    static constexpr bool value = false;
};

namespace detail {

template <class T>
const char* CompilerTypeName() {
    return __PRETTY_FUNCTION__;
}

// Copies the compiler's spelling of T ("... [with T = X]") into out.
void ExtractCompilerTypeName(const char* prettyFunction, char* out, size_t outSize);
void AppendTypeText(char* out, size_t outSize, const char* text);

constexpr size_t TYPE_NAME_SIZE = 512;

} // namespace detail

template <class T>
struct TTypeName {
    static const char* Get() {
        static const char* const name = [] {
            static char text[detail::TYPE_NAME_SIZE];
            text[0] = 0;
            if constexpr (__is_class(T) || __is_union(T))
                detail::AppendTypeText(text, sizeof(text), TIsStructKeyed<T>::value ? "struct " : "class ");
            char spelling[detail::TYPE_NAME_SIZE];
            detail::ExtractCompilerTypeName(detail::CompilerTypeName<T>(), spelling, sizeof(spelling));
            detail::AppendTypeText(text, sizeof(text), spelling);
            return text;
        }();
        return name;
    }
};

// Templates over types are spelled argument by argument, so that class
// arguments carry their keyword as well.
template <template <class...> class C, class... A>
struct TTypeName<C<A...>> {
    static const char* Get() {
        static const char* const name = [] {
            static char text[detail::TYPE_NAME_SIZE];
            text[0] = 0;
            detail::AppendTypeText(text, sizeof(text), TIsStructKeyed<C<A...>>::value ? "struct " : "class ");
            char spelling[detail::TYPE_NAME_SIZE];
            detail::ExtractCompilerTypeName(detail::CompilerTypeName<C<A...>>(), spelling, sizeof(spelling));
            if (char* open = strchr(spelling, '<'))
                *open = 0;
            detail::AppendTypeText(text, sizeof(text), spelling);
            detail::AppendTypeText(text, sizeof(text), "<");
            bool first = true;
            ((detail::AppendTypeText(text, sizeof(text), first ? "" : ","), first = false,
              detail::AppendTypeText(text, sizeof(text), TTypeName<A>::Get())),
             ...);
            size_t length = strlen(text);
            detail::AppendTypeText(text, sizeof(text), length > 0 && text[length - 1] == '>' ? " >" : ">");
            return text;
        }();
        return name;
    }
};

#define ORLO_FUNDAMENTAL_TYPE_NAME(type)           \
    template <>                                    \
    struct TTypeName<type> {                       \
        static const char* Get() { return #type; } \
    };

ORLO_FUNDAMENTAL_TYPE_NAME(char)
ORLO_FUNDAMENTAL_TYPE_NAME(signed char)
ORLO_FUNDAMENTAL_TYPE_NAME(unsigned char)
ORLO_FUNDAMENTAL_TYPE_NAME(short)
ORLO_FUNDAMENTAL_TYPE_NAME(unsigned short)
ORLO_FUNDAMENTAL_TYPE_NAME(int)
ORLO_FUNDAMENTAL_TYPE_NAME(unsigned int)
ORLO_FUNDAMENTAL_TYPE_NAME(long)
ORLO_FUNDAMENTAL_TYPE_NAME(unsigned long)
ORLO_FUNDAMENTAL_TYPE_NAME(float)
ORLO_FUNDAMENTAL_TYPE_NAME(double)
ORLO_FUNDAMENTAL_TYPE_NAME(bool)

#undef ORLO_FUNDAMENTAL_TYPE_NAME

} // namespace orlo

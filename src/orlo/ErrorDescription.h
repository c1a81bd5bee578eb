#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "orlo/Utils/TTypeName.h"

namespace orlo {

// The one exception type of the library. It is a fixed-size record with no
// resources of its own, so it can be raised when memory is exhausted and is
// copied as plain bytes while it travels.
class ErrorDescription {
public:
    enum Type : uint32_t {
        TYPE_UNKNOWN = 0,
        TYPE_BAD_ALLOC = 1,
    };

    static constexpr size_t MESSAGE_SIZE = 1024;
    static constexpr size_t FILE_SIZE = 260;
    static constexpr size_t HISTORY_SIZE = 4096;

    // Raising: type 0, history = function + "()". The file is kept from the
    // character after its last ':' so that a drive prefix is dropped.
    ErrorDescription(const char* file, const char* function, const char* message, int32_t line);
    ErrorDescription(Type type, const char* file, const char* function, const char* message, int32_t line);

    // Passing on: a copy of `error` with `function` appended to the history.
    ErrorDescription(const ErrorDescription& error, const char* function);

    ErrorDescription(const ErrorDescription&) = default;
    ErrorDescription& operator=(const ErrorDescription&) = default;

    uint32_t GetType() const { return m_type; }
    const char* GetTypeName() const;
    const char* GetMessageText() const { return m_message; }
    const char* GetFile() const { return m_file; }
    int32_t GetLine() const { return m_line; }
    const char* GetHistory() const { return m_history; }

    // The error as a report text. The text lives in one process-wide buffer that
    // the next call overwrites: use it before reporting another error.
    const char* GetReport() const;

private:
    uint32_t m_type;
    char m_message[MESSAGE_SIZE];
    char m_file[FILE_SIZE];
    int32_t m_line;
    char m_history[HISTORY_SIZE];
};

// Raising helpers for the macros below; kept out of line so that every check
// costs a compare and a call only when it fails. Those ending in FromPretty
// take __PRETTY_FUNCTION__ and make the qualified name from it; the others
// take the function's name ready made.
[[noreturn]] void RaiseErrorFromPretty(const char* file, const char* prettyFunction, const char* message, int32_t line);
[[noreturn]] void RaiseError(const char* file, const char* function, const char* message, int32_t line);
[[noreturn]] void RaiseBadAlloc(const char* file, const char* function, const char* message, int32_t line);
[[noreturn]] void PassError(const ErrorDescription& error, const char* function);
[[noreturn]] void PassErrorFromPretty(const ErrorDescription& error, const char* prettyFunction);
[[noreturn]] void RaiseUnknownFromPretty(const char* file, const char* prettyFunction, int32_t line);
[[noreturn]] void RaiseUnknown(const char* file, const char* function, int32_t line);

// Turns the compiler's full function signature into a qualified name:
// "bool orlo::UFoo::Bar(int) const" gives "orlo::UFoo::Bar". Writes into `out`
// (always terminated) and returns it.
const char* QualifiedFunctionName(const char* prettyFunction, char* out, size_t outSize);

// A member of a class template as reports name it: the class as TTypeName
// spells it, without its keyword, "::" and the member, for example
// "orlo::UArray<class orlo::UBaseString<unsigned char> >::~UArray". Writes
// into `out` (always terminated) and returns it.
const char* MemberFunctionName(const char* typeName, const char* member, char* out, size_t outSize);

constexpr size_t MEMBER_NAME_SIZE = detail::TYPE_NAME_SIZE + 64;

// A source path as error reports name it: below the library root, without
// extension ("orlo/Utils/UArray"). Built at compile time from __FILE__, which
// the build already maps below the library root.
template <size_t N>
struct TSourceName {
    char text[N] = {};
    consteval TSourceName(const char (&path)[N]) {
        size_t end = N - 1;
        for (size_t i = N - 1; i > 0; --i) {
            if (path[i - 1] == '/' || path[i - 1] == '\\')
                break;
            if (path[i - 1] == '.') {
                end = i - 1;
                break;
            }
        }
        for (size_t i = 0; i < end; ++i)
            text[i] = path[i];
    }
};

} // namespace orlo

#define ORLO_SOURCE_FILE                                                         \
    ([]() -> const char* {                                                       \
        static constexpr ::orlo::TSourceName<sizeof(__FILE__)> source(__FILE__); \
        return source.text;                                                      \
    }())

// assure(expression): always active. A false expression raises an error with
// "'assure' failed: " and the expression's text exactly as written.
#define assure(expression)                                                                                       \
    do {                                                                                                         \
        if (!(expression))                                                                                       \
            ::orlo::RaiseErrorFromPretty(ORLO_SOURCE_FILE, __PRETTY_FUNCTION__, "'assure' failed: " #expression, \
                                         __LINE__);                                                              \
    } while (false)

// Function names in reports always come from the compiler: ordinary functions
// are named from __PRETTY_FUNCTION__; members of class templates, whose names
// carry their arguments in the library's own spelling, from the class type
// and __func__. ORLO_MEMBER_NAME names a member of `Class` into `buffer`;
// ORLO_THIS_MEMBER_NAME the member it is used in.
#define ORLO_MEMBER_NAME(Class, member, buffer) \
    ::orlo::MemberFunctionName(::orlo::TTypeName<Class>::Get(), (member), (buffer), sizeof(buffer))
#define ORLO_THIS_MEMBER_NAME(buffer) \
    ORLO_MEMBER_NAME(std::remove_cv_t<std::remove_pointer_t<decltype(this)>>, __func__, buffer)

// The same check under a name given by the caller (made with ORLO_MEMBER_NAME).
#define assure_named(expression, functionName)                                                               \
    do {                                                                                                     \
        if (!(expression))                                                                                   \
            ::orlo::RaiseError(ORLO_SOURCE_FILE, (functionName), "'assure' failed: " #expression, __LINE__); \
    } while (false)

// The same check reported under the text given, for a condition that must be
// computed differently from the way reports have always spelled it.
#define assure_as(expression, text)                                                                                  \
    do {                                                                                                             \
        if (!(expression))                                                                                           \
            ::orlo::RaiseErrorFromPretty(ORLO_SOURCE_FILE, __PRETTY_FUNCTION__, "'assure' failed: " text, __LINE__); \
    } while (false)

// The same check inside a member of a class template.
#define assure_member(expression)                                                       \
    do {                                                                                \
        if (!(expression)) {                                                            \
            char orloMemberName[::orlo::MEMBER_NAME_SIZE];                              \
            ::orlo::RaiseError(ORLO_SOURCE_FILE, ORLO_THIS_MEMBER_NAME(orloMemberName), \
                               "'assure' failed: " #expression, __LINE__);              \
        }                                                                               \
    } while (false)

#define ORLO_RAISE(message) ::orlo::RaiseErrorFromPretty(ORLO_SOURCE_FILE, __PRETTY_FUNCTION__, (message), __LINE__)

// Raising inside a member of a class template.
#define ORLO_RAISE_MEMBER(message)                                                                        \
    do {                                                                                                  \
        char orloMemberName[::orlo::MEMBER_NAME_SIZE];                                                    \
        ::orlo::RaiseError(ORLO_SOURCE_FILE, ORLO_THIS_MEMBER_NAME(orloMemberName), (message), __LINE__); \
    } while (false)

// Guarded functions wrap their body in ORLO_GUARD ... ORLO_UNGUARD. An error that
// passes gets the function's qualified name appended to its history; any other
// exception becomes "unknown error" raised here.
#define ORLO_GUARD try {
#define ORLO_UNGUARD                                                                     \
    }                                                                                    \
    catch (const ::orlo::ErrorDescription& passing) {                                    \
        ::orlo::PassErrorFromPretty(passing, __PRETTY_FUNCTION__);                       \
    }                                                                                    \
    catch (...) {                                                                        \
        ::orlo::RaiseUnknownFromPretty(ORLO_SOURCE_FILE, __PRETTY_FUNCTION__, __LINE__); \
    }
// The guard's end inside a member of a class template.
#define ORLO_UNGUARD_MEMBER                                                                      \
    }                                                                                            \
    catch (const ::orlo::ErrorDescription& passing) {                                            \
        char orloMemberName[::orlo::MEMBER_NAME_SIZE];                                           \
        ::orlo::PassError(passing, ORLO_THIS_MEMBER_NAME(orloMemberName));                       \
    }                                                                                            \
    catch (...) {                                                                                \
        char orloMemberName[::orlo::MEMBER_NAME_SIZE];                                           \
        ::orlo::RaiseUnknown(ORLO_SOURCE_FILE, ORLO_THIS_MEMBER_NAME(orloMemberName), __LINE__); \
    }
#define ORLO_UNGUARD_NAMED(functionName)                                  \
    }                                                                     \
    catch (const ::orlo::ErrorDescription& passing) {                     \
        ::orlo::PassError(passing, (functionName));                       \
    }                                                                     \
    catch (...) {                                                         \
        ::orlo::RaiseUnknown(ORLO_SOURCE_FILE, (functionName), __LINE__); \
    }

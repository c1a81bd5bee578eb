#include "orlo/ErrorDescription.h"

#include <cstdio>
#include <cstring>
#include <initializer_list>

namespace orlo {

namespace {

const char* const kTypeNames[] = {"UNKNOWN", "BAD_ALLOC"};

// Copies as much of `text` as fits, always leaving a terminator in the field.
void CopyText(char* field, size_t fieldSize, const char* text) {
    field[0] = 0;
    if (text == nullptr)
        return;
    size_t length = strlen(text);
    if (length > fieldSize - 1)
        length = fieldSize - 1;
    memcpy(field, text, length);
    field[length] = 0;
}

// Appends as much of `text` as fits behind the field's current text.
void AppendText(char* field, size_t fieldSize, const char* text) {
    size_t used = strlen(field);
    CopyText(field + used, fieldSize - used, text);
}

const char* AfterDrive(const char* path) {
    if (path == nullptr)
        return nullptr;
    const char* colon = strrchr(path, ':');
    return colon != nullptr ? colon + 1 : path;
}

bool EndsWith(const char* begin, const char* end, const char* suffix) {
    size_t length = strlen(suffix);
    return static_cast<size_t>(end - begin) >= length && memcmp(end - length, suffix, length) == 0;
}

} // namespace

ErrorDescription::ErrorDescription(const char* file, const char* function, const char* message, int32_t line)
    : ErrorDescription(TYPE_UNKNOWN, file, function, message, line) {}

ErrorDescription::ErrorDescription(Type type, const char* file, const char* function, const char* message, int32_t line)
    : m_type(type), m_line(line) {
    CopyText(m_message, sizeof(m_message), message);
    CopyText(m_file, sizeof(m_file), AfterDrive(file));
    m_history[0] = 0;
    if (function != nullptr) {
        CopyText(m_history, sizeof(m_history), function);
        AppendText(m_history, sizeof(m_history), "()");
    }
}

ErrorDescription::ErrorDescription(const ErrorDescription& error, const char* function) : ErrorDescription(error) {
    if (function == nullptr || function[0] == 0) {
        AppendText(m_history, sizeof(m_history), " <- (unknown)");
        return;
    }
    if (m_history[0] != 0)
        AppendText(m_history, sizeof(m_history), " <- ");
    AppendText(m_history, sizeof(m_history), function);
    AppendText(m_history, sizeof(m_history), "()");
}

const char* ErrorDescription::GetTypeName() const {
    return m_type < sizeof(kTypeNames) / sizeof(kTypeNames[0]) ? kTypeNames[m_type] : kTypeNames[0];
}

const char* ErrorDescription::GetReport() const {
    // Large enough for every field at its maximum length.
    static char report[5396];
    snprintf(report, sizeof(report), "Type:\r\n%s\r\n\r\nMessage:\r\n%s\r\n\r\nHistory:\r\n%s", GetTypeName(),
             m_message[0] != 0 ? m_message : "(n/a)", m_history[0] != 0 ? m_history : "(n/a)");
    return report;
}

const char* MemberFunctionName(const char* typeName, const char* member, char* out, size_t outSize) {
    if (outSize == 0)
        return out;
    out[0] = 0;
    for (const char* keyword : {"class ", "struct "}) {
        if (strncmp(typeName, keyword, strlen(keyword)) == 0) {
            typeName += strlen(keyword);
            break;
        }
    }
    detail::AppendTypeText(out, outSize, typeName);
    detail::AppendTypeText(out, outSize, "::");
    detail::AppendTypeText(out, outSize, member);
    return out;
}

const char* QualifiedFunctionName(const char* prettyFunction, char* out, size_t outSize) {
    out[0] = 0;
    if (prettyFunction == nullptr || outSize == 0)
        return out;

    const char* begin = prettyFunction;
    const char* end = strstr(begin, " [with ");
    if (end == nullptr)
        end = begin + strlen(begin);

    // The name ends at the parameter list: the first '(' outside template
    // brackets, not counting the one of "operator()".
    const char* nameEnd = end;
    int depth = 0;
    for (const char* p = begin; p < end; ++p) {
        if (EndsWith(begin, p, "operator")) {
            // Operator symbols may hold brackets of their own: skip to the '('.
            if (p[0] == '(' && p + 1 < end && p[1] == ')')
                p += 1;
            while (p + 1 < end && p[1] != '(')
                ++p;
            continue;
        }
        if (*p == '<')
            ++depth;
        else if (*p == '>')
            --depth;
        else if (*p == '(' && depth == 0) {
            nameEnd = p;
            break;
        }
    }

    // It starts after the last blank outside template brackets, which ends the
    // return type and specifiers ("operator bool" keeps its own blank).
    const char* nameBegin = begin;
    depth = 0;
    for (const char* p = nameEnd; p > begin; --p) {
        char c = p[-1];
        if (c == '>')
            ++depth;
        else if (c == '<')
            --depth;
        else if (c == ' ' && depth == 0 && !EndsWith(begin, p - 1, "operator")) {
            nameBegin = p;
            break;
        }
    }

    size_t length = static_cast<size_t>(nameEnd - nameBegin);
    if (length > outSize - 1)
        length = outSize - 1;
    memcpy(out, nameBegin, length);
    out[length] = 0;
    return out;
}

void RaiseErrorFromPretty(const char* file, const char* prettyFunction, const char* message, int32_t line) {
    char name[ErrorDescription::HISTORY_SIZE];
    throw ErrorDescription(file, QualifiedFunctionName(prettyFunction, name, sizeof(name)), message, line);
}

void RaiseError(const char* file, const char* function, const char* message, int32_t line) {
    throw ErrorDescription(file, function, message, line);
}

void RaiseBadAlloc(const char* file, const char* function, const char* message, int32_t line) {
    throw ErrorDescription(ErrorDescription::TYPE_BAD_ALLOC, file, function, message, line);
}

void PassError(const ErrorDescription& error, const char* function) {
    throw ErrorDescription(error, function);
}

void PassErrorFromPretty(const ErrorDescription& error, const char* prettyFunction) {
    char name[ErrorDescription::HISTORY_SIZE];
    throw ErrorDescription(error, QualifiedFunctionName(prettyFunction, name, sizeof(name)));
}

void RaiseUnknownFromPretty(const char* file, const char* prettyFunction, int32_t line) {
    char name[ErrorDescription::HISTORY_SIZE];
    throw ErrorDescription(file, QualifiedFunctionName(prettyFunction, name, sizeof(name)), "unknown error", line);
}

void RaiseUnknown(const char* file, const char* function, int32_t line) {
    throw ErrorDescription(file, function, "unknown error", line);
}

} // namespace orlo

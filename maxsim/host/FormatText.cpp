#include "FormatText.h"

#include <cstdio>

namespace maxsim {
std::string FormatText(const char* format, va_list args, int* length) {
    va_list again;
    va_copy(again, args);
    const int n = std::vsnprintf(nullptr, 0, format, args);
    std::string text;
    if (n > 0) {
        text.resize(size_t(n) + 1);
        std::vsnprintf(&text[0], text.size(), format, again);
        text.resize(size_t(n));
    }
    va_end(again);
    if (length)
        *length = n;
    return text;
}
} // namespace maxsim

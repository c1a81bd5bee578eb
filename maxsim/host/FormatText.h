#pragma once
#include <cstdarg>
#include <string>

namespace maxsim {
// printf-style formatting into a string of the exact length; an invalid
// format gives an empty text and a negative `length`.
std::string FormatText(const char* format, va_list args, int* length = nullptr);
} // namespace maxsim

#pragma once

#include <cstdint>
#include <cstdio>

namespace orlo::file_ansi {

// 64-bit positions on both targets (the C library's long is 32 bits on Windows).
bool Seek(FILE* file, int64_t distance, int origin);
int64_t Tell(FILE* file);

// fopen for a regular file: a directory does not open, as on Windows.
FILE* OpenRegular(const char* path, const char* mode);

} // namespace orlo::file_ansi

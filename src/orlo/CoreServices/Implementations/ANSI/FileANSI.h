#pragma once

#include <cstdint>
#include <cstdio>

namespace orlo::file_ansi {

// 64-bit positions on both targets (the C library's long is 32 bits on Windows).
bool Seek(FILE* file, int64_t distance, int origin);
int64_t Tell(FILE* file);

// fopen for a regular file: a directory does not open, as on Windows.
FILE* OpenRegular(const char* path, const char* mode);

// Whether two existing paths name one file, however they are spelled (".",
// "..", links): the same device and inode, on Windows the same volume serial
// number and file index. False when either does not exist.
bool IsSameFile(const char* first, const char* second);

} // namespace orlo::file_ansi

#include "QroStderrLog.h"

#include <cstdio>
#include <cstring>

void QroStderrLog::Write(const orlo::UBaseString<unsigned char>& text) {
    const char* p = text.c_str();
    while (const char* lineEnd = strstr(p, "\r\n")) {
        std::fwrite(p, 1, size_t(lineEnd - p), stderr);
        std::fputc('\n', stderr);
        p = lineEnd + 2;
    }
    std::fputs(p, stderr);
}

void QroStderrLog::End() {
    std::fflush(stderr);
}

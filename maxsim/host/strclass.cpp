#include "max.h"

#include "strclass.h"

#include "FormatText.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {
char* Duplicate(const char* s, size_t n) {
    char* p = static_cast<char*>(std::malloc(n + 1));
    if (!p)
        std::abort();
    if (n)
        std::memcpy(p, s, n);
    p[n] = 0;
    return p;
}
} // namespace

CStr::CStr() : buf(Duplicate("", 0)) {}
CStr::CStr(const char* cs) : buf(Duplicate(cs ? cs : "", cs ? std::strlen(cs) : 0)) {}
CStr::CStr(const CStr& ws) : buf(Duplicate(ws.buf, std::strlen(ws.buf))) {}
CStr::~CStr() {
    std::free(buf);
}

void CStr::Resize(int nchars) {
    if (nchars < 0)
        nchars = 0;
    const size_t old = std::strlen(buf);
    char* p = static_cast<char*>(std::realloc(buf, size_t(nchars) + 1));
    if (!p)
        std::abort();
    buf = p;
    if (size_t(nchars) > old)
        std::memset(buf + old, 0, size_t(nchars) - old);
    buf[nchars] = 0;
}

int CStr::Length() const {
    return int(std::strlen(buf));
}

CStr& CStr::operator=(const CStr& cs) {
    if (this != &cs)
        *this = cs.buf;
    return *this;
}

CStr& CStr::operator=(const char* cs) {
    char* p = Duplicate(cs ? cs : "", cs ? std::strlen(cs) : 0);
    std::free(buf);
    buf = p;
    return *this;
}

CStr CStr::operator+(const CStr& cs) const {
    CStr r(*this);
    r += cs;
    return r;
}

CStr& CStr::operator+=(const CStr& cs) {
    const size_t a = std::strlen(buf), b = std::strlen(cs.buf);
    char* p = static_cast<char*>(std::malloc(a + b + 1));
    if (!p)
        std::abort();
    std::memcpy(p, buf, a);
    std::memcpy(p + a, cs.buf, b + 1);
    std::free(buf);
    buf = p;
    return *this;
}

int CStr::operator==(const CStr& cs) const {
    return std::strcmp(buf, cs.buf) == 0;
}
int CStr::operator<(const CStr& cs) const {
    return std::strcmp(buf, cs.buf) < 0;
}

CStr CStr::Substr(int start, int nchars) const {
    const int len = Length();
    if (start < 0)
        start = 0;
    if (start > len)
        start = len;
    if (nchars < 0 || start + nchars > len)
        nchars = len - start;
    CStr r;
    std::free(r.buf);
    r.buf = Duplicate(buf + start, size_t(nchars));
    return r;
}

int CStr::printf(const char* format, ...) {
    va_list args;
    va_start(args, format);
    int n = 0;
    const std::string text = maxsim::FormatText(format, args, &n);
    va_end(args);
    if (n < 0)
        return n;
    std::free(buf);
    buf = Duplicate(text.c_str(), text.size());
    return n;
}

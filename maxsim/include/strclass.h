#pragma once
#ifndef MAXSIM_MAX_H_INCLUDED
#error "strclass.h needs max.h included before it, as the SDK's own headers do"
#endif
#include "coreexp.h"
#include "maxheap.h"

// The host's 8-bit string: always zero-terminated, never null.
class CoreExport CStr : public MaxHeapOperators {
public:
    CStr();
    CStr(const char* cs);
    CStr(const CStr& ws);
    ~CStr();

    char* data() { return buf; }
    const char* data() const { return buf; }
    operator char*() { return buf; }
    operator const char*() const { return buf; }

    void Resize(int nchars);
    int Length() const;
    int length() const { return Length(); }
    BOOL isNull() const { return Length() == 0; }

    CStr& operator=(const CStr& cs);
    CStr& operator=(const char* cs);
    CStr operator+(const CStr& cs) const;
    CStr& operator+=(const CStr& cs);
    CStr& Append(const CStr& cs) { return *this += cs; }
    int operator==(const CStr& cs) const;
    int operator!=(const CStr& cs) const { return !(*this == cs); }
    int operator<(const CStr& cs) const;
    char& operator[](int i) { return buf[i]; }
    char operator[](int i) const { return buf[i]; }
    CStr Substr(int start, int nchars) const;
    int printf(const char* format, ...);

private:
    char* buf;
};

typedef CStr TSTR;

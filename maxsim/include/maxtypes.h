#pragma once
#ifndef MAXSIM_MAX_H_INCLUDED
#error "maxtypes.h needs max.h included before it, as the SDK's own headers do"
#endif
// The Win32 types that the host's interfaces use. The Windows target takes
// them from <windows.h>; elsewhere they are declared with the same shapes.
#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <cstddef>
#include <cstdint>
typedef int BOOL;
typedef unsigned long DWORD;
typedef unsigned long ULONG;
typedef unsigned int UINT;
typedef unsigned short WORD;
typedef unsigned char BYTE;
typedef char TCHAR;
// Integers as wide as a pointer, as the Win32 headers declare them.
typedef std::uintptr_t ULONG_PTR;
typedef std::uintptr_t DWORD_PTR;
typedef std::uintptr_t UINT_PTR;
typedef std::intptr_t INT_PTR;
typedef std::intptr_t LONG_PTR;
typedef void* LPVOID;
typedef struct HWND__* HWND;
typedef struct HINSTANCE__* HINSTANCE;
#ifndef WINAPI
#define WINAPI
#endif
typedef DWORD(WINAPI* LPTHREAD_START_ROUTINE)(LPVOID);
#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif
#endif

// Identifies a plug-in class: two 32-bit halves.
class Class_ID {
public:
    Class_ID() : a(0xFFFFFFFF), b(0xFFFFFFFF) {}
    Class_ID(ULONG aa, ULONG bb) : a(aa), b(bb) {}
    ULONG PartA() const { return a; }
    ULONG PartB() const { return b; }
    void SetPartA(ULONG aa) { a = aa; }
    void SetPartB(ULONG bb) { b = bb; }
    int operator==(const Class_ID& cid) const { return a == cid.a && b == cid.b; }
    int operator!=(const Class_ID& cid) const { return a != cid.a || b != cid.b; }
    bool operator<(const Class_ID& rhs) const { return a < rhs.a || (a == rhs.a && b < rhs.b); }

private:
    ULONG a, b;
};

// Identifies a function-published or base interface.
class Interface_ID {
public:
    Interface_ID() : a(0xFFFFFFFF), b(0xFFFFFFFF) {}
    Interface_ID(ULONG aa, ULONG bb) : a(aa), b(bb) {}
    ULONG PartA() const { return a; }
    ULONG PartB() const { return b; }
    int operator==(const Interface_ID& id) const { return a == id.a && b == id.b; }
    int operator!=(const Interface_ID& id) const { return a != id.a || b != id.b; }

private:
    ULONG a, b;
};

typedef int TimeValue;
typedef ULONG SClass_ID;
typedef unsigned short MtlID;
typedef ULONG ChannelMask;
typedef ULONG PartID;
typedef unsigned int RefMessage;

#define TIME_TICKSPERSEC 4800
#define TIME_NegInfinity TimeValue(0x80000000)
#define TIME_PosInfinity TimeValue(0x7fffffff)

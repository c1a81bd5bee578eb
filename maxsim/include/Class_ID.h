#pragma once
#include "maxwin32.h"

// Identifies a plug-in class: two 32-bit halves.
class Class_ID
{
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

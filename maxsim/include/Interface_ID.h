#pragma once
#include "maxwin32.h"

// Identifies a function-published or base interface.
class Interface_ID
{
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

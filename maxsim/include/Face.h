#pragma once
#include "maxheap.h"
#include "maxtypes.h"

// A triangle of a Mesh. The material id lives in the high 16 bits of flags.
class Face : public MaxHeapOperators
{
public:
    DWORD v[3];
    DWORD smGroup;
    DWORD flags;

    Face() : smGroup(0), flags(0) { v[0] = v[1] = v[2] = 0; }
    void setVerts(int a, int b, int c)
    {
        v[0] = DWORD(a);
        v[1] = DWORD(b);
        v[2] = DWORD(c);
    }
    void setSmGroup(DWORD i) { smGroup = i; }
    DWORD getSmGroup() const { return smGroup; }
    void setMatID(MtlID id) { flags = (flags & 0xFFFF) | (DWORD(id) << 16); }
    MtlID getMatID() const { return MtlID((flags >> 16) & 0xFFFF); }
    DWORD getVert(int index) const { return v[index]; }
};

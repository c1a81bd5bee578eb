#pragma once
#ifndef MAXSIM_MAX_H_INCLUDED
#error "mncommon.h needs max.h included before it, as the SDK's own headers do"
#endif
#include "maxheap.h"
#include "maxtypes.h"

class FlagUser : public MaxHeapOperators {
public:
    FlagUser() : FlagUserFlags(0) {}
    void SetFlag(DWORD fl, bool val = true) {
        if (val)
            FlagUserFlags |= fl;
        else
            FlagUserFlags &= ~fl;
    }
    void ClearFlag(DWORD fl) { FlagUserFlags &= ~fl; }
    bool GetFlag(DWORD fl) const { return (FlagUserFlags & fl) != 0; }
    void ClearAllFlags() { FlagUserFlags = 0; }
    DWORD ExportFlags() const { return FlagUserFlags; }
    void ImportFlags(DWORD fl) { FlagUserFlags = fl; }

private:
    DWORD FlagUserFlags;
};

// Flags shared by the parts of a polygon mesh.
#define MN_SEL (1 << 0)
#define MN_DEAD (1 << 1)
#define MN_TARG (1 << 2)

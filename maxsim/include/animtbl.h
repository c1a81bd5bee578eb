#pragma once
#include "coreexp.h"
#include "maxheap.h"
#include "maxtypes.h"
#include "strclass.h"

class BaseInterface;

// Flag bits of the animatable flag word.
#define A_MOD_DISABLED (1 << 5)
#define A_MOD_DISABLED_INVIEWS (1 << 8)
#define A_LOCK_TARGET (1 << 27)

class CoreExport Animatable : public MaxHeapOperators {
public:
    Animatable();
    virtual ~Animatable();

    virtual void GetClassName(TSTR& s);
    virtual Class_ID ClassID();
    virtual SClass_ID SuperClassID() = 0;
    virtual void DeleteThis();

    virtual void* GetInterface(ULONG id);
    virtual void ReleaseInterface(ULONG id, void* i);
    virtual BaseInterface* GetInterface(Interface_ID id);

    void SetAFlag(DWORD mask) { aflag |= mask; }
    void ClearAFlag(DWORD mask) { aflag &= ~mask; }
    int TestAFlag(DWORD mask) const { return (aflag & mask) ? 1 : 0; }
    DWORD GetAFlag() const { return aflag; }

protected:
    DWORD aflag;
};

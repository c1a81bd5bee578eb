#pragma once
#ifndef MAXSIM_MAX_H_INCLUDED
#error "animtbl.h needs max.h included before it, as the SDK's own headers do"
#endif
#include "coreexp.h"
#include "maxheap.h"
#include "maxtypes.h"
#include "strclass.h"

class BaseInterface;
class FPInterface;
class Interface;
class Interface7;
class Interface8;
class Interface9;

// The host's core interface, and its later releases' extensions of it. They
// are declared here with the animatable classes, not in maxapi.h.
CoreExport Interface* GetCOREInterface();
CoreExport Interface7* GetCOREInterface7();
CoreExport Interface8* GetCOREInterface8();
CoreExport Interface9* GetCOREInterface9();
// The function-published interface with this id, or null.
CoreExport FPInterface* GetCOREInterface(Interface_ID id);
// Publishes a core interface under its GetID(), and takes it back. Under an
// id published twice, GetCOREInterface answers the first one.
CoreExport void RegisterCOREInterface(FPInterface* fpi);
CoreExport void UnregisterCOREInterface(FPInterface* fpi);

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

#pragma once
#ifndef MAXSIM_MAX_H_INCLUDED
#error "modstack.h needs max.h included before it, as the SDK's own headers do"
#endif
#include "object.h"

// An object with a modifier stack over another object. Modifier 0 is the
// top of the stack, the last one applied.
class IDerivedObject : public Object {
public:
    virtual void AddModifier(Modifier* mod, ModContext* mc = nullptr, int before = 0) = 0;
    virtual void DeleteModifier(int index = 0) = 0;
    virtual int NumModifiers() = 0;
    virtual Modifier* GetModifier(int index) = 0;
    virtual void SetModifier(int index, Modifier* mod) = 0;
    virtual ModContext* GetModContext(int index) = 0;
    // The stack evaluated up to modifier modIndex (0: the whole stack).
    virtual ObjectState Eval(TimeValue t, int modIndex = 0) = 0;
    virtual Object* GetObjRef() = 0;
    virtual RefResult ReferenceObject(Object* pob) = 0;
};

CoreExport IDerivedObject* CreateDerivedObject(Object* pob = nullptr);

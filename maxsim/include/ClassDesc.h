#pragma once
#include "maxheap.h"
#include "maxtypes.h"

class Interface;

// Describes one plug-in class to the host.
class ClassDesc : public MaxHeapOperators
{
public:
    virtual ~ClassDesc() {}
    virtual int IsPublic() = 0;
    virtual void* Create(BOOL loading = FALSE) = 0;
    virtual const TCHAR* ClassName() = 0;
    virtual SClass_ID SuperClassID() = 0;
    virtual Class_ID ClassID() = 0;
    virtual const TCHAR* Category() = 0;
    virtual BOOL OkToCreate(Interface* i) { (void)i; return TRUE; }
    virtual const TCHAR* InternalName() { return nullptr; }
    virtual HINSTANCE HInstance() { return nullptr; }
};

#pragma once
#include "maxheap.h"
#include "maxtypes.h"

// What the host hands an importer besides the core interface.
class ImpInterface : public MaxHeapOperators
{
public:
    virtual ~ImpInterface() {}
    virtual void RedrawViews() = 0;
    virtual TimeValue GetTime() = 0;
    virtual void SetTime(TimeValue t) = 0;
};

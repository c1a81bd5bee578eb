#pragma once
#include "maxheap.h"
#include "maxtypes.h"

// The root of the host's id-addressed interfaces.
class BaseInterface : public MaxHeapOperators {
public:
    virtual ~BaseInterface() {}
    virtual Interface_ID GetID() { return Interface_ID(0, 0); }
};

#pragma once
#ifndef MAXSIM_MAX_H_INCLUDED
#error "baseinterface.h needs max.h included before it, as the SDK's own headers do"
#endif
#include "maxheap.h"
#include "maxtypes.h"

// The root of the host's id-addressed interfaces.
class BaseInterface : public MaxHeapOperators {
public:
    virtual ~BaseInterface() {}
    virtual Interface_ID GetID() { return Interface_ID(0, 0); }
};

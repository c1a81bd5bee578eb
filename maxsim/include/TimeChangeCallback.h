#pragma once
#include "maxheap.h"
#include "maxtypes.h"

// Hears every change of the current time.
class TimeChangeCallback
{
public:
    virtual ~TimeChangeCallback() {}
    virtual void TimeChanged(TimeValue t) = 0;
};

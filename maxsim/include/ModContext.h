#pragma once
#include "maxheap.h"
#include "matrix3.h"

class LocalModData : public MaxHeapOperators
{
public:
    virtual ~LocalModData() {}
};

// The context of one application of a modifier.
class ModContext : public MaxHeapOperators
{
public:
    Matrix3* tm;
    LocalModData* localData;

    ModContext() : tm(nullptr), localData(nullptr) {}
};

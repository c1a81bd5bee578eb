#pragma once
#include "maxheap.h"

class IScene;

// What the host hands an exporter besides the core interface.
class ExpInterface : public MaxHeapOperators
{
public:
    IScene* theScene;

    ExpInterface() : theScene(nullptr) {}
    virtual ~ExpInterface() {}
};

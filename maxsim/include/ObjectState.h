#pragma once
#include "maxheap.h"

class Object;

// The result of evaluating an object or a node's pipeline.
class ObjectState : public MaxHeapOperators
{
public:
    Object* obj;

    ObjectState() : obj(nullptr) {}
    explicit ObjectState(Object* ob) : obj(ob) {}
};

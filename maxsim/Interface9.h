#pragma once
#include "Interface.h"

class Interface7 : public Interface
{
public:
    // Drops what the host caches of the node's object after it was replaced.
    virtual void InvalidateObCache(INode* node) = 0;
};

class Interface8 : public Interface7
{
};

class Interface9 : public Interface8
{
public:
    // A new node for obj, under the root, with the given name.
    virtual INode* CreateObjectNode(Object* obj, const TCHAR* name) = 0;
    using Interface::CreateObjectNode;
};

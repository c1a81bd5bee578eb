#pragma once
#include "Interface.h"

class Interface9 : public Interface
{
public:
    // A new node for obj, under the root, with the given name.
    virtual INode* CreateObjectNode(Object* obj, const TCHAR* name) = 0;
    using Interface::CreateObjectNode;
};

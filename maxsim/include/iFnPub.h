#pragma once
#include "baseinterface.h"

// A function-published interface, looked up by id.
class FPInterface : public BaseInterface {
public:
    ~FPInterface() override {}
};

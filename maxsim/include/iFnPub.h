#pragma once
#ifndef MAXSIM_MAX_H_INCLUDED
#error "iFnPub.h needs max.h included before it, as the SDK's own headers do"
#endif
#include "baseinterface.h"

// A function-published interface, looked up by id.
class FPInterface : public BaseInterface {
public:
    ~FPInterface() override {}
};

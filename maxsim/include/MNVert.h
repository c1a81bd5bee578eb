#pragma once
#include "mncommon.h"
#include "point3.h"

class MNVert : public FlagUser
{
public:
    Point3 p;
    int orig;

    MNVert() : orig(-1) {}
};

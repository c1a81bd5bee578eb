#pragma once
#include "Mtl.h"

// The multi/sub-object material: a list of sub-materials chosen by the
// faces' material ids.
class MultiMtl : public Mtl
{
public:
    virtual void SetNumSubMtls(int n) = 0;
    virtual void GetSubMtlName(int mtlid, TSTR& s) = 0;
    virtual void SetSubMtlAndName(int mtlid, Mtl* m, TSTR& subMtlName) = 0;
};

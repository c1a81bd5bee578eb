#pragma once
#include "MtlBase.h"
#include "plugapi.h"

// A material; it may hold sub-materials, whose slots may be empty.
class CoreExport Mtl : public MtlBase
{
public:
    SClass_ID SuperClassID() override;
    virtual int NumSubMtls();
    virtual Mtl* GetSubMtl(int i);
    virtual void SetSubMtl(int i, Mtl* m);
    virtual TSTR GetSubMtlSlotName(int i);
};

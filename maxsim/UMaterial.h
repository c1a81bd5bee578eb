#pragma once
#include "StdMat2.h"

namespace maxsim
{
// A material without sub-materials: the standard material, or any other
// single material class the scene asks for.
class CoreExport UMaterial : public StdMat2
{
public:
    explicit UMaterial(Class_ID classID);
    ~UMaterial() override;

    Class_ID ClassID() override;
    void GetClassName(TSTR& s) override;
    RefResult NotifyRefChanged(Interval changeInt, RefTargetHandle hTarget, PartID& partID, RefMessage message) override;

private:
    Class_ID m_classID;
};
} // namespace maxsim

#pragma once
#include "max.h"

#include "stdmat.h"

namespace maxsim {
// A material without sub-materials: the standard material, or any other
// single material class the scene asks for.
class CoreExport StandardMaterial : public StdMat2 {
public:
    explicit StandardMaterial(Class_ID classID);
    ~StandardMaterial() override;

    Class_ID ClassID() override;
    void GetClassName(TSTR& s) override;
    RefResult NotifyRefChanged(Interval changeInt, RefTargetHandle hTarget, PartID& partID,
                               RefMessage message) override;

private:
    Class_ID m_classID;
};
} // namespace maxsim

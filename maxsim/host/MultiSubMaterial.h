#pragma once
#include "max.h"

#include "imtl.h"
#include <vector>

namespace maxsim {
// The multi/sub-object material. Reference i is sub-material i; a slot may
// be empty.
class CoreExport MultiSubMaterial : public MultiMtl {
public:
    MultiSubMaterial();
    ~MultiSubMaterial() override;

    Class_ID ClassID() override;
    void GetClassName(TSTR& s) override;

    int NumSubMtls() override;
    Mtl* GetSubMtl(int i) override;
    void SetSubMtl(int i, Mtl* m) override;
    TSTR GetSubMtlSlotName(int i) override;
    void SetNumSubMtls(int n) override;
    void GetSubMtlName(int mtlid, TSTR& s) override;
    void SetSubMtlAndName(int mtlid, Mtl* m, TSTR& subMtlName) override;

    int NumRefs() override;
    RefTargetHandle GetReference(int i) override;
    void SetReference(int i, RefTargetHandle rtarg) override;
    RefResult NotifyRefChanged(Interval changeInt, RefTargetHandle hTarget, PartID& partID,
                               RefMessage message) override;

private:
    std::vector<Mtl*> m_subs;
    std::vector<TSTR> m_names;
};
} // namespace maxsim

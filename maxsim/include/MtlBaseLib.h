#pragma once
#include "MtlBase.h"
#include "tab.h"

typedef MtlBase* MtlBaseHandle;

// A library of materials, such as the scene's: a table that also holds a
// reference to each entry.
class CoreExport MtlBaseLib : public ReferenceTarget, public Tab<MtlBaseHandle>
{
public:
    MtlBaseLib();
    ~MtlBaseLib() override;

    SClass_ID SuperClassID() override;
    int Add(MtlBase* m);
    void Remove(MtlBase* m);
    int FindMtl(MtlBase* m);
    int FindMtlByName(TSTR& name);
    void DeleteAll();

    int NumRefs() override;
    RefTargetHandle GetReference(int i) override;
    void SetReference(int i, RefTargetHandle rtarg) override;
    RefResult NotifyRefChanged(Interval changeInt, RefTargetHandle hTarget, PartID& partID, RefMessage message) override;
};

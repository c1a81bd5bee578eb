#pragma once
#ifndef MAXSIM_MAX_H_INCLUDED
#error "imtl.h needs max.h included before it, as the SDK's own headers do"
#endif
#include "plugapi.h"
#include "ref.h"
#include "strclass.h"
#include "tab.h"

// The common base of materials and maps: a name.
class CoreExport MtlBase : public ReferenceTarget {
public:
    MtlBase();
    ~MtlBase() override;

    TSTR& GetName() { return name; }
    void SetName(TSTR s);
    TSTR GetFullName();

private:
    TSTR name;
};

// A material; it may hold sub-materials, whose slots may be empty.
class CoreExport Mtl : public MtlBase {
public:
    SClass_ID SuperClassID() override;
    virtual int NumSubMtls();
    virtual Mtl* GetSubMtl(int i);
    virtual void SetSubMtl(int i, Mtl* m);
    virtual TSTR GetSubMtlSlotName(int i);
};

// The multi/sub-object material: a list of sub-materials chosen by the
// faces' material ids.
class MultiMtl : public Mtl {
public:
    virtual void SetNumSubMtls(int n) = 0;
    virtual void GetSubMtlName(int mtlid, TSTR& s) = 0;
    virtual void SetSubMtlAndName(int mtlid, Mtl* m, TSTR& subMtlName) = 0;
};

typedef MtlBase* MtlBaseHandle;

// A library of materials, such as the scene's: a table that also holds a
// reference to each entry.
class CoreExport MtlBaseLib : public ReferenceTarget, public Tab<MtlBaseHandle> {
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
    RefResult NotifyRefChanged(Interval changeInt, RefTargetHandle hTarget, PartID& partID,
                               RefMessage message) override;
};

CoreExport MultiMtl* NewDefaultMultiMtl();

// What kind of material-library entry an animatable is.
inline int IsMtl(Animatable* m) {
    return m && m->SuperClassID() == MATERIAL_CLASS_ID;
}
inline int IsTex(Animatable* m) {
    return m && m->SuperClassID() == TEXMAP_CLASS_ID;
}
inline int IsMtlBase(Animatable* m) {
    return IsMtl(m) || IsTex(m);
}

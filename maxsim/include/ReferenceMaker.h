#pragma once
#include <vector>
#include "Animatable.h"
#include "interval.h"
#include "maxexport.h"

class ReferenceTarget;
class ReferenceMaker;
typedef ReferenceTarget* RefTargetHandle;
typedef ReferenceMaker* RefMakerHandle;

enum RefResult
{
    REF_FAIL,
    REF_SUCCEED,
    REF_DONTCARE,
    REF_STOP,
    REF_INVALID,
    REF_HALT
};

// An object that holds references to targets and hears of their changes.
class CoreExport ReferenceMaker : public Animatable
{
public:
    ReferenceMaker();
    ~ReferenceMaker() override;

    SClass_ID SuperClassID() override;

    // Points reference slot `which` at newtarg. The previous target loses
    // this dependent and, with delOld, is deleted when nothing else holds it.
    RefResult ReplaceReference(int which, RefTargetHandle newtarg, BOOL delOld = TRUE);
    RefResult MakeRefByID(Interval refInterval, int which, RefTargetHandle htarget);
    RefResult DeleteReference(int i);
    RefResult DeleteAllRefsFromMe();
    RefResult DeleteAllRefs() { return DeleteAllRefsFromMe(); }

    virtual int NumRefs();
    virtual RefTargetHandle GetReference(int i);
    virtual void SetReference(int i, RefTargetHandle rtarg);
    virtual RefResult NotifyRefChanged(Interval changeInt, RefTargetHandle hTarget, PartID& partID, RefMessage message) = 0;
    virtual BOOL IsRefTarget();

private:
    friend class ReferenceTarget;
    // Every target this maker is registered with, once per reference; kept
    // here so that a maker can unregister itself in its destructor, when its
    // own slots are no longer reachable.
    std::vector<ReferenceTarget*> m_targets;
};

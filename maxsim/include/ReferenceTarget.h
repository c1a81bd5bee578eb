#pragma once
#include <vector>
#include "ReferenceMaker.h"

#define NOTIFY_ALL 0xfffffff0

// Visits the dependents of a target; a non-zero answer stops the walk.
class DependentEnumProc : public MaxHeapOperators
{
public:
    virtual ~DependentEnumProc() {}
    virtual int proc(ReferenceMaker* rmaker) = 0;
};

// An object that others can reference; it tells them of its changes.
class CoreExport ReferenceTarget : public ReferenceMaker
{
public:
    ReferenceTarget();
    ~ReferenceTarget() override;

    BOOL IsRefTarget() override;
    RefResult NotifyRefChanged(Interval changeInt, RefTargetHandle hTarget, PartID& partID, RefMessage message) override;

    // Sends message to every dependent. A dependent that answers anything but
    // REF_STOP passes it on to its own dependents when propagate is set;
    // REF_HALT ends the broadcast.
    RefResult NotifyDependents(Interval changeInt, PartID partID, RefMessage message, SClass_ID sclass = NOTIFY_ALL,
                               BOOL propagate = TRUE, RefTargetHandle hTarg = nullptr);
    // Deletes the target unless something references it or it is held.
    RefResult MaybeAutoDelete();
    virtual RefResult AutoDelete();
    int DoEnumDependents(DependentEnumProc* dep);
    BOOL HasDependents() const { return m_dependents.empty() ? FALSE : TRUE; }

private:
    friend class ReferenceMaker;
    void AddDependent(ReferenceMaker* maker);
    void RemoveDependent(ReferenceMaker* maker);
    bool IsDependent(ReferenceMaker* maker) const;

    std::vector<ReferenceMaker*> m_dependents;
    bool m_notifying;
};

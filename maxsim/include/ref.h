#pragma once
#ifndef MAXSIM_MAX_H_INCLUDED
#error "ref.h needs max.h included before it, as the SDK's own headers do"
#endif
#include "animtbl.h"
#include "coreexp.h"
#include "interval.h"
#include <vector>

class ReferenceTarget;
class ReferenceMaker;
typedef ReferenceTarget* RefTargetHandle;
typedef ReferenceMaker* RefMakerHandle;

enum RefResult { REF_FAIL, REF_SUCCEED, REF_DONTCARE, REF_STOP, REF_INVALID, REF_HALT };

// An object that holds references to targets and hears of their changes.
class CoreExport ReferenceMaker : public Animatable {
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
    virtual RefResult NotifyRefChanged(Interval changeInt, RefTargetHandle hTarget, PartID& partID,
                                       RefMessage message) = 0;
    virtual BOOL IsRefTarget();

private:
    friend class ReferenceTarget;
    // Every target this maker is registered with, once per reference; kept
    // here so that a maker can unregister itself in its destructor, when its
    // own slots are no longer reachable.
    std::vector<ReferenceTarget*> m_targets;
};

#define NOTIFY_ALL 0xfffffff0

// Visits the dependents of a target; a non-zero answer stops the walk.
class DependentEnumProc : public MaxHeapOperators {
public:
    virtual ~DependentEnumProc() {}
    virtual int proc(ReferenceMaker* rmaker) = 0;
};

// An object that others can reference; it tells them of its changes.
class CoreExport ReferenceTarget : public ReferenceMaker {
public:
    ReferenceTarget();
    ~ReferenceTarget() override;

    BOOL IsRefTarget() override;
    RefResult NotifyRefChanged(Interval changeInt, RefTargetHandle hTarget, PartID& partID,
                               RefMessage message) override;

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

#define REFMSG_LOOPTEST 0x00000010
#define REFMSG_TARGET_DELETED 0x00000020
#define REFMSG_CHANGE 0x00000050
// Sent by the host after a node's object was replaced.
#define REFMSG_SUBANIM_STRUCTURE_CHANGED 0x00000102
// Sent to a target's dependents when a reference to it is removed (deleted or
// replaced by another) or added.
#define REFMSG_REF_DELETED 0x00000103
#define REFMSG_REF_ADDED 0x00000104
#define REFMSG_USER 0x00010000

#define PART_TOPO (1 << 0)
#define PART_GEOM (1 << 1)
#define PART_TEXMAP (1 << 2)
#define PART_MTL (1 << 3)
#define PART_SELECT (1 << 4)
#define PART_TM (1 << 24)
#define PART_OBJ (PART_TOPO | PART_GEOM)
// Every channel (ALL_CHANNELS) and the transform.
#define PART_ALL (0x3fff | PART_TM)

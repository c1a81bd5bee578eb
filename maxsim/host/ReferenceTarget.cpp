#include "max.h"

#include "ref.h"

#include "HostRules.h"

#include <algorithm>

ReferenceTarget::ReferenceTarget() : m_notifying(false) {}

// Dependents hear that the target is gone and lose their references to it.
ReferenceTarget::~ReferenceTarget() {
    std::vector<ReferenceMaker*> dependents = m_dependents;
    std::sort(dependents.begin(), dependents.end());
    dependents.erase(std::unique(dependents.begin(), dependents.end()), dependents.end());
    for (ReferenceMaker* d : dependents) {
        if (!IsDependent(d))
            continue;
        PartID part = 0xFFFFFFFF;
        d->NotifyRefChanged(FOREVER, this, part, REFMSG_TARGET_DELETED);
        if (!IsDependent(d))
            continue;
        for (int i = 0; i < d->NumRefs(); ++i)
            if (d->GetReference(i) == this)
                d->SetReference(i, nullptr);
        d->m_targets.erase(std::remove(d->m_targets.begin(), d->m_targets.end(), this), d->m_targets.end());
        m_dependents.erase(std::remove(m_dependents.begin(), m_dependents.end(), d), m_dependents.end());
    }
    m_dependents.clear();
}

BOOL ReferenceTarget::IsRefTarget() {
    return TRUE;
}

RefResult ReferenceTarget::NotifyRefChanged(Interval, RefTargetHandle, PartID&, RefMessage) {
    return REF_SUCCEED;
}

RefResult ReferenceTarget::NotifyDependents(Interval changeInt, PartID partID, RefMessage message, SClass_ID sclass,
                                            BOOL propagate, RefTargetHandle hTarg) {
    // A target already broadcasting is part of a reference loop.
    if (m_notifying)
        return REF_SUCCEED;
    if (message == REFMSG_CHANGE)
        maxsim::HostRules::Instance().ChangeAnnounced(this);
    m_notifying = true;
    const std::vector<ReferenceMaker*> dependents = m_dependents;
    std::vector<ReferenceMaker*> done;
    for (ReferenceMaker* d : dependents) {
        if (!IsDependent(d) || std::find(done.begin(), done.end(), d) != done.end())
            continue;
        done.push_back(d);
        if (sclass != NOTIFY_ALL && d->SuperClassID() != sclass)
            continue;
        PartID part = partID;
        const RefResult r = d->NotifyRefChanged(changeInt, hTarg ? hTarg : this, part, message);
        if (r == REF_HALT)
            break;
        if (propagate && r != REF_STOP && IsDependent(d) && d->IsRefTarget())
            static_cast<ReferenceTarget*>(d)->NotifyDependents(changeInt, part, message, sclass, propagate, nullptr);
    }
    m_notifying = false;
    return REF_SUCCEED;
}

RefResult ReferenceTarget::MaybeAutoDelete() {
    if (!m_dependents.empty() || TestAFlag(A_LOCK_TARGET))
        return REF_FAIL;
    return AutoDelete();
}

RefResult ReferenceTarget::AutoDelete() {
    DeleteThis();
    return REF_SUCCEED;
}

int ReferenceTarget::DoEnumDependents(DependentEnumProc* dep) {
    const std::vector<ReferenceMaker*> dependents = m_dependents;
    for (ReferenceMaker* d : dependents)
        if (IsDependent(d) && dep->proc(d))
            return 1;
    return 0;
}

void ReferenceTarget::AddDependent(ReferenceMaker* maker) {
    m_dependents.push_back(maker);
}

void ReferenceTarget::RemoveDependent(ReferenceMaker* maker) {
    auto it = std::find(m_dependents.begin(), m_dependents.end(), maker);
    if (it != m_dependents.end())
        m_dependents.erase(it);
}

bool ReferenceTarget::IsDependent(ReferenceMaker* maker) const {
    return std::find(m_dependents.begin(), m_dependents.end(), maker) != m_dependents.end();
}

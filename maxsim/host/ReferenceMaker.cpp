#include "max.h"

#include "ref.h"

#include <algorithm>

#include "plugapi.h"

ReferenceMaker::ReferenceMaker() {}

ReferenceMaker::~ReferenceMaker() {
    // Unregister only: deleting targets is the business of DeleteAllRefs,
    // which a maker calls while its slots are still reachable.
    std::vector<ReferenceTarget*> targets;
    targets.swap(m_targets);
    for (ReferenceTarget* t : targets)
        t->RemoveDependent(this);
}

SClass_ID ReferenceMaker::SuperClassID() {
    return REF_MAKER_CLASS_ID;
}

RefResult ReferenceMaker::ReplaceReference(int which, RefTargetHandle newtarg, BOOL delOld) {
    if (which < 0 || which >= NumRefs())
        return REF_FAIL;
    RefTargetHandle old = GetReference(which);
    if (old == newtarg)
        return REF_SUCCEED;
    if (newtarg) {
        // Those already watching the new target hear of the new reference;
        // the maker making it does not hear of its own.
        newtarg->NotifyDependents(FOREVER, PART_ALL, REFMSG_REF_ADDED);
        newtarg->AddDependent(this);
        m_targets.push_back(newtarg);
    }
    SetReference(which, newtarg);
    if (old) {
        auto it = std::find(m_targets.begin(), m_targets.end(), old);
        if (it != m_targets.end())
            m_targets.erase(it);
        old->RemoveDependent(this);
        // Those still watching the old target hear that it lost a reference
        // (before it may go away below).
        old->NotifyDependents(FOREVER, PART_ALL, REFMSG_REF_DELETED);
        if (delOld)
            old->MaybeAutoDelete();
    }
    return REF_SUCCEED;
}

RefResult ReferenceMaker::MakeRefByID(Interval, int which, RefTargetHandle htarget) {
    return ReplaceReference(which, htarget, FALSE);
}

RefResult ReferenceMaker::DeleteReference(int i) {
    return ReplaceReference(i, nullptr, TRUE);
}

RefResult ReferenceMaker::DeleteAllRefsFromMe() {
    for (int i = 0; i < NumRefs(); ++i)
        if (GetReference(i))
            DeleteReference(i);
    return REF_SUCCEED;
}

int ReferenceMaker::NumRefs() {
    return 0;
}
RefTargetHandle ReferenceMaker::GetReference(int) {
    return nullptr;
}
void ReferenceMaker::SetReference(int, RefTargetHandle) {}
BOOL ReferenceMaker::IsRefTarget() {
    return FALSE;
}

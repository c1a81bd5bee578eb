#include "DerivedObject.h"

#include "max.h"

#include "inode.h"
#include "plugapi.h"

namespace maxsim {
DerivedObject::DerivedObject() : m_object(nullptr) {}

DerivedObject::~DerivedObject() {
    Drop(m_full);
    Drop(m_partial);
    DeleteAllRefs();
    for (ModContext* mc : m_contexts)
        delete mc;
}

SClass_ID DerivedObject::SuperClassID() {
    return GEN_DERIVOB_CLASS_ID;
}
Class_ID DerivedObject::ClassID() {
    return Class_ID(DERIVOB_CLASS_ID, 0);
}
void DerivedObject::GetClassName(TSTR& s) {
    s = "Derived Object";
}

void DerivedObject::AddModifier(Modifier* mod, ModContext* mc, int before) {
    if (!mod)
        return;
    if (before < 0)
        before = 0;
    if (before > int(m_modifiers.size()))
        before = int(m_modifiers.size());
    m_modifiers.insert(m_modifiers.begin() + before, nullptr);
    m_contexts.insert(m_contexts.begin() + before, mc ? mc : new ModContext);
    ReplaceReference(1 + before, mod, FALSE);
    InvalidateCache();
    NotifyDependents(FOREVER, ALL_CHANNELS, REFMSG_CHANGE);
}

void DerivedObject::DeleteModifier(int index) {
    if (index < 0 || index >= int(m_modifiers.size()))
        return;
    ReplaceReference(1 + index, nullptr, TRUE);
    m_modifiers.erase(m_modifiers.begin() + index);
    delete m_contexts[size_t(index)];
    m_contexts.erase(m_contexts.begin() + index);
    InvalidateCache();
    NotifyDependents(FOREVER, ALL_CHANNELS, REFMSG_CHANGE);
}

int DerivedObject::NumModifiers() {
    return int(m_modifiers.size());
}

Modifier* DerivedObject::GetModifier(int index) {
    return index >= 0 && index < int(m_modifiers.size()) ? m_modifiers[size_t(index)] : nullptr;
}

void DerivedObject::SetModifier(int index, Modifier* mod) {
    if (index >= 0 && index < int(m_modifiers.size()))
        ReplaceReference(1 + index, mod, TRUE);
}

ModContext* DerivedObject::GetModContext(int index) {
    return index >= 0 && index < int(m_contexts.size()) ? m_contexts[size_t(index)] : nullptr;
}

ObjectState DerivedObject::Eval(TimeValue t) {
    return Eval(t, 0);
}

ObjectState DerivedObject::Eval(TimeValue t, int modIndex) {
    if (modIndex <= 0)
        return Evaluate(t, 0, m_full);
    return Evaluate(t, modIndex, m_partial);
}

// Applies the enabled modifiers from the bottom of the stack up to
// modIndex. The object below is never changed: the first modifier works on
// a shallow copy that shares every channel with it, locked; before each
// modifier the channels it says it changes (ChannelsChanged) become the
// copy's own, and the rest stay shared. The copy belongs to the cache.
ObjectState DerivedObject::Evaluate(TimeValue t, int modIndex, Cache& cache) {
    if (cache.valid && cache.modIndex == modIndex)
        return ObjectState(cache.result);
    Object* previous = cache.owned;
    cache.owned = nullptr;

    ObjectState os = m_object ? m_object->Eval(t) : ObjectState();
    INode* node = FindNode();
    Object* owned = nullptr;
    for (int i = int(m_modifiers.size()) - 1; i >= modIndex && os.obj; --i) {
        Modifier* mod = m_modifiers[size_t(i)];
        if (!mod || !mod->IsEnabled())
            continue;
        if (!owned) {
            owned = os.obj->MakeShallowCopy(OBJ_CHANNELS);
            if (!owned)
                continue;
            os.obj = owned;
        }
        os.obj->ReadyChannelsForMod(mod->ChannelsChanged());
        Object* before = os.obj;
        mod->ModifyObject(t, *m_contexts[size_t(i)], &os, node);
        if (os.obj != before) {
            before->DeleteThis();
            owned = os.obj;
        }
    }
    // The old result is the pipeline's, whoever kept a pointer to it.
    if (previous && previous != owned)
        previous->DeleteThis();
    cache.valid = true;
    cache.modIndex = modIndex;
    cache.result = os.obj;
    cache.owned = owned;
    return os;
}

void DerivedObject::Drop(Cache& cache) {
    if (cache.owned)
        cache.owned->DeleteThis();
    cache = Cache();
}

// Old results stay alive until the next evaluation replaces them: whoever
// still holds one has been told of the change and will ask again.
void DerivedObject::InvalidateCache() {
    m_full.valid = false;
    m_partial.valid = false;
}

Object* DerivedObject::GetObjRef() {
    return m_object;
}

RefResult DerivedObject::ReferenceObject(Object* pob) {
    RefResult r = ReplaceReference(0, pob, TRUE);
    InvalidateCache();
    return r;
}

int DerivedObject::CanConvertToType(Class_ID obtype) {
    if (obtype == ClassID())
        return 1;
    ObjectState os = Eval(0);
    return os.obj ? os.obj->CanConvertToType(obtype) : 0;
}

// Always a new object or the derived object itself: the evaluated result
// belongs to the cache.
Object* DerivedObject::ConvertToType(TimeValue t, Class_ID obtype) {
    if (obtype == ClassID())
        return this;
    ObjectState os = Eval(t);
    if (!os.obj)
        return nullptr;
    Object* converted = os.obj->ConvertToType(t, obtype);
    if (converted && converted == os.obj) {
        // A copy of its own: nothing shared with the pipeline.
        converted = os.obj->MakeShallowCopy(OBJ_CHANNELS);
        if (converted) {
            converted->NewAndCopyChannels(OBJ_CHANNELS);
            converted->UnlockChannels(OBJ_CHANNELS);
        }
    }
    return converted;
}

Object* DerivedObject::FindBaseObject() {
    return m_object ? m_object->FindBaseObject() : nullptr;
}

int DerivedObject::NumRefs() {
    return 1 + int(m_modifiers.size());
}

RefTargetHandle DerivedObject::GetReference(int i) {
    if (i == 0)
        return m_object;
    if (i >= 1 && i <= int(m_modifiers.size()))
        return m_modifiers[size_t(i - 1)];
    return nullptr;
}

void DerivedObject::SetReference(int i, RefTargetHandle rtarg) {
    if (i == 0)
        m_object = static_cast<Object*>(rtarg);
    else if (i >= 1 && i <= int(m_modifiers.size()))
        m_modifiers[size_t(i - 1)] = static_cast<Modifier*>(rtarg);
    InvalidateCache();
}

RefResult DerivedObject::NotifyRefChanged(Interval, RefTargetHandle, PartID&, RefMessage message) {
    if (message == REFMSG_CHANGE || message == REFMSG_TARGET_DELETED)
        InvalidateCache();
    return REF_SUCCEED;
}

namespace {
class NodeFinder : public DependentEnumProc {
public:
    INode* found = nullptr;
    int proc(ReferenceMaker* rmaker) override {
        if (INode* node = dynamic_cast<INode*>(rmaker))
            found = node;
        else if (DerivedObject* outer = dynamic_cast<DerivedObject*>(rmaker))
            found = outer->FindNode();
        return found ? 1 : 0;
    }
};
} // namespace

INode* DerivedObject::FindNode() {
    NodeFinder finder;
    DoEnumDependents(&finder);
    return finder.found;
}
} // namespace maxsim

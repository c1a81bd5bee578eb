#include "MultiSubMaterial.h"

namespace maxsim {
MultiSubMaterial::MultiSubMaterial() {}
MultiSubMaterial::~MultiSubMaterial() {
    DeleteAllRefs();
}

Class_ID MultiSubMaterial::ClassID() {
    return Class_ID(MULTI_CLASS_ID, 0);
}
void MultiSubMaterial::GetClassName(TSTR& s) {
    s = "Multi/Sub-Object";
}

int MultiSubMaterial::NumSubMtls() {
    return int(m_subs.size());
}

Mtl* MultiSubMaterial::GetSubMtl(int i) {
    return i >= 0 && i < int(m_subs.size()) ? m_subs[size_t(i)] : nullptr;
}

void MultiSubMaterial::SetSubMtl(int i, Mtl* m) {
    if (i >= 0 && i < int(m_subs.size()))
        ReplaceReference(i, m, TRUE);
}

TSTR MultiSubMaterial::GetSubMtlSlotName(int i) {
    return i >= 0 && i < int(m_names.size()) ? m_names[size_t(i)] : TSTR();
}

void MultiSubMaterial::SetNumSubMtls(int n) {
    if (n < 0)
        n = 0;
    for (int i = int(m_subs.size()) - 1; i >= n; --i)
        DeleteReference(i);
    m_subs.resize(size_t(n), nullptr);
    m_names.resize(size_t(n));
    NotifyDependents(FOREVER, PART_MTL, REFMSG_CHANGE);
}

void MultiSubMaterial::GetSubMtlName(int mtlid, TSTR& s) {
    s = GetSubMtlSlotName(mtlid);
}

void MultiSubMaterial::SetSubMtlAndName(int mtlid, Mtl* m, TSTR& subMtlName) {
    if (mtlid < 0 || mtlid >= int(m_subs.size()))
        return;
    m_names[size_t(mtlid)] = subMtlName;
    SetSubMtl(mtlid, m);
}

int MultiSubMaterial::NumRefs() {
    return int(m_subs.size());
}
RefTargetHandle MultiSubMaterial::GetReference(int i) {
    return GetSubMtl(i);
}

void MultiSubMaterial::SetReference(int i, RefTargetHandle rtarg) {
    if (i >= 0 && i < int(m_subs.size()))
        m_subs[size_t(i)] = static_cast<Mtl*>(rtarg);
}

RefResult MultiSubMaterial::NotifyRefChanged(Interval, RefTargetHandle, PartID&, RefMessage) {
    return REF_SUCCEED;
}
} // namespace maxsim

#include "UMultiMaterial.h"

namespace maxsim
{
UMultiMaterial::UMultiMaterial() {}
UMultiMaterial::~UMultiMaterial() { DeleteAllRefs(); }

Class_ID UMultiMaterial::ClassID() { return Class_ID(MULTI_CLASS_ID, 0); }
void UMultiMaterial::GetClassName(TSTR& s) { s = "Multi/Sub-Object"; }

int UMultiMaterial::NumSubMtls() { return int(m_subs.size()); }

Mtl* UMultiMaterial::GetSubMtl(int i) { return i >= 0 && i < int(m_subs.size()) ? m_subs[size_t(i)] : nullptr; }

void UMultiMaterial::SetSubMtl(int i, Mtl* m)
{
    if (i >= 0 && i < int(m_subs.size()))
        ReplaceReference(i, m, TRUE);
}

TSTR UMultiMaterial::GetSubMtlSlotName(int i)
{
    return i >= 0 && i < int(m_names.size()) ? m_names[size_t(i)] : TSTR();
}

void UMultiMaterial::SetNumSubMtls(int n)
{
    if (n < 0)
        n = 0;
    for (int i = int(m_subs.size()) - 1; i >= n; --i)
        DeleteReference(i);
    m_subs.resize(size_t(n), nullptr);
    m_names.resize(size_t(n));
    NotifyDependents(FOREVER, PART_MTL, REFMSG_CHANGE);
}

void UMultiMaterial::GetSubMtlName(int mtlid, TSTR& s) { s = GetSubMtlSlotName(mtlid); }

void UMultiMaterial::SetSubMtlAndName(int mtlid, Mtl* m, TSTR& subMtlName)
{
    if (mtlid < 0 || mtlid >= int(m_subs.size()))
        return;
    m_names[size_t(mtlid)] = subMtlName;
    SetSubMtl(mtlid, m);
}

int UMultiMaterial::NumRefs() { return int(m_subs.size()); }
RefTargetHandle UMultiMaterial::GetReference(int i) { return GetSubMtl(i); }

void UMultiMaterial::SetReference(int i, RefTargetHandle rtarg)
{
    if (i >= 0 && i < int(m_subs.size()))
        m_subs[size_t(i)] = static_cast<Mtl*>(rtarg);
}

RefResult UMultiMaterial::NotifyRefChanged(Interval, RefTargetHandle, PartID&, RefMessage) { return REF_SUCCEED; }
} // namespace maxsim

#include "UMaterial.h"

namespace maxsim
{
UMaterial::UMaterial(Class_ID classID) : m_classID(classID) {}
UMaterial::~UMaterial() {}
Class_ID UMaterial::ClassID() { return m_classID; }

void UMaterial::GetClassName(TSTR& s)
{
    s = m_classID == Class_ID(DMTL_CLASS_ID, 0) ? "Standard" : "Material";
}

RefResult UMaterial::NotifyRefChanged(Interval, RefTargetHandle, PartID&, RefMessage) { return REF_SUCCEED; }
} // namespace maxsim

#include "StandardMaterial.h"

namespace maxsim {
StandardMaterial::StandardMaterial(Class_ID classID) : m_classID(classID) {}
StandardMaterial::~StandardMaterial() {}
Class_ID StandardMaterial::ClassID() {
    return m_classID;
}

void StandardMaterial::GetClassName(TSTR& s) {
    s = m_classID == Class_ID(DMTL_CLASS_ID, 0) ? "Standard" : "Material";
}

RefResult StandardMaterial::NotifyRefChanged(Interval, RefTargetHandle, PartID&, RefMessage) {
    return REF_SUCCEED;
}
} // namespace maxsim

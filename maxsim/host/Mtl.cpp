#include "max.h"

#include "imtl.h"

SClass_ID Mtl::SuperClassID() {
    return MATERIAL_CLASS_ID;
}
int Mtl::NumSubMtls() {
    return 0;
}
Mtl* Mtl::GetSubMtl(int) {
    return nullptr;
}
void Mtl::SetSubMtl(int, Mtl*) {}
TSTR Mtl::GetSubMtlSlotName(int) {
    return TSTR();
}

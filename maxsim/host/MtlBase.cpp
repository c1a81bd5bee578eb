#include "max.h"

#include "imtl.h"

MtlBase::MtlBase() {}
MtlBase::~MtlBase() {}

void MtlBase::SetName(TSTR s) {
    name = s;
    NotifyDependents(FOREVER, PART_MTL, REFMSG_CHANGE);
}

TSTR MtlBase::GetFullName() {
    return name;
}

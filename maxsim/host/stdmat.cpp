#include "max.h"

#include "stdmat.h"

#include "HostInterface.h"
#include "imtl.h"

StdMat2* NewDefaultStdMat() {
    return static_cast<StdMat2*>(static_cast<Mtl*>(
        maxsim::HostInterface::Instance().CreateInstance(MATERIAL_CLASS_ID, Class_ID(DMTL_CLASS_ID, 0))));
}

MultiMtl* NewDefaultMultiMtl() {
    return static_cast<MultiMtl*>(static_cast<Mtl*>(
        maxsim::HostInterface::Instance().CreateInstance(MATERIAL_CLASS_ID, Class_ID(MULTI_CLASS_ID, 0))));
}

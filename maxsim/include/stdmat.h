#pragma once
#ifndef MAXSIM_MAX_H_INCLUDED
#error "stdmat.h needs max.h included before it, as the SDK's own headers do"
#endif
#include "imtl.h"

// The standard material.
class StdMat : public Mtl {};

class StdMat2 : public StdMat {};

CoreExport StdMat2* NewDefaultStdMat();

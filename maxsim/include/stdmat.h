#pragma once
#include "imtl.h"

// The standard material.
class StdMat : public Mtl {};

class StdMat2 : public StdMat {};

CoreExport StdMat2* NewDefaultStdMat();

#pragma once
#include "Mtl.h"
#include "MtlBase.h"
#include "MtlBaseLib.h"
#include "MultiMtl.h"
#include "StdMat2.h"
#include "stdmat.h"

CoreExport MultiMtl* NewDefaultMultiMtl();

#pragma once
#include "Mtl.h"
#include "MtlBase.h"
#include "MtlBaseLib.h"
#include "MultiMtl.h"
#include "StdMat2.h"
#include "stdmat.h"

CoreExport MultiMtl* NewDefaultMultiMtl();

inline int IsMtl(Animatable* m) { return m->SuperClassID() == MATERIAL_CLASS_ID; }
inline int IsTex(Animatable* m) { return m->SuperClassID() == TEXMAP_CLASS_ID; }
inline int IsMtlBase(Animatable* m) { return IsMtl(m) || IsTex(m); }

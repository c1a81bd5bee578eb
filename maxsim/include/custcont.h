#pragma once
#ifndef MAXSIM_MAX_H_INCLUDED
#error "custcont.h needs max.h included before it, as the SDK's own headers do"
#endif
#include "coreexp.h"
#include "maxtypes.h"

CoreExport void InitCustomControls(HINSTANCE hInst);

#pragma once
#include "coreexp.h"
#include "maxtypes.h"

CoreExport void InitCustomControls(HINSTANCE hInst);

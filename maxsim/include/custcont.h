#pragma once
#include "maxexport.h"
#include "maxwin32.h"

CoreExport void InitCustomControls(HINSTANCE hInst);

#pragma once
#include "Interface.h"
#include "Interface9.h"
#include "TimeChangeCallback.h"
#include "iFnPub.h"
#include "maxexport.h"

CoreExport Interface* GetCOREInterface();
CoreExport Interface9* GetCOREInterface9();
// The function-published interface with this id, or null.
CoreExport FPInterface* GetCOREInterface(Interface_ID id);
